// The entry decoders' progress contract, cancellation, re-entry, and the
// keystream.
#include "qarint.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Call {
  uint32_t total, done, finished;
};

// Progress callbacks get a 32-bit value; the record of calls lives here.
std::vector<Call> calls;
int answerOnCall = 0; // 1-based call that is answered 2; 0: none
QarArchive* nestedHandle = nullptr;
int32_t nestedError = -1;

int Record(int kind, void* record, uint32_t) {
  if (kind != QAR_CALLBACK_PROGRESS)
    return 0;
  const auto* progress = static_cast<QarProgress*>(record);
  calls.push_back({progress->total, progress->done, progress->finished});
  if (nestedHandle && calls.size() == 1) {
    QarExtract(nestedHandle, "E", nullptr, nullptr);
    nestedError = QarGetLastError();
  }
  return int(calls.size()) == answerOnCall ? 2 : 1;
}

QarArchive* OpenWith(const std::vector<Bytes>& entries, std::string* dir) {
  *dir = ScratchDir();
  std::string path = Join(*dir, "P.QAR");
  WriteFile(path, VolumeBytes(entries));
  calls.clear();
  answerOnCall = 0;
  nestedHandle = nullptr;
  return QarOpen(path.c_str(), 3, Record);
}

size_t CallsWhileDecoding() {
  size_t n = 0;
  for (const Call& call : calls)
    n += call.finished == 0;
  return n;
}

} // namespace

TEST(Progress, StoredPiecesReportEverySixteenthBlockAndOnceAtTheEnd) {
  const struct {
    size_t size;
    size_t during;
  } cases[] = {{0, 0}, {1, 1}, {4096, 1}, {4097, 2}, {8192, 2}, {8193, 3}};
  for (const auto& c : cases) {
    std::string dir;
    QarArchive* archive = OpenWith({PieceBytes(StoredPiece("E", SampleContent(c.size)))}, &dir);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(QarExtract(archive, "E", dir.c_str(), nullptr), 1) << c.size;
    EXPECT_EQ(CallsWhileDecoding(), c.during) << c.size;
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().finished, 1u);
    EXPECT_EQ(calls.back().done, c.size);
    EXPECT_EQ(calls.back().total, c.size);
    if (c.during >= 2) { // blocks 1 and 17
      EXPECT_EQ(calls[0].done, 256u);
      EXPECT_EQ(calls[1].done, std::min<uint32_t>(uint32_t(c.size), 17 * 256));
    }
    QarClose(archive);
  }
}

TEST(Progress, ZlibReportsEveryInflateStepAndOnceAtTheEnd) {
  const Bytes content = SampleContent(100000);
  std::string dir;
  QarArchive* archive = OpenWith({PieceBytes(ZlibPiece("E", content))}, &dir);
  ASSERT_NE(archive, nullptr);
  EXPECT_EQ(QarExtract(archive, "E", dir.c_str(), nullptr), 1);
  ASSERT_GT(CallsWhileDecoding(), content.size() / 2048);
  uint32_t done = 0;
  for (size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].total, content.size());
    EXPECT_GE(calls[i].done, done);
    EXPECT_EQ(calls[i].finished, i + 1 == calls.size() ? 1u : 0u);
    done = calls[i].done;
  }
  EXPECT_EQ(done, content.size());
  QarClose(archive);
}

TEST(Progress, AnswerTwoStopsAndKeepsWhatWasWritten) {
  const Bytes content = SampleContent(20000);
  for (uint16_t method : {QAR_METHOD_STORED, QAR_METHOD_ZLIB}) {
    Piece piece = method ? ZlibPiece("E", content) : StoredPiece("E", content);
    std::string dir;
    QarArchive* archive = OpenWith({PieceBytes(piece)}, &dir);
    ASSERT_NE(archive, nullptr);
    answerOnCall = 2;
    EXPECT_EQ(QarExtract(archive, "E", dir.c_str(), nullptr), 0) << method;
    EXPECT_EQ(QarGetLastError(), QAR_ERR_ABORTED) << method;
    EXPECT_EQ(calls.size(), 2u) << method;
    EXPECT_FALSE(archive->stateFlags & (QAR_STATE_EXTRACTING | QAR_STATE_INFLATE));
    Bytes out = ReadFile(Join(dir, "E"));
    EXPECT_EQ(out.size(), calls.back().done) << method;
    EXPECT_TRUE(std::equal(out.begin(), out.end(), content.begin())) << method;
    QarClose(archive);
  }
}

TEST(Progress, AnswerOfTheFinishedCallIsIgnored) {
  std::string dir;
  QarArchive* archive = OpenWith({PieceBytes(StoredPiece("E", {'x'}))}, &dir);
  ASSERT_NE(archive, nullptr);
  answerOnCall = 2; // one block: the second call is the finished one
  EXPECT_EQ(QarExtract(archive, "E", dir.c_str(), nullptr), 1);
  EXPECT_EQ(calls.size(), 2u);
  QarClose(archive);
}

TEST(Progress, NestedExtractionIsRefusedAndTheOuterOneFinishes) {
  std::string dir;
  QarArchive* archive = OpenWith({PieceBytes(StoredPiece("E", SampleContent(1000)))}, &dir);
  ASSERT_NE(archive, nullptr);
  nestedHandle = archive;
  nestedError = -1;
  EXPECT_EQ(QarExtract(archive, "E", dir.c_str(), nullptr), 1);
  EXPECT_EQ(nestedError, QAR_ERR_BUSY);
  EXPECT_EQ(QarGetLastError(), QAR_OK);
  EXPECT_EQ(ReadFile(Join(dir, "E")), SampleContent(1000));
  nestedHandle = nullptr;
  QarClose(archive);
}

TEST(Keystream, IsItsOwnInverseAndInertWithoutPassword) {
  std::string dir;
  QarArchive* archive = OpenWith({}, &dir);
  ASSERT_NE(archive, nullptr);
  Bytes bytes = SampleContent(1000), original = bytes;

  QarSetLastError(6);
  EXPECT_EQ(QarResetKeystream(archive), 1);
  EXPECT_EQ(QarApplyKeystream(archive, bytes.data(), 1000), 1);
  EXPECT_EQ(QarApplyKeystream(archive, nullptr, 5), 1);
  EXPECT_EQ(QarGetLastError(), 6); // no password: nothing happens, nothing is set
  EXPECT_EQ(bytes, original);

  QarSetPassword(archive, "pass");
  QarResetKeystream(archive);
  QarApplyKeystream(archive, bytes.data(), 600);
  QarApplyKeystream(archive, bytes.data() + 600, 400); // continues the stream
  EXPECT_NE(bytes, original);
  QarResetKeystream(archive);
  QarApplyKeystream(archive, bytes.data(), 1000);
  EXPECT_EQ(bytes, original);
  EXPECT_EQ(QarApplyKeystream(archive, nullptr, 5), 0);
  EXPECT_EQ(QarGetLastError(), QAR_ERR_HANDLE);
  QarClose(archive);
}

TEST(Keystream, ExtractionUndoesItAndAdvancesOncePerDataByte) {
  const Bytes content = SampleContent(30000);
  for (uint16_t method : {QAR_METHOD_STORED, QAR_METHOD_ZLIB}) {
    std::string dir;
    QarArchive* archive = OpenWith({}, &dir);
    ASSERT_NE(archive, nullptr);
    Piece piece = method ? ZlibPiece("E", content) : StoredPiece("E", content);
    // Scramble the stored bytes with the password's keystream, and see where
    // the register stands after them.
    QarSetPassword(archive, "secret");
    QarResetKeystream(archive);
    QarApplyKeystream(archive, piece.data.data(), uint32_t(piece.data.size()));
    const uint32_t after = archive->keyRegister;
    QarClose(archive);

    archive = OpenWith({PieceBytes(piece)}, &dir);
    ASSERT_NE(archive, nullptr);
    QarSetPassword(archive, "secret");
    EXPECT_EQ(QarExtract(archive, "E", dir.c_str(), nullptr), 1) << method;
    EXPECT_EQ(archive->keyRegister, after) << method;
    EXPECT_EQ(ReadFile(Join(dir, "E")), content) << method;
    QarClose(archive);
  }
}
