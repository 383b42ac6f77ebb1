// Volume sets: how the volumes after the first are named and found.
//
// Volume 1 is the archive itself (DEMO.QAR, or SETUP.EXE with a stub); volume
// N is the same path with its extension replaced by ".Q" and N in at least
// two digits: DEMO.Q02, DEMO.Q03, ..., DEMO.Q10. Every volume of a set carries
// its number and the set's creation time in its archive header, so a reader
// takes the next file as part of the set only when both agree; a volume
// whose last entry continues must be followed by its next one.
#include "platform.h"
#include "qarint.h"
#include "tool.h"

#include <cstdio>

namespace {

// The one set a command reads. The library's callback data is a 32-bit word,
// too narrow for a pointer, so the callback finds the set here.
struct {
  std::string first;
  std::string missing;
} set;

// Where path's file name starts, by the library's rule for archive paths.
size_t FileNameStart(const std::string& path) {
  const size_t separator = path.find_last_of("\\/:");
  return separator == std::string::npos ? 0 : separator + 1;
}

} // namespace

// The same rule as the library's open, which names the file it opens so.
std::string ArchivePath(const std::string& given) {
  const size_t name = FileNameStart(given);
  return given.find('.', name) == std::string::npos ? given + ".QAR" : given;
}

std::string VolumePath(const std::string& first, unsigned number) {
  if (number <= 1)
    return first;
  const size_t name = FileNameStart(first);
  size_t dot = first.rfind('.');
  if (dot == std::string::npos || dot < name)
    dot = first.size();
  char extension[16];
  std::snprintf(extension, sizeof extension, ".Q%02u", number);
  return first.substr(0, dot) + extension;
}

void UseVolumeSet(const std::string& first) {
  set.first = first;
  set.missing.clear();
}

std::string MissingVolume() { return set.missing; }
void ForgetMissingVolume() { set.missing.clear(); }

// The library opens a volume it is given with a mode that creates a missing
// file, so a volume that is not there is refused here rather than named.
int LibraryCallback(int kind, void* record, uint32_t) {
  if (kind == QAR_CALLBACK_PROGRESS) {
    ProgressEntry(static_cast<const QarProgress*>(record)->done);
    return 1;
  }
  auto* request = static_cast<QarVolumeRequest*>(record);
  const std::string path = VolumePath(set.first, request->volumeNumber);
  if (KindOf(path) != PathKind::file || path.size() >= sizeof request->fileName) {
    set.missing = path;
    return 0;
  }
  std::snprintf(request->fileName, sizeof request->fileName, "%s", path.c_str());
  return 1;
}

uint16_t VolumeNumberOf(const QarArchive* archive) { return archive->header.volumeNumber; }
uint32_t BaseOf(const QarArchive* archive) { return archive->base; }
bool IsOpen(const QarArchive* archive) { return archive->stream != nullptr; }

// "*" matches every name, so the lookup hands back the head of the list.
QarEntryHeader* FirstEntry(QarArchive* archive) { return QarFindEntry(archive, "*"); }

QarEntryHeader* EntryAt(QarArchive* archive, unsigned index) {
  QarEntryHeader* entry = FirstEntry(archive);
  for (; entry && entry->recordKind != 0 && index > 0; --index)
    entry = entry->next;
  return entry && entry->recordKind != 0 ? entry : nullptr;
}

namespace {

bool EndsContinued(QarArchive* archive) {
  const QarEntryHeader* last = nullptr;
  for (const QarEntryHeader* entry = FirstEntry(archive); entry && entry->recordKind != 0;
       entry = entry->next)
    last = entry;
  return last && (last->entryFlags & QAR_ENTRY_CONTINUED);
}

QarArchive* OpenReadOnly(const std::string& path) {
  return QarOpen(path.c_str(), QAR_MODE_NOCREATE | QAR_MODE_READONLY, LibraryCallback);
}

} // namespace

int ForEachVolume(const std::string& given, const std::function<void(const VolumeVisit&)>& visit) {
  const std::string first = ArchivePath(given);
  UseVolumeSet(first);
  QarArchive* archive = OpenReadOnly(first);
  if (!archive)
    return Fail(first, QarGetLastError());
  unsigned number = VolumeNumberOf(archive);
  const uint32_t created = archive->header.createdTime;
  std::string path = first;
  bool continuation = false;
  for (;;) {
    visit(VolumeVisit{archive, path, number, continuation});
    continuation = EndsContinued(archive);
    QarClose(archive);
    if (number >= 0xFFFF)
      return continuation ? FailWith(path, "the last entry continues past volume 65535",
                                     QAR_ERR_READ)
                          : 0;

    path = VolumePath(first, number + 1);
    if (KindOf(path) != PathKind::file) {
      if (!continuation)
        return 0;
      return FailWith(path, "cannot open the next volume, which holds the rest of an entry",
                      QAR_ERR_OPEN);
    }
    if (!(archive = OpenReadOnly(path)))
      return Fail(path, QarGetLastError());
    if (VolumeNumberOf(archive) != number + 1 || archive->header.createdTime != created) {
      QarClose(archive);
      if (!continuation)
        return 0; // a file of another set, or left over from an earlier one
      return FailWith(path, "not the next volume of " + first, QAR_ERR_NO_ARCHIVE);
    }
    ++number;
  }
}
