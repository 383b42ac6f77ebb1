// Extraction: one entry, found by name, decoded piece by piece (moving on to
// the next volume while the entry continues) into a file or a caller's
// stream, then checked against its data checksum and given its time and
// attributes.
#include "fileio.h"

#include <cstdio>
#include <cstring>

namespace {

// The output file's path: the directory, a separator unless the directory
// is empty or ends in one, and the requested name's last component. An empty
// directory is the current one, never the root of the drive.
bool OutputPath(const char* name, const char* directory, char (&path)[QAR_MAX_PATH + 1]) {
  const char* file = name;
  for (const char* c = name; *c; ++c)
    if (*c == '\\' || *c == '/')
      file = c + 1;
  if (!directory)
    directory = "";
  size_t length = std::strlen(directory);
  const char separator[2] = {QAR_DIR_SEPARATOR, '\0'};
  const bool bare = length == 0 || directory[length - 1] == QAR_DIR_SEPARATOR;
  int composed = std::snprintf(path, sizeof path, "%s%s%s", directory, bare ? "" : separator, file);
  return composed >= 0 && size_t(composed) <= QAR_MAX_PATH;
}

QarDecoder DecoderFor(uint16_t method) {
  switch (method) {
  case QAR_METHOD_STORED:
    return QarUnstoreEntry;
  case QAR_METHOD_ZLIB:
    return QarInflateEntry;
  default:
    return nullptr;
  }
}

// Closes the handle with its record kept, asks for the next volume and opens
// it into the same record; returns the entry's piece there, or null with
// the last error set.
QarEntryHeader* NextVolume(QarArchive* archive, const char* name) {
  QarVolumeRequest request{};
  request.volumeNumber = ++archive->header.volumeNumber;
  request.archive = archive;
  QarCloseArchive(archive, true);
  if (!archive->progressFn(QAR_CALLBACK_VOLUME, &request, archive->callbackData)) {
    QarSetLastError(QAR_ERR_ABORTED);
    return nullptr;
  }
  request.fileName[sizeof request.fileName - 1] = '\0';
  if (!QarOpenInto(request.fileName, QAR_MODE_READONLY, archive->progressFn, archive->openParam,
                   archive))
    return nullptr;
  QarEntryHeader* piece = QarFindEntry(archive, name);
  if (!piece)
    QarSetLastError(QAR_ERR_NOT_FOUND);
  return piece;
}

// Decodes every piece of the job's entry into output. Returns false with the
// last error set when the extraction cannot go on; otherwise *outcome is the
// last decoder's result. Decoders throw TXQAR to give up.
bool DecodePieces(QarExtractJob* job, const char* name, QarStream* output, uint32_t* outcome) {
  QarArchive* archive = job->archive;
  QarDecoder decode = DecoderFor(job->entry->method);
  if (!decode) {
    QarSetLastError(QAR_ERR_METHOD);
    return false;
  }
  uint32_t written = 0;
  int idlePieces = 0;
  for (;;) {
    job->produced = written;
    uint32_t result = decode(archive->stream, output, job);
    written += job->produced;
    // An empty piece that claims to continue makes no progress. One may be
    // a writer's oddity; two in a row, followed from volume to volume (or
    // back to the same file), would never end.
    const bool idle = result == QAR_CONTINUED && job->pieceSize == 0 && job->produced == 0;
    idlePieces = idle ? idlePieces + 1 : 0;
    if (idlePieces > 1)
      result = QAR_PIECE_DAMAGED;
    if (result != QAR_CONTINUED) {
      *outcome = result;
      return true;
    }
    QarEntryHeader* piece = NextVolume(archive, name);
    if (!piece)
      return false;
    job->pieceSize = piece->storedSize;
    job->entry = piece;
    QarStreamSeek(archive->stream, static_cast<int32_t>(piece->dataOffset), SEEK_SET);
  }
}

} // namespace

int QarExtract(QarArchive* archive, const char* name, const char* directory, QarStream* stream) {
  if (!QarValidHandle(archive))
    return 0;
  if (archive->stateFlags & QAR_STATE_EXTRACTING) {
    QarSetLastError(QAR_ERR_BUSY);
    return 0;
  }
  QarEntryHeader* entry = QarFindEntry(archive, name);
  if (!entry) {
    QarSetLastError(QAR_ERR_NOT_FOUND);
    return 0;
  }

  archive->stateFlags |= QAR_STATE_EXTRACTING;
  QarEndInflate(archive); // a state no extraction owns is a leftover
  QarResetKeystream(archive);
  QarStreamSeek(archive->stream, static_cast<int32_t>(entry->dataOffset), SEEK_SET);

  char path[QAR_MAX_PATH + 1] = "";
  QarStream* output = stream;
  if (!stream && (!OutputPath(name, directory, path) || !(output = QarStreamOpen(path, "w+b")))) {
    archive->stateFlags &= ~QAR_STATE_EXTRACTING;
    QarSetLastError(QAR_ERR_WRITE);
    return 0;
  }

  // The decoders write in pieces of at most 2 KiB: a large buffer saves the
  // file system most of the calls.
  if (!stream)
    QarStreamSetVBuf(output, nullptr, _IOFBF, 1 << 16);

  QarExtractJob* job = QarCreateJob();
  bool decoded = false;
  uint32_t outcome = QAR_PIECE_DAMAGED;
  if (job) {
    job->pieceSize = entry->storedSize;
    job->originalSize = entry->originalSize;
    job->archive = archive;
    job->entry = entry;
    job->runningCrc = QAR_CRC_START;
    try {
      decoded = DecodePieces(job, name, output, &outcome);
    } catch (...) {
      QarSetLastError(QAR_ERR_ABORTED);
    }
  }

  if (!decoded) {
    int32_t error = QarGetLastError();
    if (job)
      QarFreeJob(job);
    QarEndInflate(archive);
    if (!stream)
      QarStreamClose(output);
    archive->stateFlags &= ~QAR_STATE_EXTRACTING;
    QarSetLastError(error);
    return 0;
  }

  const QarEntryHeader* last = job->entry;
  const uint32_t crc = ~job->runningCrc;
  QarFreeJob(job);
  QarStreamFlush(output);
  QarStreamSetTime(output, static_cast<time_t>(last->modTime));
  if (!stream) {
    QarSetFileAttributes(path, last->attributes);
    QarStreamClose(output);
  }
  archive->stateFlags &= ~QAR_STATE_EXTRACTING;
  if (outcome == QAR_PIECE_DAMAGED || crc != last->dataCrc) {
    QarSetLastError(QAR_ERR_DATA_CRC);
    return 0;
  }
  QarSetLastError(QAR_OK);
  return 1;
}
