// Reading the container: the worked example, locating the base, damaged and
// hostile input.
#include "qarint.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Opened {
  QarArchive* archive;
  int32_t error;
};

Opened OpenBytes(const Bytes& bytes, const char* name = "A.QAR") {
  std::string path = Join(ScratchDir(), name);
  WriteFile(path, bytes);
  QarArchive* archive = QarOpen(path.c_str(), QAR_MODE_NOCREATE | QAR_MODE_READONLY, nullptr);
  return {archive, QarGetLastError()};
}

int32_t OpenError(const Bytes& bytes) {
  Opened opened = OpenBytes(bytes);
  if (opened.archive)
    QarClose(opened.archive);
  return opened.error;
}

// An executable-like host: "MZ" and bytes that hold no magic.
Bytes Host(size_t size) {
  Bytes host(size);
  for (size_t i = 0; i < size; ++i)
    host[i] = uint8_t(i * 7 + 3);
  host[0] = 'M';
  host[1] = 'Z';
  return host;
}

void ExpectWorkedExample(QarArchive* archive, uint32_t base) {
  ASSERT_NE(archive, nullptr);
  EXPECT_EQ(archive->base, base);
  QarArchiveInfo info{};
  ASSERT_TRUE(QarGetArchiveInfo(archive, &info));
  EXPECT_EQ(info.madeByVersion, 0x0150);
  EXPECT_EQ(info.neededVersion, 0x0130);
  EXPECT_EQ(info.hostCode, 3);
  EXPECT_EQ(info.archiveFlags, 0);
  EXPECT_EQ(info.headerCode, 2);
  EXPECT_EQ(info.createdTime, 1000000000u);
  EXPECT_EQ(info.modifiedTime, 1000000000u);
  EXPECT_STREQ(info.archiveName, "DEMO.QAR");
  EXPECT_EQ(archive->header.volumeNumber, 1);
  EXPECT_EQ(archive->header.headerCrc, 0x10747971u);

  const QarEntryHeader* entry = archive->entries;
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->recordKind, 72);
  EXPECT_EQ(entry->entryFlags, 0);
  EXPECT_EQ(entry->method, QAR_METHOD_STORED);
  EXPECT_EQ(entry->modTime, 1000000000u);
  EXPECT_EQ(entry->storedSize, 3u);
  EXPECT_EQ(entry->originalSize, 3u);
  EXPECT_EQ(entry->dataCrc, 0xCA6598D0u);
  EXPECT_EQ(entry->attributes, 0x20u);
  EXPECT_EQ(entry->extraValue, 0u);
  EXPECT_STREQ(entry->shortName, "README~1.TXT");
  EXPECT_STREQ(entry->longName, "Read me.txt");
  EXPECT_EQ(entry->comment, nullptr);
  EXPECT_EQ(entry->headerCrc, 0xB3AE5691u);
  EXPECT_EQ(entry->headerOffset, base + kExampleEntryHeader);
  EXPECT_EQ(entry->dataOffset, base + kExampleData);

  const QarEntryHeader* end = entry->next;
  ASSERT_NE(end, nullptr);
  EXPECT_EQ(end->recordKind, 0);
  EXPECT_EQ(end->headerOffset, base + kExampleEndRecord);
  EXPECT_EQ(end->next, nullptr);
}

} // namespace

TEST(Format, ReadsWorkedExampleAsFileOfItsOwn) {
  ASSERT_EQ(kWorkedExample.size(), 119u);
  Opened opened = OpenBytes(kWorkedExample);
  EXPECT_EQ(opened.error, QAR_OK);
  ExpectWorkedExample(opened.archive, 0);
  QarClose(opened.archive);
}

TEST(Format, ReadsWorkedExampleAppendedToHost) {
  const Bytes host = Host(5000);
  Opened opened = OpenBytes(Concat(host, kWorkedExample), "SETUP.EXE");
  EXPECT_EQ(opened.error, QAR_OK);
  ExpectWorkedExample(opened.archive, 5000);
  QarClose(opened.archive);
}

TEST(Format, ForwardProbeFindsArchiveStartingWithinTwelveBytes) {
  // Trailing bytes beyond the backward search's reach leave the probe alone.
  const Bytes trailer(9000, 0);
  for (size_t lead : {size_t(0), size_t(12)}) {
    Opened opened = OpenBytes(Concat(Concat(Bytes(lead, 'x'), kWorkedExample), trailer));
    ASSERT_NE(opened.archive, nullptr) << lead;
    EXPECT_EQ(opened.archive->base, lead);
    QarClose(opened.archive);
  }
  EXPECT_EQ(OpenError(Concat(Concat(Bytes(13, 'x'), kWorkedExample), trailer)),
            QAR_ERR_NO_ARCHIVE);
}

TEST(Format, EmptyArchiveOpensWithOnlyTheEndRecord) {
  Bytes header = ArchiveHeaderBytes("EMPTY.QAR");
  Opened opened = OpenBytes(Concat(header, EndRecordBytes(uint32_t(header.size()))));
  ASSERT_NE(opened.archive, nullptr);
  ASSERT_NE(opened.archive->entries, nullptr);
  EXPECT_EQ(opened.archive->entries->recordKind, 0);
  EXPECT_EQ(opened.archive->entries->next, nullptr);
  QarClose(opened.archive);
}

TEST(Format, ExtraValueLengthensTheHeaderAndIsChecked) {
  std::string name = "X.BIN";
  QarEntryHeader entry{};
  entry.recordKind = 72;
  entry.entryFlags = QAR_ENTRY_EXTRA;
  entry.extraValue = 0xDEADBEEF;
  entry.shortName = name.data();
  Bytes header = ArchiveHeaderBytes("E.QAR");
  Bytes archive = Concat(header, EntryBytes(entry, {}));
  archive = Concat(archive, EndRecordBytes(uint32_t(archive.size())));

  Opened opened = OpenBytes(archive);
  ASSERT_NE(opened.archive, nullptr);
  EXPECT_EQ(opened.archive->entries->extraValue, 0xDEADBEEFu);
  EXPECT_EQ(opened.archive->entries->dataOffset, header.size() + 36 + 4 + 6 + 1 + 1 + 4);
  QarClose(opened.archive);

  archive[header.size() + 36] ^= 0x01; // a byte of extraValue
  EXPECT_EQ(OpenError(archive), QAR_ERR_HEADER_CRC);
}

TEST(Format, ChangedHeaderByteFailsWithHeaderChecksum) {
  // Every byte of the archive header and of the entry header, magic and the
  // checksum fields included; the data and the end record are not covered.
  // A nameLength of 247 (byte 27) makes the header run past the end of this
  // small file, so that its checksum cannot be read at all.
  constexpr uint32_t nameLengthLow = 27;
  for (uint32_t at = 0; at < kExampleData; ++at) {
    Bytes damaged = kWorkedExample;
    damaged[at] ^= 0xFF;
    EXPECT_EQ(OpenError(damaged), at == nameLengthLow ? QAR_ERR_READ : QAR_ERR_HEADER_CRC)
        << "byte " << at;
  }
}

TEST(Format, ChangedDataByteStillOpens) {
  Bytes damaged = kWorkedExample;
  damaged[kExampleData + 1] ^= 0xFF;
  EXPECT_EQ(OpenError(damaged), QAR_OK);
}

TEST(Format, CommentFromAnotherWriterFailsTheChecksum) {
  std::string name = "A.TXT", comment = "hello";
  QarEntryHeader entry{};
  entry.recordKind = 72;
  entry.shortName = name.data();
  entry.comment = comment.data(); // EntryBytes checks without it, as readers do
  Bytes archive = Concat(ArchiveHeaderBytes("C.QAR"), EntryBytes(entry, {}));
  archive = Concat(archive, EndRecordBytes(uint32_t(archive.size())));
  EXPECT_EQ(OpenError(archive), QAR_OK);

  // Written the way a writer that covers the comment would: checksum over it.
  QarEntryHeader covered = entry;
  std::memcpy(covered.magic, "KVCF", 4);
  uint32_t crc = QarEntryHeaderCrc(covered, true);
  size_t crcAt = archive.size() - 10 - 4;
  for (int i = 0; i < 4; ++i)
    archive[crcAt + i] = uint8_t(crc >> (24 - 8 * i));
  EXPECT_EQ(OpenError(archive), QAR_ERR_HEADER_CRC);
}

TEST(Format, RecordKindZeroEndsTheChainQuietly) {
  Bytes cut = kWorkedExample;
  cut[kExampleEntryHeader + 4] = 0;
  cut[kExampleEntryHeader + 5] = 0;
  Opened opened = OpenBytes(cut);
  ASSERT_NE(opened.archive, nullptr);
  EXPECT_EQ(opened.error, QAR_OK);
  EXPECT_EQ(opened.archive->entries->recordKind, 0);
  EXPECT_EQ(opened.archive->entries->next, nullptr);
  EXPECT_EQ(opened.archive->base, 0u);
  QarClose(opened.archive);
}

TEST(Format, TrailingBytesAfterEndRecordUpToTheSearchBound) {
  const Bytes appended = Concat(Host(300), kWorkedExample);
  EXPECT_EQ(OpenError(Concat(appended, Bytes(8181, 0))), QAR_OK);
  EXPECT_EQ(OpenError(Concat(appended, Bytes(8182, 0))), QAR_ERR_NO_ARCHIVE);
}

TEST(Format, FilesWithoutArchive) {
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"empty file", {}},
      {"host only", Host(20000)},
      {"backward search meets an entry, not an end record",
       Concat(Host(100), StoredEntryBytes("A", {}))},
      {"end record pointing before the file",
       Concat(Host(100), EndRecordBytes(101))},
      {"end record cut short", Concat(Host(100), Bytes{'K', 'V', 'C', 'F', 0, 0, 0})},
  };
  for (const auto& c : cases)
    EXPECT_EQ(OpenError(c.bytes), QAR_ERR_NO_ARCHIVE) << c.what;
}

TEST(Format, BoundsTheFormatLeavesOpen) {
  const Bytes header = ArchiveHeaderBytes("B.QAR");
  auto archiveOf = [&](const Bytes& entries) {
    Bytes archive = Concat(header, entries);
    return Concat(archive, EndRecordBytes(uint32_t(archive.size())));
  };
  QarEntryHeader huge{};
  std::string name = "BIG";
  huge.recordKind = 72;
  huge.storedSize = 0xFFFFFFF0;
  huge.shortName = name.data();
  Bytes truncatedName = Concat(header, StoredEntryBytes("CUT.TXT", {}));
  truncatedName.resize(header.size() + 36 + 2);

  const struct {
    const char* what;
    Bytes bytes;
    int32_t error;
  } cases[] = {
      {"name of 261 bytes",
       Concat(ArchiveHeaderBytes(std::string(261, 'N')), EndRecordBytes(293)), QAR_OK},
      {"nameLength 262", Concat(ArchiveHeaderBytes(std::string(262, 'N')), EndRecordBytes(294)),
       QAR_ERR_HEADER_CRC},
      {"string of 511 characters", archiveOf(StoredEntryBytes(std::string(511, 's'), {})),
       QAR_OK},
      {"string of 512 characters", archiveOf(StoredEntryBytes(std::string(512, 's'), {})),
       QAR_ERR_HEADER_CRC},
      {"string running into the end of the file", truncatedName, QAR_ERR_READ},
      {"storedSize past the end of the file", archiveOf(EntryBytes(huge, {})), QAR_ERR_READ},
      {"chain without its end record", Concat(header, StoredEntryBytes("A", {'a'})),
       QAR_ERR_READ},
  };
  for (const auto& c : cases)
    EXPECT_EQ(OpenError(c.bytes), c.error) << c.what;
}
