#include "qarint.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(LibraryCrc, CheckValueAndEmptyInput) {
  EXPECT_EQ(QarCrc("abc", 3), 0xCA6598D0u);
  EXPECT_EQ(QarCrc("", 0), 0u);
}

TEST(LibraryCrc, CarriesOverSeveralBuffers) {
  uint32_t running = QarCrcUpdate(QAR_CRC_START, "a", 1);
  running = QarCrcUpdate(running, "bc", 2);
  EXPECT_EQ(~running, 0xCA6598D0u);
}

TEST(HeaderCrc, WorkedExampleArchiveHeader) {
  QarArchiveHeader header{};
  std::memcpy(header.magic, "KVCF", 4);
  header.recordKind = 36;
  header.madeByVersion = 0x0150;
  header.neededVersion = 0x0130;
  header.hostCode = 3;
  header.headerCode = 2;
  header.createdTime = header.modifiedTime = 1000000000;
  header.volumeNumber = 1;
  header.nameLength = 8;
  std::strcpy(header.archiveName, "DEMO.QAR");
  EXPECT_EQ(QarArchiveHeaderCrc(header), 0x10747971u);
}

TEST(HeaderCrc, WorkedExampleEntryHeaderAndWhatItCovers) {
  char shortName[] = "README~1.TXT", longName[] = "Read me.txt", comment[] = "x";
  QarEntryHeader entry{};
  std::memcpy(entry.magic, "KVCF", 4);
  entry.recordKind = 72;
  entry.madeByVersion = 0x0150;
  entry.neededVersion = 0x0130;
  entry.hostCode = 3;
  entry.modTime = 1000000000;
  entry.storedSize = entry.originalSize = 3;
  entry.dataCrc = 0xCA6598D0;
  entry.attributes = 0x20;
  entry.shortName = shortName;
  entry.longName = longName;
  EXPECT_EQ(QarEntryHeaderCrc(entry, false), 0xB3AE5691u);

  entry.comment = comment; // readers leave the comment out
  EXPECT_EQ(QarEntryHeaderCrc(entry, false), 0xB3AE5691u);
  EXPECT_NE(QarEntryHeaderCrc(entry, true), 0xB3AE5691u);

  entry.extraValue = 7; // counted only when flagged
  EXPECT_EQ(QarEntryHeaderCrc(entry, false), 0xB3AE5691u);
  entry.entryFlags = QAR_ENTRY_EXTRA;
  EXPECT_NE(QarEntryHeaderCrc(entry, false), 0xB3AE5691u);
}
