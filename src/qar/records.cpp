// Reading the container: where the chain starts, the archive header, and the
// chain of entry headers that ends with the end record.
//
//   [host bytes] "KVCF" archive header (32 + N bytes)
//                { "KVCF" entry header, data (storedSize bytes) } ...
//                "KVCF" 0x0000 endDistance   <- the end record, 10 bytes
//
// Every integer is big-endian. A reader finds the base either by a forward
// probe over the first 16 bytes (a file of its own) or by searching the last
// 8191 bytes backwards for the end record (an archive appended to a host).
//
// Bounds the format leaves open are enforced here, so that a damaged or
// hostile file cannot make a reader overrun a buffer or wander off the file:
//   - a field out of the format's range (nameLength above 261, a string of
//     more than 511 characters) is a damaged header: error 6;
//   - a record that runs past the end of the file (a string without its NUL,
//     a storedSize beyond the end, a chain without its end record): error 7;
//   - an end record found by the backward search whose endDistance points
//     before the start of the file, or a record there that is not an end
//     record: no archive, error 11.
#include "qarint.h"

#include <cstring>
#include <new>

namespace {

// A failed field read is not reported by itself: the field reads as 0 and
// the header checksum catches it.
bool ReadBytes(QarStream* stream, void* into, size_t length) {
  if (QarStreamRead(into, 1, length, stream) == length)
    return true;
  std::memset(into, 0, length);
  return false;
}

bool ReadU8(QarStream* stream, uint8_t* value) { return ReadBytes(stream, value, 1); }

bool ReadU16(QarStream* stream, uint16_t* value) {
  uint8_t be[2];
  bool ok = ReadBytes(stream, be, 2);
  *value = uint16_t(be[0] << 8 | be[1]);
  return ok;
}

bool ReadU32(QarStream* stream, uint32_t* value) {
  uint8_t be[4];
  bool ok = ReadBytes(stream, be, 4);
  *value = uint32_t(be[0]) << 24 | uint32_t(be[1]) << 16 | uint32_t(be[2]) << 8 | be[3];
  return ok;
}

bool FileSize(QarStream* stream, uint32_t* size) {
  int32_t here = QarStreamTell(stream);
  if (here < 0 || QarStreamSeek(stream, 0, SEEK_END) != 0)
    return false;
  int32_t end = QarStreamTell(stream);
  if (end < 0 || QarStreamSeek(stream, here, SEEK_SET) != 0)
    return false;
  *size = static_cast<uint32_t>(end);
  return true;
}

constexpr char kMagic[4] = {'K', 'V', 'C', 'F'};

// Index of the first "KVCF" in the bytes, or -1.
long FindMagic(const unsigned char* bytes, size_t length) {
  for (size_t i = 0; i + 4 <= length; ++i)
    if (std::memcmp(bytes + i, kMagic, 4) == 0)
      return static_cast<long>(i);
  return -1;
}

// Index of the last "KVCF" in the bytes (the first one a backward reader
// completes), or -1.
long FindMagicBackward(const unsigned char* bytes, size_t length) {
  for (size_t i = length >= 4 ? length - 4 + 1 : 0; i-- > 0;)
    if (std::memcmp(bytes + i, kMagic, 4) == 0)
      return static_cast<long>(i);
  return -1;
}

// Reads a NUL-terminated string of at most QAR_MAX_STRING characters into
// text; sets the error and returns false when it is longer or the file ends.
bool ReadString(QarStream* stream, char (&text)[QAR_MAX_STRING + 1]) {
  for (size_t i = 0; i <= QAR_MAX_STRING; ++i) {
    if (QarStreamRead(&text[i], 1, 1, stream) != 1) {
      QarSetLastError(QAR_ERR_READ);
      return false;
    }
    if (text[i] == '\0')
      return true;
  }
  QarSetLastError(QAR_ERR_HEADER_CRC);
  return false;
}

char* CopyString(const char* text) {
  size_t length = std::strlen(text);
  char* copy = new (std::nothrow) char[length + 1];
  if (copy)
    std::memcpy(copy, text, length + 1);
  else
    QarSetLastError(QAR_ERR_NOMEM);
  return copy;
}

// Reads the entry header whose magic and recordKind were read already.
bool ReadEntryBody(QarStream* stream, QarEntryHeader* entry) {
  ReadU16(stream, &entry->madeByVersion);
  ReadU16(stream, &entry->neededVersion);
  ReadU8(stream, &entry->hostCode);
  ReadU16(stream, &entry->entryFlags);
  ReadU16(stream, &entry->method);
  ReadU8(stream, &entry->entryCode);
  ReadU32(stream, &entry->modTime);
  ReadU32(stream, &entry->storedSize);
  ReadU32(stream, &entry->originalSize);
  ReadU32(stream, &entry->dataCrc);
  ReadU32(stream, &entry->attributes);
  if (entry->entryFlags & QAR_ENTRY_EXTRA)
    ReadU32(stream, &entry->extraValue);

  char text[QAR_MAX_STRING + 1];
  if (!ReadString(stream, text) || !(entry->shortName = CopyString(text)))
    return false;
  if (!ReadString(stream, text) || !(entry->longName = CopyString(text)))
    return false;
  if (!ReadString(stream, text)) // the comment is read and discarded
    return false;

  if (!ReadU32(stream, &entry->headerCrc)) {
    QarSetLastError(QAR_ERR_READ);
    return false;
  }
  if (QarEntryHeaderCrc(*entry, false) != entry->headerCrc) {
    QarSetLastError(QAR_ERR_HEADER_CRC);
    return false;
  }
  return true;
}

} // namespace

bool QarLocateBase(QarStream* stream, bool searchBackward, uint32_t* base) {
  uint32_t size = 0;
  if (QarStreamSeek(stream, 0, SEEK_SET) != 0 || !FileSize(stream, &size))
    return false;

  unsigned char probe[QAR_PROBE_BYTES];
  size_t got = QarStreamRead(probe, 1, size < QAR_PROBE_BYTES ? size : QAR_PROBE_BYTES, stream);
  long at = FindMagic(probe, got);
  if (at >= 0) {
    *base = static_cast<uint32_t>(at);
    return true;
  }
  if (!searchBackward)
    return false;

  uint32_t length = size < QAR_SEARCH_BYTES ? size : QAR_SEARCH_BYTES;
  uint32_t start = size - length;
  unsigned char tail[QAR_SEARCH_BYTES];
  if (QarStreamSeek(stream, static_cast<int32_t>(start), SEEK_SET) != 0 ||
      QarStreamRead(tail, 1, length, stream) != length)
    return false;
  at = FindMagicBackward(tail, length);
  if (at < 0)
    return false;

  uint32_t record = start + static_cast<uint32_t>(at);
  char magic[4];
  uint16_t kind = 0;
  uint32_t endDistance = 0;
  if (QarStreamSeek(stream, static_cast<int32_t>(record), SEEK_SET) != 0 ||
      !ReadBytes(stream, magic, 4) || !ReadU16(stream, &kind) || kind != QAR_KIND_END ||
      !ReadU32(stream, &endDistance) || endDistance > record)
    return false;
  *base = record - endDistance;
  return true;
}

bool QarReadArchiveHeader(QarStream* stream, QarArchiveHeader* header) {
  ReadBytes(stream, header->magic, 4);
  ReadU16(stream, &header->recordKind);
  ReadU16(stream, &header->madeByVersion);
  ReadU16(stream, &header->neededVersion);
  ReadU8(stream, &header->hostCode);
  ReadU16(stream, &header->archiveFlags);
  ReadU8(stream, &header->headerCode);
  ReadU32(stream, &header->createdTime);
  ReadU32(stream, &header->modifiedTime);
  ReadU16(stream, &header->volumeNumber);
  ReadU16(stream, &header->reserved);
  ReadU16(stream, &header->nameLength);
  if (header->nameLength > QAR_MAX_NAME_LENGTH) {
    header->nameLength = 0;
    header->archiveName[0] = '\0';
    QarSetLastError(QAR_ERR_HEADER_CRC);
    return false;
  }
  ReadBytes(stream, header->archiveName, header->nameLength);
  header->archiveName[header->nameLength] = '\0';
  if (!ReadU32(stream, &header->headerCrc)) {
    QarSetLastError(QAR_ERR_READ);
    return false;
  }
  if (QarArchiveHeaderCrc(*header) != header->headerCrc) {
    QarSetLastError(QAR_ERR_HEADER_CRC);
    return false;
  }
  return true;
}

void QarFreeEntry(QarEntryHeader* entry) {
  if (!entry)
    return;
  delete[] entry->shortName;
  delete[] entry->longName;
  delete[] entry->comment;
  delete entry;
}

void QarFreeEntryList(QarArchive* archive) {
  for (QarEntryHeader* entry = archive->entries; entry;) {
    QarEntryHeader* next = entry->next;
    QarFreeEntry(entry);
    entry = next;
  }
  archive->entries = nullptr;
  ++archive->listGeneration;
}

bool QarReadEntryList(QarArchive* archive) {
  QarStream* stream = archive->stream;
  uint32_t size = 0;
  if (!FileSize(stream, &size)) {
    QarSetLastError(QAR_ERR_READ);
    return false;
  }

  QarEntryHeader** tail = &archive->entries;
  for (;;) {
    auto* entry = new (std::nothrow) QarEntryHeader{};
    if (!entry) {
      QarSetLastError(QAR_ERR_NOMEM);
      break;
    }
    *tail = entry;
    tail = &entry->next;

    int32_t offset = QarStreamTell(stream);
    if (offset < 0) {
      QarSetLastError(QAR_ERR_READ);
      break;
    }
    entry->headerOffset = static_cast<uint32_t>(offset);
    bool whole = ReadBytes(stream, entry->magic, 4);
    whole = ReadU16(stream, &entry->recordKind) && whole;

    if (entry->recordKind == QAR_KIND_END) {
      uint32_t endDistance = 0;
      if (!whole || !ReadU32(stream, &endDistance)) {
        QarSetLastError(QAR_ERR_READ); // the chain runs off the end of the file
        break;
      }
      // The base is known already; an end record that would put it before the
      // start of the file leaves it where the archive header was read.
      if (endDistance <= entry->headerOffset)
        archive->base = entry->headerOffset - endDistance;
      entry->dataOffset = entry->headerOffset + QAR_END_RECORD_SIZE;
      return true;
    }

    if (!ReadEntryBody(stream, entry))
      break;
    offset = QarStreamTell(stream);
    if (offset < 0 || uint64_t(uint32_t(offset)) + entry->storedSize > size) {
      QarSetLastError(QAR_ERR_READ);
      break;
    }
    entry->dataOffset = static_cast<uint32_t>(offset);
    if (QarStreamSeek(stream, static_cast<int32_t>(entry->dataOffset + entry->storedSize),
                      SEEK_SET) != 0) {
      QarSetLastError(QAR_ERR_READ);
      break;
    }
  }
  QarFreeEntryList(archive);
  return false;
}
