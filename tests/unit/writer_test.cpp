// Creating archives: empty archives of their own or appended to a host, the
// entry header writer, and the header update.
#include "qarint.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

uint32_t U32At(const Bytes& bytes, size_t at) {
  return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 | uint32_t(bytes[at + 2]) << 8 |
         bytes[at + 3];
}

Bytes ExecutableLikeHost() {
  Bytes host(4096);
  for (size_t i = 0; i < host.size(); ++i)
    host[i] = uint8_t(i * 13 + 1);
  host[0] = 'M';
  host[1] = 'Z';
  return host;
}

} // namespace

TEST(Create, EmptyArchiveIsByteExact) {
  std::string dir = ScratchDir();
  QarArchive* archive = QarOpen(Join(dir, "NEW").c_str(), 0, nullptr);
  ASSERT_NE(archive, nullptr);
  EXPECT_EQ(QarGetLastError(), QAR_OK);
  EXPECT_EQ(archive->base, 0u);
  ASSERT_NE(archive->entries, nullptr);
  EXPECT_EQ(archive->entries->recordKind, 0);
  EXPECT_EQ(archive->entries->next, nullptr);
  QarClose(archive);

  Bytes file = ReadFile(Join(dir, "NEW.QAR"));
  ASSERT_EQ(file.size(), 49u);
  uint32_t created = U32At(file, 14);
  EXPECT_EQ(U32At(file, 18), created);
  EXPECT_NEAR(double(created), double(std::time(nullptr)), 60.0);
  EXPECT_EQ(file, Concat(ArchiveHeaderBytes("NEW.QAR", created), EndRecordBytes(39)));

  archive = QarOpen(Join(dir, "NEW.QAR").c_str(), 3, nullptr);
  ASSERT_NE(archive, nullptr);
  QarArchiveInfo info{};
  QarGetArchiveInfo(archive, &info);
  EXPECT_STREQ(info.archiveName, "NEW.QAR");
  EXPECT_EQ(info.createdTime, created);
  EXPECT_EQ(info.modifiedTime, created);
  EXPECT_EQ(info.archiveFlags, 0);
  EXPECT_EQ(archive->entries->recordKind, 0);
  EXPECT_EQ(archive->entries->next, nullptr);
  QarClose(archive);
}

TEST(Create, HeaderFlagMode) {
  std::string path = Join(ScratchDir(), "F.QAR");
  QarArchive* archive = QarOpen(path.c_str(), QAR_MODE_HEADERFLAG, nullptr);
  ASSERT_NE(archive, nullptr);
  QarArchiveInfo info{};
  QarGetArchiveInfo(archive, &info);
  EXPECT_EQ(info.archiveFlags, 1);
  QarClose(archive);
  EXPECT_EQ(ReadFile(path)[12], 1); // low byte of archiveFlags on disk
}

TEST(Create, AppendToExecutableKeepsItsBytes) {
  std::string path = Join(ScratchDir(), "SETUP.EXE");
  const Bytes host = ExecutableLikeHost();
  WriteFile(path, host);

  QarArchive* archive = QarOpen(path.c_str(), QAR_MODE_APPEND, nullptr);
  ASSERT_NE(archive, nullptr);
  EXPECT_EQ(archive->base, host.size());
  QarClose(archive);

  Bytes file = ReadFile(path);
  ASSERT_EQ(file.size(), host.size() + 42 + 9);
  EXPECT_TRUE(std::equal(host.begin(), host.end(), file.begin()));
  EXPECT_EQ(U32At(file, file.size() - 4), 32u + 9);

  archive = QarOpen(path.c_str(), 3, nullptr); // found by the backward search
  ASSERT_NE(archive, nullptr);
  EXPECT_EQ(archive->base, host.size());
  QarArchiveInfo info{};
  QarGetArchiveInfo(archive, &info);
  EXPECT_STREQ(info.archiveName, "SETUP.EXE");
  QarClose(archive);
}

TEST(Create, AppendThroughReadOnlyOpenFailsAndLeavesHost) {
  std::string path = Join(ScratchDir(), "SETUP.EXE");
  const Bytes host = ExecutableLikeHost();
  WriteFile(path, host);
  QarArchive* archive = QarOpen(path.c_str(), QAR_MODE_READONLY | QAR_MODE_APPEND, nullptr);
  EXPECT_EQ(archive, nullptr);
  EXPECT_EQ(QarGetLastError(), QAR_ERR_WRITE);
  EXPECT_EQ(ReadFile(path), host);
}

TEST(Create, EntryHeaderWriterProducesWhatReadersAccept) {
  std::string path = Join(ScratchDir(), "W.QAR");
  QarArchive* archive = QarOpen(path.c_str(), 0, nullptr);
  ASSERT_NE(archive, nullptr);
  // Replace the end record by an entry, its data, and a new end record.
  QarStreamSeek(archive->stream, int32_t(archive->entries->headerOffset), SEEK_SET);
  char shortName[] = "README~1.TXT", longName[] = "Read me.txt";
  QarEntryHeader entry{};
  entry.recordKind = QAR_KIND_ENTRY;
  entry.madeByVersion = QAR_MADE_BY_VERSION;
  entry.entryFlags = QAR_ENTRY_EXTRA;
  entry.extraValue = 99;
  entry.storedSize = entry.originalSize = 3;
  entry.dataCrc = QarCrc("abc", 3);
  entry.shortName = shortName;
  entry.longName = longName;
  ASSERT_EQ(QarWriteEntryHeader(&entry, archive), 1);
  EXPECT_EQ(QarGetLastError(), QAR_OK);
  QarStreamWrite("abc", 1, 3, archive->stream);
  QarEntryHeader end{};
  end.headerOffset = uint32_t(QarStreamTell(archive->stream));
  QarSetLastError(6);
  EXPECT_EQ(QarWriteEntryHeader(&end, archive), 1);
  EXPECT_EQ(QarGetLastError(), 6); // the end record leaves the last error
  QarClose(archive);

  archive = QarOpen(path.c_str(), 3, nullptr);
  ASSERT_NE(archive, nullptr);
  EXPECT_STREQ(archive->entries->longName, "Read me.txt");
  EXPECT_EQ(archive->entries->extraValue, 99u);
  EXPECT_EQ(archive->entries->headerCrc, entry.headerCrc);
  EXPECT_EQ(archive->entries->next->recordKind, 0);
  QarClose(archive);
}

TEST(Create, EntryWithCommentIsRejectedByReaders) {
  std::string path = Join(ScratchDir(), "C.QAR");
  QarArchive* archive = QarOpen(path.c_str(), 0, nullptr);
  ASSERT_NE(archive, nullptr);
  QarStreamSeek(archive->stream, int32_t(archive->entries->headerOffset), SEEK_SET);
  char name[] = "A", comment[] = "note";
  QarEntryHeader entry{};
  entry.recordKind = QAR_KIND_ENTRY;
  entry.shortName = name;
  entry.comment = comment;
  ASSERT_EQ(QarWriteEntryHeader(&entry, archive), 1);
  QarEntryHeader end{};
  end.headerOffset = uint32_t(QarStreamTell(archive->stream));
  QarWriteEntryHeader(&end, archive);
  QarClose(archive);

  EXPECT_EQ(QarOpen(path.c_str(), 3, nullptr), nullptr);
  EXPECT_EQ(QarGetLastError(), QAR_ERR_HEADER_CRC);
}

TEST(Update, RewritesModifiedTimeAndKeepsPosition) {
  std::string path = Join(ScratchDir(), "U.EXE");
  const Bytes host = ExecutableLikeHost();
  WriteFile(path, Concat(host, kWorkedExample));
  QarArchive* archive = QarOpen(path.c_str(), 0, nullptr);
  ASSERT_NE(archive, nullptr);
  ASSERT_NE(archive->openTime, 1000000000u);
  QarStreamSeek(archive->stream, 4200, SEEK_SET);
  EXPECT_EQ(QarUpdateHeader(archive), 1);
  EXPECT_EQ(QarStreamTell(archive->stream), 4200);
  uint32_t openTime = archive->openTime;
  QarClose(archive);

  Bytes file = ReadFile(path);
  EXPECT_EQ(U32At(file, host.size() + 14), 1000000000u); // createdTime stays
  EXPECT_EQ(U32At(file, host.size() + 18), openTime);
  archive = QarOpen(path.c_str(), 3, nullptr); // the checksum agrees
  ASSERT_NE(archive, nullptr);
  QarArchiveInfo info{};
  QarGetArchiveInfo(archive, &info);
  EXPECT_EQ(info.modifiedTime, openTime);
  EXPECT_EQ(QarUpdateHeader(archive), 0); // read-only: reported, not claimed
  EXPECT_EQ(QarGetLastError(), QAR_ERR_WRITE);
  QarClose(archive);
}
