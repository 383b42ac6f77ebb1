// The stored-entry decoder: copies a piece's bytes in 256-byte blocks,
// undoing the keystream, carrying the checksum on and reporting progress on
// every 16th block.
#include "qarint.h"

uint32_t QarUnstoreEntry(QarStream* archiveStream, QarStream* output, QarExtractJob* job) {
  QarArchive* archive = job->archive;
  const uint32_t before = job->produced;
  // No entry writes more than its originalSize, whatever its pieces say.
  const uint32_t room = job->originalSize > before ? job->originalSize - before : 0;
  uint32_t remaining = job->pieceSize, written = 0, block = 0, crc = job->runningCrc;
  bool tooLong = false;
  QarProgress progress{job->originalSize, before, 0};

  while (remaining != 0 && !tooLong) {
    uint8_t buffer[256];
    uint32_t n = remaining < sizeof buffer ? remaining : uint32_t(sizeof buffer);
    if (QarStreamRead(buffer, 1, n, archiveStream) != n) {
      QarSetLastError(QAR_ERR_READ);
      throw TXQAR{};
    }
    QarApplyKeystream(archive, buffer, n);
    remaining -= n;
    if (n > room - written) {
      n = room - written;
      tooLong = true;
    }
    if (QarStreamWrite(buffer, 1, n, output) != n) {
      QarSetLastError(QAR_ERR_WRITE);
      throw TXQAR{};
    }
    written += n;
    crc = QarCrcUpdate(crc, buffer, n);
    progress.done = before + written;
    if (block++ % 16 == 0 &&
        archive->progressFn(QAR_CALLBACK_PROGRESS, &progress, archive->callbackData) == 2) {
      QarSetLastError(QAR_ERR_ABORTED);
      throw TXQAR{};
    }
  }

  progress.done = before + written;
  progress.finished = 1;
  archive->progressFn(QAR_CALLBACK_PROGRESS, &progress, archive->callbackData);
  job->runningCrc = crc;
  job->produced = written;
  if (tooLong)
    return QAR_PIECE_DAMAGED;
  return before + written != job->originalSize ? QAR_CONTINUED : QAR_PIECE_DONE;
}
