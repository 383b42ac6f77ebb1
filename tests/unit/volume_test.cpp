// Entries split over volumes: following them through the callback, and every
// way the volume change can fail.
#include "qarint.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string nextVolume; // what the callback names; empty: it refuses
uint16_t requestedVolume = 0;
uint32_t lastDone = 0, lastTotal = 0;

int Volumes(int kind, void* record, uint32_t) {
  if (kind == QAR_CALLBACK_PROGRESS) {
    lastDone = static_cast<QarProgress*>(record)->done;
    lastTotal = static_cast<QarProgress*>(record)->total;
    return 1;
  }
  auto* request = static_cast<QarVolumeRequest*>(record);
  EXPECT_STREQ(request->fileName, "");
  requestedVolume = request->volumeNumber;
  std::snprintf(request->fileName, sizeof request->fileName, "%s", nextVolume.c_str());
  return nextVolume.empty() ? 0 : 1;
}

const Bytes kContent = SampleContent(30000);

// SET.QAR holds A.TXT and the first piece of B.BIN; SET2.QAR the second piece
// of B.BIN and C.TXT.
struct VolumeSet {
  std::string dir, first, second;
};

VolumeSet WriteVolumes(uint16_t method, bool secondHasB = true) {
  VolumeSet set;
  set.dir = ScratchDir();
  set.first = Join(set.dir, "SET.QAR");
  set.second = Join(set.dir, "SET2.QAR");
  const Bytes data = method == QAR_METHOD_ZLIB ? Deflate(kContent) : kContent;
  const size_t cut = data.size() * 2 / 5;
  Piece one = StoredPiece("B.BIN", {});
  one.method = method;
  one.data.assign(data.begin(), data.begin() + long(cut));
  one.originalSize = uint32_t(kContent.size());
  one.flags = QAR_ENTRY_CONTINUED;
  Piece two = one;
  two.data.assign(data.begin() + long(cut), data.end());
  two.flags = 0;
  two.dataCrc = LibraryCrc(kContent);
  WriteFile(set.first,
            VolumeBytes({PieceBytes(StoredPiece("A.TXT", {'a'})), PieceBytes(one)}, "SET.QAR", 1));
  std::vector<Bytes> second = {PieceBytes(StoredPiece("C.TXT", {'c'}))};
  if (secondHasB)
    second.insert(second.begin(), PieceBytes(two));
  WriteFile(set.second, VolumeBytes(second, "SET.QAR", 2));
  return set;
}

QarArchive* OpenFirst(const VolumeSet& set, const std::string& next) {
  nextVolume = next;
  requestedVolume = 0;
  return QarOpen(set.first.c_str(), 3, Volumes);
}

} // namespace

TEST(Volumes, SplitEntriesExtractWhole) {
  for (uint16_t method : {QAR_METHOD_STORED, QAR_METHOD_ZLIB}) {
    VolumeSet set = WriteVolumes(method);
    QarArchive* archive = OpenFirst(set, set.second);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(QarExtract(archive, "B.BIN", set.dir.c_str(), nullptr), 1) << method;
    EXPECT_EQ(QarGetLastError(), QAR_OK);
    EXPECT_EQ(requestedVolume, 2);
    EXPECT_EQ(archive->header.volumeNumber, 2);
    EXPECT_EQ(lastDone, kContent.size()); // progress counts all pieces
    EXPECT_EQ(lastTotal, kContent.size());
    EXPECT_EQ(ReadFile(Join(set.dir, "B.BIN")), kContent) << method;
    EXPECT_FALSE(archive->stateFlags & QAR_STATE_INFLATE);
    EXPECT_EQ(QarExtract(archive, "C.TXT", set.dir.c_str(), nullptr), 1); // the new list
    QarClose(archive);
  }
}

TEST(Volumes, VolumeChangesThatFail) {
  const struct {
    const char* what;
    const char* next; // relative to the scratch folder; "" refuses
    bool secondHasB;
    int32_t error;
  } cases[] = {
      {"callback refuses", "", true, QAR_ERR_ABORTED},
      {"next volume lacks the entry", "SET2.QAR", false, QAR_ERR_NOT_FOUND},
      {"next volume cannot be opened", "missing/SET2.QAR", true, QAR_ERR_OPEN},
      {"next volume holds no archive", "JUNK.BIN", true, QAR_ERR_NO_ARCHIVE},
  };
  for (uint16_t method : {QAR_METHOD_STORED, QAR_METHOD_ZLIB}) {
    for (const auto& c : cases) {
      VolumeSet set = WriteVolumes(method, c.secondHasB);
      WriteFile(Join(set.dir, "JUNK.BIN"), Bytes(100, 'j'));
      QarArchive* archive = OpenFirst(set, *c.next ? Join(set.dir, c.next) : "");
      ASSERT_NE(archive, nullptr);
      EXPECT_EQ(QarExtract(archive, "B.BIN", set.dir.c_str(), nullptr), 0) << c.what;
      EXPECT_EQ(QarGetLastError(), c.error) << c.what;
      // The first piece stays on disk; the inflate state is gone.
      Bytes out = ReadFile(Join(set.dir, "B.BIN"));
      EXPECT_GT(out.size(), 0u) << c.what;
      EXPECT_TRUE(std::equal(out.begin(), out.end(), kContent.begin())) << c.what;
      EXPECT_FALSE(archive->stateFlags & (QAR_STATE_EXTRACTING | QAR_STATE_INFLATE)) << c.what;
      EXPECT_EQ(QarClose(archive), 1) << c.what;
    }
  }
}

TEST(Volumes, DefaultCallbackAnswersWithAnEmptyName) {
  VolumeSet set = WriteVolumes(QAR_METHOD_STORED);
  QarArchive* archive = QarOpen(set.first.c_str(), 3, nullptr);
  ASSERT_NE(archive, nullptr);
  fs::path previous = fs::current_path();
  fs::current_path(set.dir);
  EXPECT_EQ(QarExtract(archive, "B.BIN", nullptr, nullptr), 0);
  EXPECT_EQ(QarGetLastError(), QAR_ERR_NOT_FOUND);
  EXPECT_TRUE(FileExists(".QAR")); // created, empty, by the read-only open of the next volume
  fs::current_path(previous);
  EXPECT_EQ(QarClose(archive), 1);
}

TEST(Volumes, ListingFindsItsPlaceAfterAVolumeChange) {
  static std::vector<std::string> listed;
  static QarArchive* handle;
  static std::string dir;
  listed.clear();
  VolumeSet set = WriteVolumes(QAR_METHOD_ZLIB);
  dir = set.dir;
  handle = OpenFirst(set, set.second);
  ASSERT_NE(handle, nullptr);
  auto extractWhileListing = [](QarEntryInfo* info, uint32_t, uint32_t) {
    listed.push_back(info->shortName);
    if (listed.back() == "B.BIN") {
      EXPECT_EQ(QarExtract(handle, "B.BIN", dir.c_str(), nullptr), 1);
    }
    return 1;
  };
  EXPECT_EQ(QarEnumerate(handle, "*", extractWhileListing, 0), 1);
  EXPECT_EQ(listed, (std::vector<std::string>{"A.TXT", "B.BIN", "C.TXT"}));
  QarClose(handle);
}

TEST(Volumes, ClosingWithALiveInflateStateReleasesIt) {
  VolumeSet set = WriteVolumes(QAR_METHOD_ZLIB);
  QarArchive* archive = OpenFirst(set, set.second);
  ASSERT_NE(archive, nullptr);
  QarEntryHeader* piece = QarFindEntry(archive, "B.BIN");
  QarStream* output = QarStreamOpen(Join(set.dir, "OUT").c_str(), "w+b");
  QarExtractJob* job = QarCreateJob();
  job->archive = archive;
  job->entry = piece;
  job->pieceSize = piece->storedSize;
  job->originalSize = piece->originalSize;
  job->runningCrc = QAR_CRC_START;
  QarStreamSeek(archive->stream, int32_t(piece->dataOffset), SEEK_SET);
  EXPECT_EQ(QarInflateEntry(archive->stream, output, job), QAR_CONTINUED);
  EXPECT_TRUE(archive->stateFlags & QAR_STATE_INFLATE);
  QarFreeJob(job);
  QarStreamClose(output);
  EXPECT_EQ(QarClose(archive), 1); // the leak checker of the sanitizer build watches this
}

TEST(Volumes, ListingSurvivesAnExtractionThatComesBackToTheSameFile) {
  // The next volume named is the first one again, with the same volume
  // number: the list is new all the same, and the listing must notice.
  static std::vector<std::string> listed;
  static QarArchive* handle;
  static std::string dir;
  listed.clear();
  VolumeSet set = WriteVolumes(QAR_METHOD_STORED);
  dir = set.dir;
  handle = OpenFirst(set, set.first);
  ASSERT_NE(handle, nullptr);
  auto extractWhileListing = [](QarEntryInfo* info, uint32_t, uint32_t) {
    listed.push_back(info->shortName);
    if (listed.back() == "B.BIN") { // its pieces repeat until past its size
      EXPECT_EQ(QarExtract(handle, "B.BIN", dir.c_str(), nullptr), 0);
      EXPECT_EQ(QarGetLastError(), QAR_ERR_DATA_CRC);
    }
    return 1;
  };
  EXPECT_EQ(QarEnumerate(handle, "*", extractWhileListing, 0), 1);
  EXPECT_EQ(listed, (std::vector<std::string>{"A.TXT", "B.BIN"}));
  QarClose(handle);
}

TEST(Volumes, EmptyPiecesThatContinueForeverEndAsDamaged) {
  // Each volume names itself as the next: an empty piece that says it
  // continues would be followed forever.
  const std::string dir = ScratchDir();
  const std::string path = Join(dir, "LOOP.QAR");
  Piece empty = StoredPiece("E.BIN", {});
  empty.originalSize = 5;
  empty.flags = QAR_ENTRY_CONTINUED;
  WriteFile(path, VolumeBytes({PieceBytes(empty)}, "LOOP.QAR"));
  QarArchive* archive = OpenFirst({dir, path, path}, path);
  ASSERT_NE(archive, nullptr);
  EXPECT_EQ(QarExtract(archive, "E.BIN", dir.c_str(), nullptr), 0);
  EXPECT_EQ(QarGetLastError(), QAR_ERR_DATA_CRC);
  EXPECT_EQ(QarClose(archive), 1);
}
