// The password keystream: a byte-wise XOR with a register that a linear
// congruential step and a rotation advance. It is its own inverse.
#include "qarint.h"

int QarResetKeystream(QarArchive* archive) {
  if (!QarValidHandle(archive))
    return 0;
  if (archive->stateFlags & QAR_STATE_PASSWORD) {
    archive->keyRegister = archive->keySeed;
    QarSetLastError(QAR_OK);
  }
  return 1;
}

int QarApplyKeystream(QarArchive* archive, void* buffer, uint32_t count) {
  if (!QarValidHandle(archive))
    return 0;
  if (!(archive->stateFlags & QAR_STATE_PASSWORD))
    return 1;
  if (!buffer) {
    QarSetLastError(QAR_ERR_HANDLE);
    return 0;
  }
  uint32_t key = archive->keyRegister;
  auto* bytes = static_cast<uint8_t*>(buffer);
  for (uint32_t i = 0; i < count; ++i) {
    bytes[i] ^= uint8_t(key);
    uint32_t product = key * 22695477u;
    key = product >> 8 | product << 24;
  }
  archive->keyRegister = key;
  QarSetLastError(QAR_OK);
  return 1;
}
