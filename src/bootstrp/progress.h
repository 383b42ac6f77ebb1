// The gauge position of the extraction phase: files done so far count in
// whole shares of the range, the entry being extracted by its fraction.
#pragma once

#include <cstdint>

// done × 100 is taken in 64 bits: in 32 it overflows past 42,949,672 bytes
// and would move the gauge backwards.
inline uint32_t ProgressPosition(uint32_t filesDone, uint32_t filesTotal, uint32_t done,
                                 uint32_t total) {
  if (total == 0)
    return 100;
  if (filesTotal == 0)
    return 0;
  return uint32_t(filesDone * 100u / filesTotal + uint64_t(done) * 100 / total / filesTotal);
}
