// The library's outer face: start-up, the last error, archive handles and
// their settings.
#include "qarint.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

int32_t lastError = QAR_OK;

int DefaultCallback(int, void*, uint32_t) { return 1; }

QarArchive* FailOpen(QarArchive* archive, bool allocated, int32_t error) {
  if (archive->stream)
    QarStreamClose(archive->stream);
  archive->stream = nullptr;
  QarFreeEntryList(archive);
  if (allocated) {
    archive->signature = 0;
    delete archive;
  }
  QarSetLastError(error);
  return nullptr;
}

// The archive file's path: as given when its file name has an extension
// (even a lone final dot), else with ".QAR" appended. False when the result
// does not fit in QAR_MAX_PATH characters.
bool ArchivePath(const char* path, char (&composed)[QAR_MAX_PATH + 1]) {
  const char* extension = std::strrchr(QarFileNamePart(path), '.');
  int length = std::snprintf(composed, sizeof composed, extension ? "%s" : "%s.QAR", path);
  return length >= 0 && size_t(length) <= QAR_MAX_PATH;
}

} // namespace

int QarInit() {
  lastError = QAR_OK;
  return 1;
}

int QarExit() {
  lastError = QAR_OK;
  return 1;
}

int32_t QarGetLastError() { return lastError; }

int32_t QarSetLastError(int32_t error) {
  int32_t previous = lastError;
  lastError = error;
  return previous;
}

uint32_t QarGetVersion() { return QAR_VERSION; }

bool QarValidHandle(const QarArchive* archive) {
  if (archive && archive->signature == QAR_ARCHIVE_SIGNATURE)
    return true;
  QarSetLastError(QAR_ERR_HANDLE);
  return false;
}

const char* QarFileNamePart(const char* path) {
  const char* name = path;
  for (const char* c = path; *c; ++c)
    if (*c == '\\' || *c == '/' || *c == ':')
      name = c + 1;
  return name;
}

QarArchive* QarOpen(const char* path, uint32_t mode, QarProgressFn progressFn) {
  if (mode & QAR_MODE_RESERVED) {
    QarSetLastError(QAR_ERR_MODE);
    return nullptr;
  }
  return QarOpenEx(path, mode, progressFn, 0xFFFFFFFF);
}

QarArchive* QarOpenEx(const char* path, uint32_t mode, QarProgressFn progressFn,
                      uint32_t openParam) {
  return QarOpenInto(path, mode, progressFn, openParam, nullptr);
}

QarArchive* QarOpenInto(const char* path, uint32_t mode, QarProgressFn progressFn,
                        uint32_t openParam, QarArchive* reuse) {
  if (reuse && !QarValidHandle(reuse))
    return nullptr;
  QarArchive* archive = reuse;
  if (reuse) {
    QarCloseArchive(reuse, true);
  } else if (!(archive = new (std::nothrow) QarArchive{})) {
    QarSetLastError(QAR_ERR_NOMEM);
    return nullptr;
  }
  const bool allocated = !reuse;

  archive->signature = QAR_ARCHIVE_SIGNATURE;
  archive->stream = nullptr;
  char composed[QAR_MAX_PATH + 1];
  if (!path || !ArchivePath(path, composed))
    return FailOpen(archive, allocated, QAR_ERR_OPEN);

  if (!(mode & QAR_MODE_NOEXISTING))
    archive->stream = QarStreamOpen(composed, mode & QAR_MODE_READONLY ? "rb" : "r+b");
  bool created = false;
  if (!archive->stream && !(mode & QAR_MODE_NOCREATE))
    created = (archive->stream = QarStreamOpen(composed, "w+b")) != nullptr;
  archive->openMode = mode;
  if (!archive->stream)
    return FailOpen(archive, allocated, QAR_ERR_OPEN);

  if (allocated) {
    archive->openParam = openParam;
    archive->stateFlags = 0;
    archive->header.volumeNumber = 1;
    archive->callbackData = 0;
  }
  archive->progressFn = progressFn ? progressFn : DefaultCallback;
  QarStreamSetVBuf(archive->stream, nullptr, _IOFBF, 8192);

  const uint16_t volume = archive->header.volumeNumber;
  if (created) {
    if (!QarCreateEmptyArchive(archive, composed, 0, volume))
      return FailOpen(archive, allocated, QarGetLastError());
  } else if (uint32_t base = 0;
             QarLocateBase(archive->stream, !(mode & QAR_MODE_APPEND), &base)) {
    archive->base = base;
    if (QarStreamSeek(archive->stream, static_cast<int32_t>(base), SEEK_SET) != 0)
      return FailOpen(archive, allocated, QAR_ERR_READ);
    if (!QarReadArchiveHeader(archive->stream, &archive->header))
      return FailOpen(archive, allocated, QarGetLastError());
    archive->openTime = static_cast<uint32_t>(std::time(nullptr));
    if (!QarReadEntryList(archive))
      return FailOpen(archive, allocated, QarGetLastError());
  } else if (mode & QAR_MODE_APPEND) {
    int32_t size = -1;
    if (QarStreamSeek(archive->stream, 0, SEEK_END) != 0 ||
        (size = QarStreamTell(archive->stream)) < 0)
      return FailOpen(archive, allocated, QAR_ERR_READ);
    if (!QarCreateEmptyArchive(archive, composed, static_cast<uint32_t>(size), volume))
      return FailOpen(archive, allocated, QarGetLastError());
  } else {
    return FailOpen(archive, allocated, QAR_ERR_NO_ARCHIVE);
  }
  QarSetLastError(QAR_OK);
  return archive;
}

int QarClose(QarArchive* archive) { return QarCloseArchive(archive, false); }

int QarCloseArchive(QarArchive* archive, bool keepRecord) {
  if (!QarValidHandle(archive))
    return 0;
  if (archive->stream)
    QarStreamClose(archive->stream);
  archive->stream = nullptr;
  QarFreeEntryList(archive);
  if (!keepRecord) {
    QarEndInflate(archive);
    archive->signature = 0;
    delete archive;
  }
  QarSetLastError(QAR_OK);
  return 1;
}

int QarSetPassword(QarArchive* archive, const char* password) {
  if (!QarValidHandle(archive))
    return 0;
  if (password) {
    archive->keySeed = static_cast<uint32_t>(
        crc32(0x5A17C3E9, reinterpret_cast<const Bytef*>(password),
              static_cast<uInt>(std::strlen(password))));
    archive->stateFlags |= QAR_STATE_PASSWORD;
  } else {
    archive->stateFlags &= ~QAR_STATE_PASSWORD;
  }
  QarSetLastError(QAR_OK);
  return 1;
}

int QarSetOpenParam(QarArchive* archive, uint32_t openParam) {
  if (!QarValidHandle(archive))
    return 0;
  archive->openParam = openParam;
  QarSetLastError(QAR_OK);
  return 1;
}

int QarSetCallbackData(QarArchive* archive, uint32_t callbackData) {
  if (!QarValidHandle(archive))
    return 0;
  archive->callbackData = callbackData;
  QarSetLastError(QAR_OK);
  return 1;
}

uint32_t QarGetCallbackData(QarArchive* archive) {
  if (!QarValidHandle(archive))
    return 0;
  QarSetLastError(QAR_OK);
  return archive->callbackData;
}

int QarGetArchiveInfo(QarArchive* archive, QarArchiveInfo* info) {
  if (!QarValidHandle(archive))
    return 0;
  if (!info) {
    QarSetLastError(QAR_ERR_HANDLE);
    return 0;
  }
  const QarArchiveHeader& header = archive->header;
  info->madeByVersion = header.madeByVersion;
  info->neededVersion = header.neededVersion;
  info->hostCode = header.hostCode;
  info->archiveFlags = header.archiveFlags;
  info->headerCode = header.headerCode;
  info->createdTime = header.createdTime;
  info->modifiedTime = header.modifiedTime;
  std::memcpy(info->archiveName, header.archiveName, header.nameLength);
  info->archiveName[header.nameLength] = '\0';
  QarSetLastError(QAR_OK);
  return 1;
}
