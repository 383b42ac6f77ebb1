// Writing records: the archive header, entry headers and end records, and
// the empty archive that an open creates. Fields are written big-endian, one
// at a time, at the stream's current position.
#include "qarint.h"

#include <cstdio>
#include <cstring>
#include <new>

bool QarWriteByte(QarStream* stream, uint8_t value) {
  return QarStreamWrite(&value, 1, 1, stream) == 1;
}

bool QarWriteU16(QarStream* stream, uint16_t value) {
  const uint8_t be[2] = {uint8_t(value >> 8), uint8_t(value)};
  return QarStreamWrite(be, 2, 1, stream) == 1;
}

bool QarWriteU32(QarStream* stream, uint32_t value) {
  const uint8_t be[4] = {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8),
                         uint8_t(value)};
  return QarStreamWrite(be, 4, 1, stream) == 1;
}

bool QarWriteText(QarStream* stream, const char* text) {
  if (text)
    for (const char* c = text; *c; ++c)
      QarWriteByte(stream, static_cast<uint8_t>(*c));
  QarWriteByte(stream, 0);
  return true;
}

// Only the last field's write is checked: a stream that fails keeps failing.
int QarWriteArchiveHeader(QarArchiveHeader* header, QarStream* stream) {
  QarStreamWrite(header->magic, 1, 4, stream);
  QarWriteU16(stream, header->recordKind);
  QarWriteU16(stream, header->madeByVersion);
  QarWriteU16(stream, header->neededVersion);
  QarWriteByte(stream, header->hostCode);
  QarWriteU16(stream, header->archiveFlags);
  QarWriteByte(stream, header->headerCode);
  QarWriteU32(stream, header->createdTime);
  QarWriteU32(stream, header->modifiedTime);
  QarWriteU16(stream, header->volumeNumber);
  QarWriteU16(stream, header->reserved);
  QarWriteU16(stream, header->nameLength);
  for (uint16_t i = 0; i < header->nameLength; ++i)
    QarWriteByte(stream, static_cast<uint8_t>(header->archiveName[i]));
  header->headerCrc = QarArchiveHeaderCrc(*header);
  if (!QarWriteU32(stream, header->headerCrc)) {
    QarSetLastError(QAR_ERR_WRITE);
    return 0;
  }
  QarSetLastError(QAR_OK);
  return 1;
}

// A valid handle whose archive file is open; one without its file (closed
// with the record kept) has nowhere to write: error 8.
static bool WritableHandle(QarArchive* archive) {
  if (!QarValidHandle(archive))
    return false;
  if (!archive->stream) {
    QarSetLastError(QAR_ERR_WRITE);
    return false;
  }
  return true;
}

int QarNewArchiveHeader(QarArchive* archive, const char* path, uint32_t mode, uint32_t base,
                        uint16_t volumeNumber) {
  if (!WritableHandle(archive))
    return 0;
  QarArchiveHeader& header = archive->header;
  std::memcpy(header.magic, "KVCF", 4);
  header.recordKind = QAR_KIND_ARCHIVE;
  header.madeByVersion = QAR_MADE_BY_VERSION;
  header.neededVersion = QAR_NEEDED_VERSION;
  header.hostCode = QAR_HOST_CODE;
  header.archiveFlags = mode & QAR_MODE_HEADERFLAG ? 1 : 0;
  header.headerCode = QAR_HEADER_CODE;
  header.createdTime = header.modifiedTime = archive->openTime =
      static_cast<uint32_t>(std::time(nullptr));
  header.volumeNumber = volumeNumber;
  header.reserved = 0;
  int length = std::snprintf(header.archiveName, sizeof header.archiveName, "%s",
                             QarFileNamePart(path));
  header.nameLength = static_cast<uint16_t>(
      length < 0 ? 0 : length > int(QAR_MAX_NAME_LENGTH) ? QAR_MAX_NAME_LENGTH : length);
  header.archiveName[header.nameLength] = '\0';
  archive->base = base;
  return QarWriteArchiveHeader(&header, archive->stream);
}

int QarWriteEntryHeader(QarEntryHeader* record, QarArchive* archive) {
  if (!WritableHandle(archive))
    return 0;
  if (!record) {
    QarSetLastError(QAR_ERR_HANDLE);
    return 0;
  }
  QarStream* stream = archive->stream;
  std::memcpy(record->magic, "KVCF", 4);
  QarStreamWrite(record->magic, 1, 4, stream);
  QarWriteU16(stream, record->recordKind);
  if (record->recordKind == QAR_KIND_END) {
    QarWriteU32(stream, record->headerOffset - archive->base);
    return 1;
  }
  QarWriteU16(stream, record->madeByVersion);
  QarWriteU16(stream, record->neededVersion);
  QarWriteByte(stream, record->hostCode);
  QarWriteU16(stream, record->entryFlags);
  QarWriteU16(stream, record->method);
  QarWriteByte(stream, record->entryCode);
  QarWriteU32(stream, record->modTime);
  QarWriteU32(stream, record->storedSize);
  QarWriteU32(stream, record->originalSize);
  QarWriteU32(stream, record->dataCrc);
  QarWriteU32(stream, record->attributes);
  if (record->entryFlags & QAR_ENTRY_EXTRA)
    QarWriteU32(stream, record->extraValue);
  QarWriteText(stream, record->shortName);
  QarWriteText(stream, record->longName);
  QarWriteText(stream, record->comment);
  record->headerCrc = QarEntryHeaderCrc(*record, true);
  if (!QarWriteU32(stream, record->headerCrc)) {
    QarSetLastError(QAR_ERR_WRITE);
    return 0;
  }
  QarSetLastError(QAR_OK);
  return 1;
}

// The rewrite is flushed and its outcome reported, so that a header that
// could not be written (a read-only handle, a full disk) is not taken for done.
int QarUpdateHeader(QarArchive* archive) {
  if (!WritableHandle(archive))
    return 0;
  archive->header.modifiedTime = archive->openTime;
  int32_t position = QarStreamTell(archive->stream);
  QarStreamSeek(archive->stream, static_cast<int32_t>(archive->base), SEEK_SET);
  int written = QarWriteArchiveHeader(&archive->header, archive->stream);
  QarStreamSeek(archive->stream, position, SEEK_SET);
  if (written && QarStreamFlush(archive->stream) != 0) {
    QarSetLastError(QAR_ERR_WRITE);
    return 0;
  }
  return written;
}

bool QarCreateEmptyArchive(QarArchive* archive, const char* path, uint32_t base,
                           uint16_t volumeNumber) {
  QarNewArchiveHeader(archive, path, archive->openMode, base, volumeNumber);
  auto* end = new (std::nothrow) QarEntryHeader{};
  if (!end) {
    QarSetLastError(QAR_ERR_NOMEM);
    return false;
  }
  std::memcpy(end->magic, "KVCF", 4);
  end->headerOffset = static_cast<uint32_t>(QarStreamTell(archive->stream));
  end->dataOffset = end->headerOffset + QAR_END_RECORD_SIZE;
  QarWriteEntryHeader(end, archive);
  archive->entries = end;
  // The field writers check only each header's last field, and a buffered
  // stream may fail only when flushed: look at the stream's own verdict.
  if (QarStreamFlush(archive->stream) != 0 || QarStreamError(archive->stream)) {
    QarSetLastError(QAR_ERR_WRITE);
    return false;
  }
  return true;
}
