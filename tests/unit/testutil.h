// Helpers shared by the library's unit tests: scratch folders, whole-file
// reads and writes, and the worked example archive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A fresh, empty folder for the running test, below the working directory.
std::string ScratchDir();
std::string Join(const std::string& dir, const std::string& name);

void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// The archive DEMO.QAR created at 1000000000, holding the stored entry "abc"
// as README~1.TXT / "Read me.txt": 119 bytes.
extern const Bytes kWorkedExample;

// The same bytes as the end record's position minus the base.
constexpr uint32_t kExampleEndRecord = 109;
constexpr uint32_t kExampleEntryHeader = 40;
constexpr uint32_t kExampleData = 106;

Bytes Concat(const Bytes& a, const Bytes& b);

struct QarEntryHeader;

// Builders for archives the library never writes itself: records with their
// checksums computed, so that a test can break exactly one rule.
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

Bytes Deflate(const Bytes& content);
uint32_t LibraryCrc(const Bytes& content);
// count bytes of text-like, poorly compressible content, varying with seed.
Bytes SampleContent(size_t count, uint32_t seed = 1);
