// The extraction job: the record one extraction hands to the entry decoders.
#include "qarint.h"

#include <new>

namespace {

bool ValidJob(const QarExtractJob* job) {
  if (job && job->signature == QAR_JOB_SIGNATURE)
    return true;
  QarSetLastError(QAR_ERR_HANDLE);
  return false;
}

} // namespace

QarExtractJob* QarCreateJob() {
  auto* job = new (std::nothrow) QarExtractJob{};
  if (!job) {
    QarSetLastError(QAR_ERR_NOMEM);
    return nullptr;
  }
  job->signature = QAR_JOB_SIGNATURE;
  return job;
}

int QarFreeJob(QarExtractJob* job) {
  if (!ValidJob(job))
    return 0;
  job->signature = 0;
  delete job;
  QarSetLastError(QAR_OK);
  return 1;
}

uint32_t QarGetJobCrc(QarExtractJob* job) { return ValidJob(job) ? job->runningCrc : 0; }
uint32_t QarGetJobPieceSize(QarExtractJob* job) { return ValidJob(job) ? job->pieceSize : 0; }
uint32_t QarGetJobOriginalSize(QarExtractJob* job) {
  return ValidJob(job) ? job->originalSize : 0;
}

int QarSetJobCrc(QarExtractJob* job, uint32_t runningCrc) {
  if (!ValidJob(job))
    return 0;
  job->runningCrc = runningCrc;
  return 1;
}

int QarSetJobPieceSize(QarExtractJob* job, uint32_t pieceSize) {
  if (!ValidJob(job))
    return 0;
  job->pieceSize = pieceSize;
  return 1;
}

int QarSetJobOriginalSize(QarExtractJob* job, uint32_t originalSize) {
  if (!ValidJob(job))
    return 0;
  job->originalSize = originalSize;
  return 1;
}
