// Makes the fuzzers' seed corpus: one small archive per feature of the
// format, and a handful of name/pattern pairs.
//
//   qar_mkcorpus DIR          writes DIR/archive/* and DIR/match/*
//   qar_mkcorpus --check DIR  fails unless every seed in DIR is byte for byte
//                             what this program makes, and each archive seed
//                             still opens, lists and extracts as it should
//
// The check keeps the committed seeds honest: a seed the library rejects at
// its first header only ever teaches a fuzzer about that header.
#include "archbld.h"
#include "qarint.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kTime = 1000000000;

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

// Text-like bytes: words of a small vocabulary in a pseudo-random order, so
// that zlib has real work to do.
Bytes Prose(size_t length, uint32_t seed) {
  static const char* const words[] = {"setup", "archive", "volume", "entry",  "the",
                                      "of",    "install", "product", "file", "language",
                                      "and",   "program", "a",       "to",   "windows"};
  Bytes out;
  while (out.size() < length) {
    seed = seed * 1103515245u + 12345u;
    const char* word = words[(seed >> 16) % std::size(words)];
    out.insert(out.end(), word, word + std::strlen(word));
    out.push_back((seed >> 8) % 11 == 0 ? '\n' : ' ');
  }
  out.resize(length);
  return out;
}

// One entry as a seed holds it: the data as stored (all of it, or the first
// piece of an entry that continues) and the data extracted from the whole
// entry.
struct Entry {
  std::string shortName;
  std::string longName;
  uint16_t flags = 0;
  uint16_t method = QAR_METHOD_STORED;
  uint32_t extraValue = 0;
  Bytes stored;
  Bytes original;
};

Entry Stored(std::string name, Bytes data, uint16_t flags = 0) {
  return {name, name, flags, QAR_METHOD_STORED, 0, data, data};
}

Entry Zlib(std::string name, Bytes data) {
  return {name, name, 0, QAR_METHOD_ZLIB, 0, Deflate(data, 6), data};
}

Bytes EntryRecord(const Entry& e) {
  QarEntryHeader header{};
  std::memcpy(header.magic, "KVCF", 4);
  header.recordKind = QAR_KIND_ENTRY;
  header.madeByVersion = QAR_MADE_BY_VERSION;
  header.neededVersion = QAR_NEEDED_VERSION;
  header.hostCode = QAR_HOST_CODE;
  header.entryFlags = e.flags;
  header.method = e.method;
  header.modTime = kTime;
  header.storedSize = uint32_t(e.stored.size());
  header.originalSize = uint32_t(e.original.size());
  header.dataCrc = QarCrc(e.original.data(), e.original.size());
  header.attributes = 0x20;
  header.extraValue = e.extraValue;
  std::string shortName = e.shortName, longName = e.longName;
  header.shortName = shortName.data();
  header.longName = longName.data();

  return EntryBytes(header, e.stored);
}

// The whole file: host bytes (if any), the archive, and the end record whose
// distance leads a backward search from the end to the archive header.
Bytes ArchiveFile(const std::vector<Entry>& entries, const Bytes& host = {}) {
  Bytes out = host;
  Append(out, ArchiveHeaderBytes("SEED.QAR", kTime));
  for (const Entry& e : entries)
    Append(out, EntryRecord(e));
  uint32_t distance = uint32_t(out.size() - host.size());
  Append(out, EndRecordBytes(distance));
  return out;
}

// What an extraction of one name must give: success with the entry's bytes,
// or failure with the named error.
struct Expect {
  std::string name;
  int32_t error; // QAR_OK: it extracts, giving original
  Bytes original;
};

struct Seed {
  std::string file;
  Bytes bytes;
  int listed; // entries a listing of "*" reports
  std::vector<Expect> extracts;
  int32_t openError = QAR_OK; // else the open must fail with this error
};

// A next volume is never granted: a seed stays one file.
int RefuseVolume(int kind, void*, uint32_t) { return kind == QAR_CALLBACK_VOLUME ? 0 : 1; }

std::vector<Seed> ArchiveSeeds() {
  std::vector<Seed> seeds;
  const Bytes readme = {'R', 'e', 'a', 'd', ' ', 'm', 'e', '.', '\n'};
  const Bytes prose = Prose(3000, 1);

  seeds.push_back({"empty.qar", ArchiveFile({}), 0, {{"*", QAR_ERR_NOT_FOUND, {}}}});

  Entry stored = Stored("README~1.TXT", readme);
  stored.longName = "Read me.txt";
  seeds.push_back({"stored-entry.qar", ArchiveFile({stored}), 1,
                   {{"README~1.TXT", QAR_OK, readme}, {"read me.txt", QAR_OK, readme}}});

  seeds.push_back({"zlib-entry.qar", ArchiveFile({Zlib("PROSE.TXT", prose)}), 1,
                   {{"PROSE.TXT", QAR_OK, prose}}});

  seeds.push_back({"hidden-entry.qar",
                   ArchiveFile({Stored("HIDDEN.DAT", {1, 2, 3}, QAR_ENTRY_HIDDEN),
                                Stored("SHOWN.DAT", {4, 5})}),
                   1,
                   {{"HIDDEN.DAT", QAR_OK, {1, 2, 3}}}});

  Entry extra = Stored("EXTRA.BIN", {9, 8, 7, 6}, QAR_ENTRY_EXTRA);
  extra.extraValue = 0xCAFEF00D;
  seeds.push_back(
      {"extra-value.qar", ArchiveFile({extra}), 1, {{"EXTRA.BIN", QAR_OK, {9, 8, 7, 6}}}});

  // A host long enough that the forward probe misses the archive: only the
  // backward search from the end record finds it.
  Bytes host = {'M', 'Z'};
  host.resize(96, 0);
  host[60] = 0x40;
  const Bytes setup = Prose(200, 2);
  seeds.push_back({"appended-to-host.exe", ArchiveFile({Zlib("SETUP.EXE", setup)}, host), 1,
                   {{"SETUP.EXE", QAR_OK, setup}}});

  // Entries whose first piece is all this volume holds: the rest would come
  // from the next volume, which is refused.
  Entry storedPiece = Stored("PART.DAT", Prose(64, 3), QAR_ENTRY_CONTINUED);
  storedPiece.stored.resize(40);
  seeds.push_back({"continued-stored.qar", ArchiveFile({storedPiece}), 1,
                   {{"PART.DAT", QAR_ERR_ABORTED, {}}}});
  Entry zlibPiece = Zlib("PART.TXT", prose);
  zlibPiece.flags = QAR_ENTRY_CONTINUED;
  zlibPiece.stored.resize(zlibPiece.stored.size() / 2);
  seeds.push_back({"continued-zlib.qar", ArchiveFile({zlibPiece}), 1,
                   {{"PART.TXT", QAR_ERR_ABORTED, {}}}});

  // A header field changed after its checksum was taken: the open refuses
  // it, and the archive fuzzer runs it again with the checksum put right.
  Bytes damaged = ArchiveFile({Stored("README.TXT", readme)});
  damaged[ArchiveHeaderBytes("SEED.QAR", kTime).size() + 35] ^= 0x01; // low byte of attributes
  seeds.push_back({"damaged-header-checksum.qar", damaged, 0, {}, QAR_ERR_HEADER_CRC});

  Entry nested = Stored("LANG\\DEU\\SETUP.INI", Prose(50, 4));
  seeds.push_back({"several-entries.qar",
                   ArchiveFile({Stored("EMPTY.TXT", {}), nested, Zlib("NOTES.TXT", Prose(500, 5)),
                                Stored("LAST.DAT", {0xFF})}),
                   4,
                   {{"EMPTY.TXT", QAR_OK, {}},
                    {"LANG\\*\\SETUP.INI", QAR_OK, nested.original},
                    {"NOTES.TXT", QAR_OK, Prose(500, 5)},
                    {"*.DAT", QAR_OK, {0xFF}}}});
  return seeds;
}

std::vector<std::pair<std::string, std::string>> MatchSeeds() {
  using namespace std::string_literals;
  return {
      {"literal-case-folded", "readme.txt\0README.TXT"s},
      {"star-extension-last-component", "C:\\WORK\\README.TXT\0*.TXT"s},
      {"question-marks", "abc\0A?C"s},
      {"backslash-in-both", "C:\\WORK\\DOCS\\README.TXT\0*\\DOCS\\README.TXT"s},
      {"double-star", "abc\0**"s},
      {"many-stars-no-match", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab\0*a*a*a*a*a*a*a*a*a*c"s},
      {"name-without-pattern", "SETUP.EXE"s},
  };
}

bool WriteFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return out.good();
}

bool ReadFile(const fs::path& path, Bytes* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

// The listing callback's own value is 32 bits wide: too narrow for a pointer.
int listedSoFar = 0;
int CountOne(QarEntryInfo*, uint32_t, uint32_t) {
  ++listedSoFar;
  return 1;
}

// The failures of one archive seed's behaviour, printed; their number.
int CheckBehaviour(const fs::path& path, const Seed& seed, const fs::path& scratch) {
  int failures = 0;
  auto fail = [&](const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", seed.file.c_str(), what.c_str());
    ++failures;
  };
  QarArchive* archive = QarOpen(path.string().c_str(), QAR_MODE_NOCREATE | QAR_MODE_READONLY,
                                RefuseVolume);
  if (!archive || seed.openError != QAR_OK) {
    int32_t error = QarGetLastError();
    if (archive)
      QarClose(archive);
    if (error != seed.openError)
      fail("open gives error " + std::to_string(error) + ", not " +
           std::to_string(seed.openError));
    return failures;
  }
  listedSoFar = 0;
  QarEnumerate(archive, "*", CountOne, 0);
  if (listedSoFar != seed.listed)
    fail("lists " + std::to_string(listedSoFar) + " entries, not " + std::to_string(seed.listed));
  QarClose(archive);

  // Each extraction on a fresh handle: a refused volume leaves the handle
  // without its file.
  for (const Expect& expect : seed.extracts) {
    archive = QarOpen(path.string().c_str(), QAR_MODE_NOCREATE | QAR_MODE_READONLY, RefuseVolume);
    QarStream* output = QarStreamOpen(scratch.string().c_str(), "w+b");
    if (!archive || !output) {
      fail("cannot set up the extraction of " + expect.name);
      if (archive)
        QarClose(archive);
      if (output)
        QarStreamClose(output);
      continue;
    }
    int result = QarExtract(archive, expect.name.c_str(), nullptr, output);
    int32_t error = QarGetLastError();
    QarStreamClose(output);
    QarClose(archive);
    Bytes got;
    ReadFile(scratch, &got);
    if (result != (expect.error == QAR_OK) || error != expect.error)
      fail(expect.name + ": result " + std::to_string(result) + ", error " +
           std::to_string(error) + "; expected error " + std::to_string(expect.error));
    else if (expect.error == QAR_OK && got != expect.original)
      fail(expect.name + ": extracted bytes differ");
  }
  return failures;
}

int Check(const fs::path& dir) {
  int failures = 0;
  auto same = [&](const fs::path& path, const Bytes& want) {
    Bytes have;
    if (!ReadFile(path, &have)) {
      std::fprintf(stderr, "%s: missing\n", path.c_str());
      ++failures;
      return false;
    }
    if (have != want) {
      std::fprintf(stderr, "%s: differs from what qar_mkcorpus makes\n", path.c_str());
      ++failures;
      return false;
    }
    return true;
  };
  const fs::path scratch =
      fs::temp_directory_path() / ("qar_mkcorpus-" + std::to_string(getpid()) + ".out");
  for (const Seed& seed : ArchiveSeeds()) {
    fs::path path = dir / "archive" / seed.file;
    if (same(path, seed.bytes))
      failures += CheckBehaviour(path, seed, scratch);
  }
  for (const auto& [file, text] : MatchSeeds())
    same(dir / "match" / file, Bytes(text.begin(), text.end()));
  std::error_code ignored;
  fs::remove(scratch, ignored);
  std::printf("%s\n", failures ? "corpus check failed" : "corpus is current");
  return failures ? 1 : 0;
}

int Write(const fs::path& dir) {
  std::error_code error;
  fs::create_directories(dir / "archive", error);
  fs::create_directories(dir / "match", error);
  int written = 0;
  for (const Seed& seed : ArchiveSeeds())
    written += WriteFile(dir / "archive" / seed.file, seed.bytes);
  for (const auto& [file, text] : MatchSeeds())
    written += WriteFile(dir / "match" / file, Bytes(text.begin(), text.end()));
  std::printf("%d seeds written to %s\n", written, dir.c_str());
  return written == int(ArchiveSeeds().size() + MatchSeeds().size()) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--check") != 0)
    return Write(argv[1]);
  if (argc == 3 && std::strcmp(argv[1], "--check") == 0)
    return Check(argv[2]);
  std::fprintf(stderr, "usage: %s DIR | --check DIR\n", argv[0]);
  return 2;
}
