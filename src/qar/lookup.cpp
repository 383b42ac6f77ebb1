// Finding entries: the wildcard name match, the lookup over a handle's
// entry list, and the listing.
#include "qarint.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

char Fold(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

constexpr size_t kNone = SIZE_MAX;

// The match recurses at every '*', and each call first cuts both texts to
// their last component unless both still hold a backslash. A call's result
// depends only on where it starts in the name and in the pattern, so the
// work is bounded: for each '*', a scan over the name that failed from some
// position fails from every later one, and is never repeated. Every
// position pair is thus tried at most once.
class Matcher {
public:
  Matcher(const char* name, const char* pattern, size_t patternLength)
      : name_(name), pattern_(pattern), nameSlash_(LastSlash(name)),
        patternSlash_(LastSlash(pattern)), scanFails_(patternLength + 1, kNone) {}

  bool Match(size_t n, size_t p) {
    const bool nameHas = nameSlash_ != kNone && nameSlash_ >= n;
    const bool patternHas = patternSlash_ != kNone && patternSlash_ >= p;
    if (!nameHas || !patternHas) {
      if (nameHas)
        n = nameSlash_ + 1;
      if (patternHas)
        p = patternSlash_ + 1;
    }
    for (;;) {
      const char want = pattern_[p];
      if (want == '*')
        return Star(n, p);
      const char have = name_[n];
      if (want == '?') {
        if (have == '\0')
          return false;
      } else if (Fold(have) != Fold(want)) {
        return false;
      } else if (want == '\0') {
        return true;
      }
      ++n;
      ++p;
    }
  }

private:
  // The '*' at p: the character after it is compared as it stands, even a
  // '?' or '*'; each name position holding it, or the name's end, is tried.
  bool Star(size_t n, size_t p) {
    size_t& fails = scanFails_[p];
    const char next = pattern_[p + 1];
    for (size_t at = n; at < fails; ++at) {
      const char have = name_[at];
      if (have == '\0' || Fold(have) == Fold(next)) {
        if (Match(at, p + 1))
          return true;
        if (have == '\0')
          break;
      }
    }
    fails = n;
    return false;
  }

  static size_t LastSlash(const char* text) {
    const char* slash = std::strrchr(text, '\\');
    return slash ? size_t(slash - text) : kNone;
  }

  const char* name_;
  const char* pattern_;
  size_t nameSlash_;
  size_t patternSlash_;
  std::vector<size_t> scanFails_; // per '*': scans from here on fail
};

// Copies at most 255 characters of a name into a listing field.
void CopyName(char (&field)[256], const char* name) {
  std::snprintf(field, sizeof field, "%s", name ? name : "");
}

QarEntryHeader* FindAfter(QarEntryHeader* entry, const char* pattern) {
  for (; entry && entry->recordKind != QAR_KIND_END; entry = entry->next)
    if ((entry->shortName && QarMatchName(entry->shortName, pattern)) ||
        (entry->longName && *entry->longName && QarMatchName(entry->longName, pattern)))
      return entry;
  return nullptr;
}

} // namespace

bool QarMatchName(const char* name, const char* pattern) {
  if (!name || !pattern)
    return false;
  // The recursion is as deep as the pattern has stars: a bound keeps it well
  // inside any stack. Stored names have at most 511 characters.
  const size_t patternLength = std::strlen(pattern);
  if (patternLength > QAR_MAX_PATTERN || std::strlen(name) > QAR_MAX_PATTERN)
    return false;
  try {
    Matcher matcher(name, pattern, patternLength);
    return matcher.Match(0, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

QarEntryHeader* QarFindEntry(QarArchive* archive, const char* pattern) {
  if (!archive || !pattern)
    return nullptr;
  return FindAfter(archive->entries, pattern);
}

bool QarEntryExists(QarArchive* archive, const char* pattern) {
  return QarFindEntry(archive, pattern) != nullptr;
}

int QarEnumerate(QarArchive* archive, const char* pattern, QarEnumFn callback,
                 uint32_t userValue) {
  if (!QarValidHandle(archive))
    return 0;
  if (!pattern)
    pattern = "*";
  // A callback may move the handle to another volume (an extraction that
  // spans volumes) or reopen the same one: either way the list is new. The
  // list's generation tells, where the volume number might not.
  uint32_t generation = archive->listGeneration;
  bool listed = false;
  // The whole short name, so that the place can be found again after a
  // callback has moved the handle to another volume.
  char remembered[QAR_MAX_STRING + 1];

  for (QarEntryHeader* entry = FindAfter(archive->entries, pattern); entry;) {
    std::snprintf(remembered, sizeof remembered, "%s", entry->shortName);
    if (!(entry->entryFlags & QAR_ENTRY_HIDDEN)) {
      std::unique_ptr<QarEntryInfo> info(new (std::nothrow) QarEntryInfo{});
      if (!info) {
        QarSetLastError(QAR_ERR_NOMEM);
        return 0;
      }
      info->madeByVersion = entry->madeByVersion;
      info->neededVersion = entry->neededVersion;
      info->hostCode = entry->hostCode;
      info->entryFlags = entry->entryFlags;
      info->method = entry->method;
      info->entryCode = entry->entryCode;
      info->modTime = entry->modTime;
      info->storedSize = entry->storedSize;
      info->originalSize = entry->originalSize;
      info->dataCrc = entry->dataCrc;
      info->attributes = entry->attributes;
      info->extraValue = entry->extraValue;
      CopyName(info->shortName, entry->shortName);
      CopyName(info->longName, entry->longName);
      listed = true;
      if (callback && !callback(info.get(), userValue, 0)) {
        QarSetLastError(QAR_ERR_ABORTED);
        return 0;
      }
    }
    if (archive->listGeneration == generation) {
      entry = FindAfter(entry->next, pattern);
    } else {
      generation = archive->listGeneration;
      entry = QarFindEntry(archive, remembered);
      entry = entry ? FindAfter(entry->next, pattern) : nullptr;
    }
  }
  QarSetLastError(listed ? QAR_OK : QAR_ERR_NOT_FOUND);
  return listed ? 1 : 0;
}
