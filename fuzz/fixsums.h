// Header checksums put right, so that a fuzzer's change to a header field
// reaches the code behind the checksum test instead of stopping at it.
#pragma once

#include <cstdint>
#include <vector>

// Walks the chain of records from the archive header at base as a reader
// would, and rewrites the checksum of every header it can parse. Returns
// true when any byte changed. Stops quietly at the first record it cannot
// parse or that runs past the end of the bytes.
bool FixChecksums(std::vector<uint8_t>& bytes, uint32_t base);
