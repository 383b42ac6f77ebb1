// The library CRC and the header checksums.
//
// The CRC is zlib's reflected CRC-32 with the register starting at 0 and no
// final inversion: the complement of crc32(0xFFFFFFFF, ...). Header checksums
// are not taken over the big-endian bytes on disk but over the fields fed in
// little-endian order, then the strings without their NULs.
#include "qarint.h"

#include <cstring>

uint32_t QarCrcUpdate(uint32_t running, const void* bytes, size_t length) {
  const auto* at = static_cast<const Bytef*>(bytes);
  uLong crc = running;
  while (length > 0) {
    uInt chunk = length > 0x40000000 ? 0x40000000 : static_cast<uInt>(length);
    crc = crc32(crc, at, chunk);
    at += chunk;
    length -= chunk;
  }
  return static_cast<uint32_t>(crc);
}

uint32_t QarCrc(const void* bytes, size_t length) {
  return ~QarCrcUpdate(QAR_CRC_START, bytes, length);
}

namespace {

struct HeaderSum {
  uint32_t running = QAR_CRC_START;

  void bytes(const void* data, size_t length) { running = QarCrcUpdate(running, data, length); }
  void u8(uint8_t value) { bytes(&value, 1); }
  void u16(uint16_t value) {
    const uint8_t le[2] = {uint8_t(value), uint8_t(value >> 8)};
    bytes(le, 2);
  }
  void u32(uint32_t value) {
    const uint8_t le[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                           uint8_t(value >> 24)};
    bytes(le, 4);
  }
  void text(const char* value) {
    if (value)
      bytes(value, std::strlen(value));
  }
  uint32_t value() const { return ~running; }
};

} // namespace

uint32_t QarArchiveHeaderCrc(const QarArchiveHeader& header) {
  HeaderSum sum;
  sum.bytes(header.magic, 4);
  sum.u16(header.recordKind);
  sum.u16(header.madeByVersion);
  sum.u16(header.neededVersion);
  sum.u8(header.hostCode);
  sum.u16(header.archiveFlags);
  sum.u8(header.headerCode);
  sum.u32(header.createdTime);
  sum.u32(header.modifiedTime);
  sum.u16(header.volumeNumber);
  sum.u16(header.reserved);
  sum.u16(header.nameLength);
  sum.bytes(header.archiveName, header.nameLength);
  return sum.value();
}

uint32_t QarEntryHeaderCrc(const QarEntryHeader& entry, bool withComment) {
  HeaderSum sum;
  sum.bytes(entry.magic, 4);
  sum.u16(entry.recordKind);
  sum.u16(entry.madeByVersion);
  sum.u16(entry.neededVersion);
  sum.u8(entry.hostCode);
  sum.u16(entry.entryFlags);
  sum.u16(entry.method);
  sum.u8(entry.entryCode);
  sum.u32(entry.modTime);
  sum.u32(entry.storedSize);
  sum.u32(entry.originalSize);
  sum.u32(entry.dataCrc);
  sum.u32(entry.attributes);
  if (entry.entryFlags & QAR_ENTRY_EXTRA)
    sum.u32(entry.extraValue);
  sum.text(entry.shortName);
  sum.text(entry.longName);
  if (withComment)
    sum.text(entry.comment);
  return sum.value();
}
