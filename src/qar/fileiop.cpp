// The POSIX half of the checked stream layer. There is no way to ask whether
// memory is writable, so the pointer probes are absent; file times go through
// futimens / fstat with the same "UTC clock fields read as local time" round
// trip as on Windows; of the attribute bits only read-only has a meaning.
#include "fileio.h"

#include <sys/stat.h>

void QarProbeRead(void*, uint32_t, QarStream*) {}

bool QarStreamSetTime(QarStream* stream, time_t time) {
  tm local{};
  if (!localtime_r(&time, &local))
    return false;
  const timespec times[2] = {{0, UTIME_OMIT}, {timegm(&local), 0}};
  return futimens(QarStreamFileNo(stream), times) == 0;
}

time_t QarStreamGetTime(QarStream* stream) {
  struct stat status {};
  tm fields{};
  if (fstat(QarStreamFileNo(stream), &status) != 0 || !gmtime_r(&status.st_mtime, &fields))
    return 0;
  fields.tm_isdst = -1;
  return std::mktime(&fields);
}

bool QarSetFileAttributes(const char* path, uint32_t attributes) {
  constexpr uint32_t readOnly = 0x1;
  struct stat status {};
  if (stat(path, &status) != 0)
    return false;
  mode_t mode = status.st_mode & 07777;
  mode = attributes & readOnly ? mode & ~mode_t{0222} : mode | S_IWUSR;
  return chmod(path, mode) == 0;
}
