// Fuzz target: an archive file read end to end. The input bytes become an
// archive file; it is opened read-only, listed, and every entry of its list
// is extracted into a scratch file. Nothing here judges the results: the
// library must simply never overrun, leak or hang, whatever the bytes.
//
// Every header carries a checksum, and a fuzzer's change to a header field
// almost always breaks it. So an input whose open fails on a damaged header
// is run a second time with its checksums put right: the first run covers
// the checksum test, the second what lies behind it.
#include "fixsums.h"
#include "qarint.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Two scratch files per process, made once: one for the archive (its name
// carries an extension, so the open takes it as given), one for the output.
struct Scratch {
  std::string archive;
  std::string output;

  Scratch() : archive(Make(".qar")), output(Make(".out")) {}
  ~Scratch() {
    std::remove(archive.c_str());
    std::remove(output.c_str());
  }

  static std::string Make(const char* suffix) {
    const char* dir = std::getenv("TMPDIR");
    char path[256];
    std::snprintf(path, sizeof path, "%s/qarfuzz-XXXXXX%s", dir && *dir ? dir : "/tmp", suffix);
    int fd = mkstemps(path, static_cast<int>(std::char_traits<char>::length(suffix)));
    if (fd < 0) {
      std::perror("qarfuzz: scratch file");
      std::abort();
    }
    close(fd);
    return path;
  }
};

bool WriteWhole(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file)
    return false;
  bool ok = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}

// Progress goes on; a request for the next volume is refused, so that an
// entry continued elsewhere never makes the run open another file.
int Callback(int kind, void*, uint32_t) { return kind == QAR_CALLBACK_VOLUME ? 0 : 1; }

int List(QarEntryInfo*, uint32_t, uint32_t) { return 1; }

// Opens, lists and extracts everything; returns the open's error.
int32_t ReadArchive(const Scratch& scratch) {
  QarArchive* archive =
      QarOpen(scratch.archive.c_str(), QAR_MODE_NOCREATE | QAR_MODE_READONLY, Callback);
  if (!archive)
    return QarGetLastError();
  QarEnumerate(archive, "*", List, 0);

  // The names are copied first: an extraction that asks for the next volume
  // closes the handle's file and frees its list.
  std::vector<std::string> names;
  for (const QarEntryHeader* entry = archive->entries; entry; entry = entry->next)
    if (entry->recordKind != QAR_KIND_END)
      names.emplace_back(entry->shortName ? entry->shortName : "");

  for (const std::string& name : names) {
    QarStream* output = QarStreamOpen(scratch.output.c_str(), "w+b");
    if (!output)
      break;
    QarExtract(archive, name.c_str(), nullptr, output);
    QarStreamClose(output);
  }
  QarClose(archive);
  return QAR_OK;
}

// Where a reader would look for the archive header in the scratch file.
bool FindBase(const Scratch& scratch, uint32_t* base) {
  QarStream* stream = QarStreamOpen(scratch.archive.c_str(), "rb");
  if (!stream)
    return false;
  bool found = QarLocateBase(stream, true, base);
  QarStreamClose(stream);
  return found;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Scratch scratch;
  if (!WriteWhole(scratch.archive, data, size) ||
      ReadArchive(scratch) != QAR_ERR_HEADER_CRC)
    return 0;

  uint32_t base = 0;
  std::vector<uint8_t> fixed(data, data + size);
  if (FindBase(scratch, &base) && FixChecksums(fixed, base) &&
      WriteWhole(scratch.archive, fixed.data(), fixed.size()))
    ReadArchive(scratch);
  return 0;
}
