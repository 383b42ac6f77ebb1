// Extraction into files and streams: contents, checksum, time, attributes,
// output paths, and damaged or hostile entries.
#include "qarint.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kReadOnly = 0x1, kHidden = 0x2, kArchiveBit = 0x20;

// Opens an archive of the given entries, written into a fresh scratch folder.
QarArchive* OpenEntries(const std::vector<Bytes>& entries, std::string* dir) {
  *dir = ScratchDir();
  std::string path = Join(*dir, "X.QAR");
  WriteFile(path, VolumeBytes(entries));
  return QarOpen(path.c_str(), 3, nullptr);
}

time_t StampOf(const std::string& path) {
  QarStream* stream = QarStreamOpen(path.c_str(), "rb");
  EXPECT_NE(stream, nullptr) << path;
  if (!stream)
    return 0;
  time_t stamp = QarStreamGetTime(stream);
  QarStreamClose(stream);
  return stamp;
}

bool IsReadOnly(const std::string& path) {
  return (fs::status(path).permissions() & fs::perms::owner_write) == fs::perms::none;
}

void MakeWritable(const std::string& path) {
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
}

} // namespace

TEST(Extract, RoundTripsWithChecksumTimeAndAttributes) {
  const Bytes content = SampleContent(70000);
  const struct {
    const char* what;
    Piece piece;
    uint32_t attributes;
  } cases[] = {
      {"stored", StoredPiece("FILE.TXT", content), kArchiveBit},
      {"zlib", ZlibPiece("FILE.TXT", content), kArchiveBit},
      {"stored, read-only and hidden", StoredPiece("FILE.TXT", content),
       kArchiveBit | kReadOnly | kHidden},
      {"zlib, empty", ZlibPiece("FILE.TXT", {}), kArchiveBit},
      {"stored, empty", StoredPiece("FILE.TXT", {}), kArchiveBit},
  };
  for (auto c : cases) {
    c.piece.attributes = c.attributes;
    c.piece.modTime = 1234567890;
    std::string dir;
    QarArchive* archive = OpenEntries({PieceBytes(c.piece)}, &dir);
    ASSERT_NE(archive, nullptr) << c.what;
    EXPECT_EQ(QarExtract(archive, "FILE.TXT", dir.c_str(), nullptr), 1) << c.what;
    EXPECT_EQ(QarGetLastError(), QAR_OK) << c.what;
    QarClose(archive);

    std::string out = Join(dir, "FILE.TXT");
    EXPECT_EQ(ReadFile(out), Bytes(content.begin(), content.begin() + c.piece.originalSize))
        << c.what;
    EXPECT_EQ(StampOf(out), time_t(1234567890)) << c.what;
    EXPECT_EQ(IsReadOnly(out), (c.attributes & kReadOnly) != 0) << c.what;
#ifdef _WIN32
    EXPECT_EQ(GetFileAttributesA(out.c_str()) & (kReadOnly | kHidden),
              c.attributes & (kReadOnly | kHidden))
        << c.what;
    SetFileAttributesA(out.c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
    MakeWritable(out);
  }
}

TEST(Extract, IntoCallersStreamSetsOnlyTheTimeAndLeavesItOpen) {
  Piece piece = ZlibPiece("LANG.DLL", SampleContent(5000));
  piece.attributes = kArchiveBit | kReadOnly;
  piece.modTime = 1100000000;
  std::string dir;
  QarArchive* archive = OpenEntries({PieceBytes(piece)}, &dir);
  ASSERT_NE(archive, nullptr);
  std::string target = Join(dir, "SETUPLNG.DLL");
  QarStream* stream = QarStreamOpen(target.c_str(), "w+b");
  ASSERT_NE(stream, nullptr);

  EXPECT_EQ(QarExtract(archive, "LANG.DLL", "ignored-directory", stream), 1);
  EXPECT_EQ(QarStreamTell(stream), 5000); // still open, at its end
  EXPECT_EQ(QarStreamGetTime(stream), time_t(1100000000));
  EXPECT_EQ(QarStreamClose(stream), 0);
  EXPECT_EQ(ReadFile(target), SampleContent(5000));
  EXPECT_FALSE(IsReadOnly(target));
  EXPECT_FALSE(FileExists(Join(dir, "LANG.DLL")));
  QarClose(archive);
}

TEST(Extract, OutputPathComesFromTheRequestedName) {
  const std::string sep(1, QAR_DIR_SEPARATOR);
  const struct {
    const char* request;
    const char* subdir;   // the directory given, below the scratch folder
    bool trailing;        // given with a trailing separator
    const char* expected; // below the scratch folder
  } cases[] = {
      {"README.TXT", "OUT", false, "OUT/README.TXT"},
      {"README.TXT", "OUT", true, "OUT/README.TXT"},
      {"*\\DOCS\\README.TXT", "OUT", false, "OUT/README.TXT"},
      {"*\\docs\\readme.txt", "OUT", false, "OUT/readme.txt"},
  };
  for (const auto& c : cases) {
    std::string dir;
    QarArchive* archive =
        OpenEntries({PieceBytes(StoredPiece("C:\\WORK\\DOCS\\README.TXT", {'r'}))}, &dir);
    ASSERT_NE(archive, nullptr);
    fs::create_directory(Join(dir, c.subdir));
    std::string given = Join(dir, c.subdir) + (c.trailing ? sep : "");
    EXPECT_EQ(QarExtract(archive, c.request, given.c_str(), nullptr), 1) << c.request;
    EXPECT_EQ(ReadFile(Join(dir, c.expected)), Bytes{'r'}) << c.request;
    QarClose(archive);
  }
}

TEST(Extract, NoOrEmptyDirectoryMeansTheCurrentOne) {
  std::string dir;
  QarArchive* archive = OpenEntries({PieceBytes(StoredPiece("HERE.TXT", {'h'}))}, &dir);
  ASSERT_NE(archive, nullptr);
  fs::path previous = fs::current_path();
  fs::current_path(dir);
  EXPECT_EQ(QarExtract(archive, "HERE.TXT", nullptr, nullptr), 1);
  fs::remove("HERE.TXT");
  EXPECT_EQ(QarExtract(archive, "HERE.TXT", "", nullptr), 1);
  fs::current_path(previous);
  EXPECT_EQ(ReadFile(Join(dir, "HERE.TXT")), Bytes{'h'});
  QarClose(archive);
}

TEST(Extract, FailuresThatCreateNothing) {
  std::string dir;
  QarArchive* archive = OpenEntries({PieceBytes(StoredPiece("A.TXT", {'a'}))}, &dir);
  ASSERT_NE(archive, nullptr);
  std::string longDir = dir + "/" + std::string(255 - dir.size() - 1 - 5, 'd');
  fs::create_directory(longDir);

  EXPECT_EQ(QarExtract(archive, "B.TXT", dir.c_str(), nullptr), 0);
  EXPECT_EQ(QarGetLastError(), QAR_ERR_NOT_FOUND);
  EXPECT_EQ(QarExtract(archive, "A.TXT", Join(dir, "missing").c_str(), nullptr), 0);
  EXPECT_EQ(QarGetLastError(), QAR_ERR_WRITE);
  EXPECT_EQ(QarExtract(archive, "A.TXT", longDir.c_str(), nullptr), 0); // 256 characters
  EXPECT_EQ(QarGetLastError(), QAR_ERR_WRITE);
  EXPECT_TRUE(fs::is_empty(longDir));
  EXPECT_EQ(QarExtract(nullptr, "A.TXT", dir.c_str(), nullptr), 0);
  EXPECT_EQ(QarGetLastError(), QAR_ERR_HANDLE);
  EXPECT_FALSE(archive->stateFlags & QAR_STATE_EXTRACTING);
  QarClose(archive);
}

TEST(Extract, DamagedEntries) {
  const Bytes content = SampleContent(10000);
  Piece changedStored = StoredPiece("F", content);
  changedStored.data[5000] ^= 0x01;
  Piece changedZlib = ZlibPiece("F", content);
  changedZlib.data[changedZlib.data.size() / 2] ^= 0x55;
  Piece cutZlib = ZlibPiece("F", content); // the archive ends inside the stream
  cutZlib.data.resize(cutZlib.data.size() / 2);
  Piece unknownMethod = StoredPiece("F", content);
  unknownMethod.method = 8;
  Piece longerStored = StoredPiece("F", content); // more data than the entry's size
  longerStored.originalSize = 4000;
  Piece longerZlib = ZlibPiece("F", content);
  longerZlib.originalSize = 4000;
  Piece wrongCrc = ZlibPiece("F", content);
  wrongCrc.dataCrc ^= 1;

  const struct {
    const char* what;
    Piece piece;
    int32_t error;
    size_t sizeAfter; // the output left on disk; SIZE_MAX: whatever zlib made of it
  } cases[] = {
      {"changed stored byte", changedStored, QAR_ERR_DATA_CRC, content.size()},
      {"corrupt zlib stream", changedZlib, QAR_ERR_DATA_CRC, SIZE_MAX},
      {"zlib stream cut short", cutZlib, QAR_ERR_DATA_CRC, SIZE_MAX},
      {"unknown method", unknownMethod, QAR_ERR_METHOD, 0},
      {"stored data beyond originalSize", longerStored, QAR_ERR_DATA_CRC, 4000},
      {"zlib data beyond originalSize", longerZlib, QAR_ERR_DATA_CRC, 4000},
      {"wrong data checksum", wrongCrc, QAR_ERR_DATA_CRC, content.size()},
  };
  for (const auto& c : cases) {
    std::string dir;
    QarArchive* archive = OpenEntries({PieceBytes(c.piece)}, &dir);
    ASSERT_NE(archive, nullptr) << c.what;
    EXPECT_EQ(QarExtract(archive, "F", dir.c_str(), nullptr), 0) << c.what;
    EXPECT_EQ(QarGetLastError(), c.error) << c.what;
    EXPECT_FALSE(archive->stateFlags & (QAR_STATE_EXTRACTING | QAR_STATE_INFLATE)) << c.what;
    Bytes out = ReadFile(Join(dir, "F"));
    if (c.sizeAfter == SIZE_MAX) {
      EXPECT_LE(out.size(), content.size()) << c.what;
    } else {
      EXPECT_EQ(out.size(), c.sizeAfter) << c.what;
    }
    if (c.error == QAR_ERR_DATA_CRC) { // the output is complete: time is set
      EXPECT_EQ(StampOf(Join(dir, "F")), time_t(1000000000)) << c.what;
    }
    QarClose(archive);
  }
}

namespace {

// Appends four bytes that bring the library CRC of content to target: the
// CRC is linear, and the top byte of each table value is unique.
Bytes ForgeCrc(Bytes content, uint32_t target) {
  const z_crc_t* table = get_crc_table();
  uint8_t index[4];
  uint32_t state = target; // the register after the four bytes
  for (int i = 3; i >= 0; --i) {
    for (int k = 0; k < 256; ++k)
      if ((table[k] >> 24) == (state >> 24)) {
        index[i] = uint8_t(k);
        state = (state ^ uint32_t(table[k])) << 8;
        break;
      }
  }
  uint32_t reg = LibraryCrc(content); // the register before them
  for (int i = 0; i < 4; ++i) {
    uint8_t byte = uint8_t((reg ^ index[i]) & 0xFF);
    content.push_back(byte);
    reg = (reg >> 8) ^ uint32_t(table[index[i]]);
  }
  return content;
}

} // namespace

TEST(Extract, ZlibEntryWhoseChecksumLooksLikeTheContinuedMarker) {
  // The running value carried in zlib's form is the complement of the library CRC.
  Bytes content = ForgeCrc(SampleContent(3000), ~QAR_CONTINUED);
  ASSERT_EQ(~LibraryCrc(content), QAR_CONTINUED);
  std::string dir;
  QarArchive* archive = OpenEntries({PieceBytes(ZlibPiece("M.BIN", content))}, &dir);
  ASSERT_NE(archive, nullptr);
  EXPECT_EQ(QarExtract(archive, "M.BIN", dir.c_str(), nullptr), 1);
  EXPECT_EQ(QarGetLastError(), QAR_OK);
  EXPECT_EQ(ReadFile(Join(dir, "M.BIN")), content);
  QarClose(archive);
}
