// Finding entries: the wildcard name match, the lookup over a handle's
// entry list, and the listing.
#include "qarint.h"

#include <cstring>
#include <memory>
#include <new>

namespace {

char Fold(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

const char* LastComponent(const char* text) {
  const char* slash = std::strrchr(text, '\\');
  return slash ? slash + 1 : text;
}

// The match recurses at every '*', and each call first cuts both texts to
// their last component unless both hold a backslash. A call's result depends
// only on where it starts in the name and in the pattern, so failed starts
// are remembered: patterns such as "*a*a*a*a*b" stay quadratic, not
// exponential.
class Matcher {
public:
  Matcher(const char* name, const char* pattern)
      : name_(name), pattern_(pattern), nameLength_(std::strlen(name)),
        patternLength_(std::strlen(pattern)) {
    size_t cells = (nameLength_ + 1) * (patternLength_ + 1);
    if (nameLength_ <= kMemoLimit && patternLength_ <= kMemoLimit)
      failed_.reset(new (std::nothrow) uint8_t[(cells + 7) / 8]());
  }

  bool Match(const char* name, const char* pattern) {
    if (!std::strchr(pattern, '\\') || !std::strchr(name, '\\')) {
      name = LastComponent(name);
      pattern = LastComponent(pattern);
    }
    for (;;) {
      if (*pattern == '*') {
        ++pattern;
        for (const char* at = name;; ++at) {
          if (*at == '\0' || Fold(*at) == Fold(*pattern)) {
            if (Try(at, pattern))
              return true;
            if (*at == '\0')
              return false;
          }
        }
      }
      if (*pattern == '?') {
        if (*name == '\0')
          return false;
      } else if (Fold(*name) != Fold(*pattern)) {
        return false;
      } else if (*pattern == '\0') {
        return true;
      }
      ++name;
      ++pattern;
    }
  }

private:
  static constexpr size_t kMemoLimit = 4096;

  bool Try(const char* name, const char* pattern) {
    size_t cell = size_t(name - name_) * (patternLength_ + 1) + size_t(pattern - pattern_);
    if (failed_ && failed_[cell / 8] & (1u << cell % 8))
      return false;
    bool matched = Match(name, pattern);
    if (failed_ && !matched)
      failed_[cell / 8] |= uint8_t(1u << cell % 8);
    return matched;
  }

  const char* name_;
  const char* pattern_;
  size_t nameLength_;
  size_t patternLength_;
  std::unique_ptr<uint8_t[]> failed_;
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
  Matcher matcher(name, pattern);
  return matcher.Match(name, pattern);
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
  uint16_t volume = archive->header.volumeNumber;
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
    if (archive->header.volumeNumber == volume) {
      entry = FindAfter(entry->next, pattern);
    } else {
      volume = archive->header.volumeNumber;
      entry = QarFindEntry(archive, remembered);
      entry = entry ? FindAfter(entry->next, pattern) : nullptr;
    }
  }
  QarSetLastError(listed ? QAR_OK : QAR_ERR_NOT_FOUND);
  return listed ? 1 : 0;
}
