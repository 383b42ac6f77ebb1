// INTERNAL to the archive library. Callers include qar.h only; nothing here
// is part of the library's face, and the layouts may change at any time.
#pragma once

#include "qar.h"

#include <cstdio>
#include <zlib.h>

constexpr uint32_t QAR_ARCHIVE_SIGNATURE = 0x98124928;

constexpr uint16_t QAR_MADE_BY_VERSION = QAR_VERSION & 0xFFFF;
constexpr uint16_t QAR_NEEDED_VERSION = 0x0130;
constexpr uint8_t QAR_HOST_CODE = 3;
constexpr uint8_t QAR_HEADER_CODE = 2;
constexpr uint16_t QAR_KIND_ARCHIVE = 36;
constexpr uint16_t QAR_KIND_ENTRY = 72;
constexpr uint16_t QAR_KIND_END = 0;

// Bounds of the on-disk format that a reader enforces.
constexpr uint32_t QAR_MAX_NAME_LENGTH = 261;  // archiveName bytes
constexpr uint32_t QAR_MAX_STRING = 511;       // characters of an entry string
constexpr size_t QAR_MAX_PATTERN = 4096;       // longer names and patterns match nothing
constexpr uint32_t QAR_PROBE_BYTES = 16;       // forward probe for the magic
constexpr uint32_t QAR_SEARCH_BYTES = 8191;    // backward search for the end record
constexpr uint32_t QAR_END_RECORD_SIZE = 10;
constexpr size_t QAR_MAX_PATH = 255;           // longest path the library composes

#ifdef _WIN32
constexpr char QAR_DIR_SEPARATOR = '\\';
#else
constexpr char QAR_DIR_SEPARATOR = '/';
#endif

// State flags of a handle.
enum : uint32_t {
  QAR_STATE_EXTRACTING = 0x1,
  QAR_STATE_INFLATE = 0x2,
  QAR_STATE_PASSWORD = 0x8,
};

struct QarStream {
  FILE* file;
  char* buffer; // the stream's buffer when the layer allocated it, else null
};

// The archive header's fields as read or written; archiveName is
// NUL-terminated in memory.
struct QarArchiveHeader {
  char magic[4];
  uint16_t recordKind;
  uint16_t madeByVersion;
  uint16_t neededVersion;
  uint8_t hostCode;
  uint16_t archiveFlags;
  uint8_t headerCode;
  uint32_t createdTime;
  uint32_t modifiedTime;
  uint16_t volumeNumber;
  uint16_t reserved;
  uint16_t nameLength;
  char archiveName[262];
  uint32_t headerCrc;
};

// The zlib state of the inflate decoder, kept across volumes while an entry
// continues.
struct QarInflateState {
  z_stream zs;
  unsigned char* in;
  unsigned char* out;
};

struct QarArchive {
  uint32_t signature;
  QarStream* stream;
  uint32_t openMode;
  uint32_t stateFlags;
  uint32_t base;
  QarArchiveHeader header;
  uint32_t openTime;
  QarEntryHeader* entries;
  uint32_t listGeneration; // counts the lists freed, so a walk can tell its list is gone
  QarInflateState inflateState;
  uint32_t openParam;
  QarProgressFn progressFn;
  uint32_t callbackData;
  uint32_t keySeed;
  uint32_t keyRegister;
};

// True when the handle is not null and carries its signature; otherwise sets
// error 12.
bool QarValidHandle(const QarArchive* archive);

// The library CRC: reflected CRC-32 on zlib's table, register starting at 0,
// no final inversion. A running value is carried in zlib's form (start at
// 0xFFFFFFFF, continue with crc32) and complemented at the end.
constexpr uint32_t QAR_CRC_START = 0xFFFFFFFF;
uint32_t QarCrcUpdate(uint32_t running, const void* bytes, size_t length);
uint32_t QarCrc(const void* bytes, size_t length);

// Header checksums over the fields' little-endian serialisation.
uint32_t QarArchiveHeaderCrc(const QarArchiveHeader& header);
uint32_t QarEntryHeaderCrc(const QarEntryHeader& entry, bool withComment);

// Reading the container: locating the base, the archive header, the chain.
bool QarLocateBase(QarStream* stream, bool searchBackward, uint32_t* base);
bool QarReadArchiveHeader(QarStream* stream, QarArchiveHeader* header);
bool QarReadEntryList(QarArchive* archive);
void QarFreeEntryList(QarArchive* archive);
void QarFreeEntry(QarEntryHeader* entry);

// Writing.
int QarWriteArchiveHeader(QarArchiveHeader* header, QarStream* stream);
bool QarWriteByte(QarStream* stream, uint8_t value);
bool QarWriteU16(QarStream* stream, uint16_t value);
bool QarWriteU32(QarStream* stream, uint32_t value);
bool QarWriteText(QarStream* stream, const char* text);

// The file name and extension of a path, without drive and directory.
const char* QarFileNamePart(const char* path);

// Writes an empty archive (archive header, end record) at the stream's
// position and makes the end record the handle's whole entry list. False,
// with error 1 or 8, when it could not be written.
bool QarCreateEmptyArchive(QarArchive* archive, const char* path, uint32_t base,
                           uint16_t volumeNumber);

// The record one extraction hands to the entry decoders.
constexpr uint32_t QAR_JOB_SIGNATURE = 0x95276489;

struct QarExtractJob {
  uint32_t signature;
  uint32_t runningCrc;   // zlib's running form: starts at 0xFFFFFFFF
  uint32_t pieceSize;    // storedSize of the piece being decoded
  uint32_t originalSize; // the entry's whole size, the total of its progress
  uint32_t produced;     // in: bytes written before this piece; out: by this piece
  QarArchive* archive;
  QarEntryHeader* entry;
};

QarExtractJob* QarCreateJob();            // error 1 when it cannot be allocated
int QarFreeJob(QarExtractJob* job);       // error 12 for a bad job, else 0
uint32_t QarGetJobCrc(QarExtractJob* job);
int QarSetJobCrc(QarExtractJob* job, uint32_t runningCrc);
uint32_t QarGetJobPieceSize(QarExtractJob* job);
int QarSetJobPieceSize(QarExtractJob* job, uint32_t pieceSize);
uint32_t QarGetJobOriginalSize(QarExtractJob* job);
int QarSetJobOriginalSize(QarExtractJob* job, uint32_t originalSize);

// Results of the entry decoders. Besides these, the inflate decoder returns
// zlib's (negative) error code when it cannot start; the checksum decides.
constexpr uint32_t QAR_CONTINUED = 0x12345678; // the entry goes on in the next volume
constexpr uint32_t QAR_PIECE_DONE = 1;         // the entry is complete
constexpr uint32_t QAR_PIECE_DAMAGED = 0;      // corrupt, cut short, or longer than its size

using QarDecoder = uint32_t (*)(QarStream* archive, QarStream* output, QarExtractJob* job);
uint32_t QarUnstoreEntry(QarStream* archive, QarStream* output, QarExtractJob* job);
uint32_t QarInflateEntry(QarStream* archive, QarStream* output, QarExtractJob* job);

// Ends a live inflate state (state flag 0x2) and frees its buffers; leaves the
// last error alone.
void QarEndInflate(QarArchive* archive);
