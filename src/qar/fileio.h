// INTERNAL to the archive library: the operating-system half of the checked
// stream layer, implemented once for Windows (fileiow.cpp) and once for
// POSIX systems (fileiop.cpp).
#pragma once

#include "qarint.h"

// Before a read: reports a destination the process cannot write, or a stream
// record it cannot read. A no-op where the system offers no such probe.
void QarProbeRead(void* destination, uint32_t length, QarStream* stream);

// Gives a file the Windows attribute bits of an entry; returns false when the
// system refuses. Elsewhere only the read-only bit has a meaning: it clears
// the file's write permissions.
bool QarSetFileAttributes(const char* path, uint32_t attributes);
