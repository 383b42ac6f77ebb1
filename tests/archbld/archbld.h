// Builders of archive bytes for tests, fuzz seeds and benchmarks: records
// with their checksums computed, so that a caller can break exactly one rule
// of the format, or build archives the library never writes itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<uint8_t>;

Bytes Concat(const Bytes& a, const Bytes& b);

struct QarEntryHeader;

Bytes ArchiveHeaderBytes(const std::string& name, uint32_t time = 1000000000,
                         uint16_t volume = 1);
Bytes EntryBytes(const QarEntryHeader& fields, const Bytes& data);
Bytes EndRecordBytes(uint32_t endDistance);
// A stored entry named name (short and long) with the given data.
Bytes StoredEntryBytes(const std::string& name, const Bytes& data, uint16_t flags = 0);
// A whole archive of stored entries named after their contents' keys.
Bytes StoredArchiveBytes(const std::vector<std::pair<std::string, Bytes>>& entries,
                         const std::string& name = "TEST.QAR");

// One entry header with its data, for archives of any shape: zlib entries,
// pieces of an entry split over volumes, damaged sizes and checksums.
struct Piece {
  std::string shortName;
  Bytes data; // the stored bytes
  uint16_t method = 0;
  uint32_t originalSize = 0;
  uint32_t dataCrc = 0;
  uint16_t flags = 0;
  uint32_t attributes = 0x20;
  uint32_t modTime = 1000000000;
  std::string longName;
};
Bytes PieceBytes(const Piece& piece);
// A complete volume: archive header, the given entries, end record.
Bytes VolumeBytes(const std::vector<Bytes>& entries, const std::string& name = "TEST.QAR",
                  uint16_t volume = 1);
// A whole file as one stored or zlib entry.
Piece StoredPiece(const std::string& name, const Bytes& content);
Piece ZlibPiece(const std::string& name, const Bytes& content);

Bytes Deflate(const Bytes& content, int level = 9);
uint32_t LibraryCrc(const Bytes& content);
// count bytes of text-like, poorly compressible content, varying with seed.
Bytes SampleContent(size_t count, uint32_t seed = 1);
