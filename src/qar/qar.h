// The archive library: a chained, checksummed container of big-endian records
// ("KVCF" archive header, entries, end record), read through archive handles,
// extracted through the checked stream layer, and created empty.
//
// Every operation sets the library's last error (0 on success) unless it says
// otherwise; results are non-zero or a pointer for success.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>

// Error numbers: the only values the library ever leaves in its last error.
enum : int32_t {
  QAR_OK = 0,
  QAR_ERR_NOMEM = 1,       // a record or a string could not be allocated
  QAR_ERR_ABORTED = 2,     // a callback asked to stop, or a decoder gave up
  QAR_ERR_METHOD = 4,      // the entry's method is neither stored nor zlib
  QAR_ERR_DATA_CRC = 5,    // the extracted data's checksum differs
  QAR_ERR_HEADER_CRC = 6,  // a header's checksum differs, or a field is out of bounds
  QAR_ERR_READ = 7,        // a header or data could not be read in full
  QAR_ERR_WRITE = 8,       // a header or an output file could not be written
  QAR_ERR_NO_ARCHIVE = 11, // the file holds no archive
  QAR_ERR_HANDLE = 12,     // a null handle or one without its signature
  QAR_ERR_OPEN = 13,       // the archive file could neither be opened nor created
  QAR_ERR_NOT_FOUND = 14,  // no entry matches the requested name
  QAR_ERR_MODE = 19,       // QarOpen was given QAR_MODE_RESERVED
  QAR_ERR_BUSY = 20,       // an extraction is already running on the handle
};

// Open mode bits.
enum : uint32_t {
  QAR_MODE_NOCREATE = 0x1,    // never create a file
  QAR_MODE_READONLY = 0x2,    // open an existing file "rb" instead of "r+b"
  QAR_MODE_HEADERFLAG = 0x4,  // a newly written archive header gets archiveFlags 1
  QAR_MODE_APPEND = 0x8,      // append a new archive when none starts the file
  QAR_MODE_NOEXISTING = 0x10, // do not open an existing file, only create one
  QAR_MODE_RESERVED = 0x10000,
};

constexpr uint32_t QAR_VERSION = 0x099B0150;

// Entry flag bits.
enum : uint16_t {
  QAR_ENTRY_CONTINUED = 0x0002, // the data goes on in the next volume
  QAR_ENTRY_EXTRA = 0x0004,     // a 4-byte extraValue follows attributes
  QAR_ENTRY_HIDDEN = 0x0020,    // left out of listings, found by name
};

// Entry methods.
enum : uint16_t {
  QAR_METHOD_STORED = 0,
  QAR_METHOD_ZLIB = 4,
};

struct QarStream;  // one open file of the checked stream layer
struct QarArchive; // an archive handle; opaque to callers

// One entry header (or the end record, recordKind 0) as the open reads it
// into the handle's list, and as QarWriteEntryHeader writes it.
struct QarEntryHeader {
  char magic[4];
  uint16_t recordKind;
  uint16_t madeByVersion;
  uint16_t neededVersion;
  uint8_t hostCode;
  uint16_t entryFlags;
  uint16_t method;
  uint8_t entryCode;
  uint32_t modTime;
  uint32_t storedSize;
  uint32_t originalSize;
  uint32_t dataCrc;
  uint32_t attributes;
  uint32_t extraValue;
  char* shortName; // owned by the handle's list when read by an open
  char* longName;
  char* comment;   // always null after reading
  uint32_t headerCrc;
  uint32_t headerOffset; // file offset of the record's magic
  uint32_t dataOffset;   // file offset of the first data byte
  QarEntryHeader* next;
};

// The archive header's fields, as QarGetArchiveInfo copies them.
struct QarArchiveInfo {
  uint16_t madeByVersion;
  uint16_t neededVersion;
  uint8_t hostCode;
  uint16_t archiveFlags;
  uint8_t headerCode;
  uint32_t createdTime;
  uint32_t modifiedTime;
  char archiveName[262];
};

// Callback kinds.
enum : int {
  QAR_CALLBACK_PROGRESS = 0, // record is a QarProgress
  QAR_CALLBACK_VOLUME = 1,   // record is a QarVolumeRequest
};

// Progress of one entry; a callback result of 2 stops the extraction.
struct QarProgress {
  uint32_t total;    // the entry's originalSize
  uint32_t done;     // bytes of the entry written so far, all pieces counted
  uint32_t finished; // 1 on the last call for a piece
};

// Request for the next volume: the callback writes its path into fileName
// and returns non-zero to go on, 0 to stop.
struct QarVolumeRequest {
  char fileName[256];
  uint16_t volumeNumber;
  QarArchive* archive;
};

using QarProgressFn = int (*)(int kind, void* record, uint32_t callbackData);

// One listed entry, handed to a listing callback for the length of the call.
// Names longer than 255 characters are cut to 255.
struct QarEntryInfo {
  uint16_t madeByVersion;
  uint16_t neededVersion;
  uint8_t hostCode;
  uint16_t entryFlags;
  uint16_t method;
  uint8_t entryCode;
  uint32_t modTime;
  uint32_t storedSize;
  uint32_t originalSize;
  uint32_t dataCrc;
  uint32_t attributes;
  uint32_t extraValue;
  char shortName[256];
  char longName[256];
  char comment[256];
};

// Listing callback: non-zero to go on, 0 to stop. The third argument is 0.
using QarEnumFn = int (*)(QarEntryInfo* info, uint32_t userValue, uint32_t reserved);

// The exception the entry decoders throw to abandon a decoding; it carries
// nothing, and QarExtract catches it. No exception crosses a library call.
struct TXQAR {};

// Library context and last error.
int QarInit();
int QarExit();
int32_t QarGetLastError();
int32_t QarSetLastError(int32_t error);
uint32_t QarGetVersion();

// Archive handles.
QarArchive* QarOpen(const char* path, uint32_t mode, QarProgressFn progressFn);
QarArchive* QarOpenEx(const char* path, uint32_t mode, QarProgressFn progressFn,
                      uint32_t openParam);
QarArchive* QarOpenInto(const char* path, uint32_t mode, QarProgressFn progressFn,
                        uint32_t openParam, QarArchive* reuse);
int QarClose(QarArchive* archive);
int QarCloseArchive(QarArchive* archive, bool keepRecord);
int QarSetPassword(QarArchive* archive, const char* password);
int QarSetOpenParam(QarArchive* archive, uint32_t openParam);
int QarSetCallbackData(QarArchive* archive, uint32_t callbackData);
uint32_t QarGetCallbackData(QarArchive* archive);
int QarGetArchiveInfo(QarArchive* archive, QarArchiveInfo* info);

// Lookup, listing and extraction. Names match patterns with '*' and '?',
// ignoring the case of ASCII letters; a pattern without a backslash is
// compared with the last component of a stored path. A name or pattern of
// more than 4096 characters matches nothing.
bool QarMatchName(const char* name, const char* pattern);
QarEntryHeader* QarFindEntry(QarArchive* archive, const char* pattern); // sets no last error
bool QarEntryExists(QarArchive* archive, const char* pattern);          // sets no last error
int QarEnumerate(QarArchive* archive, const char* pattern, QarEnumFn callback,
                 uint32_t userValue);
// Extracts the first entry matching name into stream when one is given (it
// stays open), else into a file named after the name's last component in
// directory (the current directory when null or empty).
int QarExtract(QarArchive* archive, const char* name, const char* directory, QarStream* stream);

// The password keystream over the raw data bytes; inert without a password.
int QarResetKeystream(QarArchive* archive);
int QarApplyKeystream(QarArchive* archive, void* buffer, uint32_t count);

// Archive writing: the archive header and entry headers (or end records).
int QarNewArchiveHeader(QarArchive* archive, const char* path, uint32_t mode,
                        uint32_t base, uint16_t volumeNumber);
int QarWriteEntryHeader(QarEntryHeader* record, QarArchive* archive);
int QarUpdateHeader(QarArchive* archive);

// The checked stream layer, over the C runtime's buffered streams. These set
// no last error: each hands back what the C runtime returned.
//
// On Windows, QarStreamRead first probes its destination and the stream with
// IsBadWritePtr / IsBadReadPtr and reports a caller's programming error in a
// message box ("Bad Write Ptr!", "Bad Read Ptr!"). Elsewhere the probes are
// absent: there is no portable way to ask whether memory is writable.
QarStream* QarStreamOpen(const char* path, const char* mode);
int QarStreamClose(QarStream* stream);
size_t QarStreamRead(void* buffer, size_t size, size_t count, QarStream* stream);
size_t QarStreamWrite(const void* buffer, size_t size, size_t count, QarStream* stream);
int QarStreamSeek(QarStream* stream, int32_t offset, int origin);
int32_t QarStreamTell(QarStream* stream);
int QarStreamPutc(int c, QarStream* stream);
int QarStreamPuts(const char* text, QarStream* stream);
int QarStreamGetc(QarStream* stream);
int QarStreamGetw(QarStream* stream);
int QarStreamPutw(int word, QarStream* stream);
void QarStreamSetBuf(QarStream* stream, char* buffer);
int QarStreamSetVBuf(QarStream* stream, char* buffer, int type, size_t size);
int QarStreamEof(QarStream* stream);
int QarStreamError(QarStream* stream);
void QarStreamClearErr(QarStream* stream);
int QarStreamFileNo(QarStream* stream);
int QarStreamFlush(QarStream* stream);

// The file's last-write time, in the archive's time-stamp form: the file's
// UTC clock fields read as local time. On Windows through SetFileTime /
// GetFileTime; elsewhere through futimens / fstat with the same round trip.
bool QarStreamSetTime(QarStream* stream, time_t time);
time_t QarStreamGetTime(QarStream* stream);
