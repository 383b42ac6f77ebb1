#include "archbld.h"

#include "qarint.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

Bytes Concat(const Bytes& a, const Bytes& b) {
  Bytes joined = a;
  joined.insert(joined.end(), b.begin(), b.end());
  return joined;
}

namespace {

void PutU8(Bytes& out, uint8_t v) { out.push_back(v); }
void PutU16(Bytes& out, uint16_t v) {
  out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}
void PutU32(Bytes& out, uint32_t v) {
  PutU16(out, uint16_t(v >> 16));
  PutU16(out, uint16_t(v));
}
void PutText(Bytes& out, const char* text) {
  if (text)
    out.insert(out.end(), text, text + std::strlen(text));
  out.push_back(0);
}

} // namespace

Bytes ArchiveHeaderBytes(const std::string& name, uint32_t time, uint16_t volume) {
  QarArchiveHeader header{};
  std::memcpy(header.magic, "KVCF", 4);
  header.recordKind = QAR_KIND_ARCHIVE;
  header.madeByVersion = QAR_MADE_BY_VERSION;
  header.neededVersion = QAR_NEEDED_VERSION;
  header.hostCode = QAR_HOST_CODE;
  header.headerCode = QAR_HEADER_CODE;
  header.createdTime = header.modifiedTime = time;
  header.volumeNumber = volume;
  header.nameLength = uint16_t(name.size());
  std::memcpy(header.archiveName, name.data(), std::min(name.size(), sizeof header.archiveName));
  Bytes out(header.magic, header.magic + 4);
  PutU16(out, header.recordKind);
  PutU16(out, header.madeByVersion);
  PutU16(out, header.neededVersion);
  PutU8(out, header.hostCode);
  PutU16(out, header.archiveFlags);
  PutU8(out, header.headerCode);
  PutU32(out, header.createdTime);
  PutU32(out, header.modifiedTime);
  PutU16(out, header.volumeNumber);
  PutU16(out, header.reserved);
  PutU16(out, header.nameLength);
  out.insert(out.end(), name.begin(), name.end());
  PutU32(out, QarArchiveHeaderCrc(header));
  return out;
}

Bytes EntryBytes(const QarEntryHeader& fields, const Bytes& data) {
  QarEntryHeader entry = fields;
  std::memcpy(entry.magic, "KVCF", 4);
  Bytes out(entry.magic, entry.magic + 4);
  PutU16(out, entry.recordKind);
  PutU16(out, entry.madeByVersion);
  PutU16(out, entry.neededVersion);
  PutU8(out, entry.hostCode);
  PutU16(out, entry.entryFlags);
  PutU16(out, entry.method);
  PutU8(out, entry.entryCode);
  PutU32(out, entry.modTime);
  PutU32(out, entry.storedSize);
  PutU32(out, entry.originalSize);
  PutU32(out, entry.dataCrc);
  PutU32(out, entry.attributes);
  if (entry.entryFlags & QAR_ENTRY_EXTRA)
    PutU32(out, entry.extraValue);
  PutText(out, entry.shortName);
  PutText(out, entry.longName);
  PutText(out, entry.comment);
  PutU32(out, QarEntryHeaderCrc(entry, false));
  return Concat(out, data);
}

Bytes EndRecordBytes(uint32_t endDistance) {
  Bytes out = {'K', 'V', 'C', 'F', 0, 0};
  PutU32(out, endDistance);
  return out;
}

Bytes StoredEntryBytes(const std::string& name, const Bytes& data, uint16_t flags) {
  Piece piece = StoredPiece(name, data);
  piece.longName = name;
  piece.flags = flags;
  return PieceBytes(piece);
}

Bytes StoredArchiveBytes(const std::vector<std::pair<std::string, Bytes>>& entries,
                         const std::string& name) {
  Bytes out = ArchiveHeaderBytes(name);
  for (const auto& [entryName, data] : entries)
    out = Concat(out, StoredEntryBytes(entryName, data));
  return Concat(out, EndRecordBytes(uint32_t(out.size())));
}

Bytes PieceBytes(const Piece& piece) {
  std::string shortName = piece.shortName, longName = piece.longName;
  QarEntryHeader entry{};
  entry.recordKind = QAR_KIND_ENTRY;
  entry.madeByVersion = QAR_MADE_BY_VERSION;
  entry.neededVersion = QAR_NEEDED_VERSION;
  entry.hostCode = QAR_HOST_CODE;
  entry.entryFlags = piece.flags;
  entry.method = piece.method;
  entry.modTime = piece.modTime;
  entry.storedSize = uint32_t(piece.data.size());
  entry.originalSize = piece.originalSize;
  entry.dataCrc = piece.dataCrc;
  entry.attributes = piece.attributes;
  entry.shortName = shortName.data();
  entry.longName = longName.data();
  return EntryBytes(entry, piece.data);
}

Bytes VolumeBytes(const std::vector<Bytes>& entries, const std::string& name, uint16_t volume) {
  Bytes out = ArchiveHeaderBytes(name, 1000000000, volume);
  for (const Bytes& entry : entries)
    out = Concat(out, entry);
  return Concat(out, EndRecordBytes(uint32_t(out.size())));
}

Piece StoredPiece(const std::string& name, const Bytes& content) {
  Piece piece;
  piece.shortName = name;
  piece.data = content;
  piece.originalSize = uint32_t(content.size());
  piece.dataCrc = LibraryCrc(content);
  return piece;
}

Piece ZlibPiece(const std::string& name, const Bytes& content) {
  Piece piece = StoredPiece(name, content);
  piece.method = QAR_METHOD_ZLIB;
  piece.data = Deflate(content);
  return piece;
}

Bytes Deflate(const Bytes& content, int level) {
  uLongf length = compressBound(uLong(content.size()));
  Bytes out(length);
  if (compress2(out.data(), &length, content.data(), uLong(content.size()), level) != Z_OK) {
    std::fprintf(stderr, "archbld: compress2 failed\n");
    std::abort();
  }
  out.resize(length);
  return out;
}

uint32_t LibraryCrc(const Bytes& content) { return QarCrc(content.data(), content.size()); }

Bytes SampleContent(size_t count, uint32_t seed) {
  static const char words[][8] = {"setup ", "archive", " entry ", "volume ", "gauge\n", "zlib, "};
  Bytes out;
  out.reserve(count);
  uint32_t x = seed * 2654435761u + 1;
  while (out.size() < count) {
    x = x * 1103515245u + 12345u;
    const char* word = words[(x >> 16) % 6];
    for (const char* c = word; *c && out.size() < count; ++c)
      out.push_back(uint8_t(*c ^ ((x >> 24) & 1 ? 0x20 : 0)));
    if (out.size() < count && (x >> 8) % 5 == 0)
      out.push_back(uint8_t(x >> 3));
  }
  return out;
}
