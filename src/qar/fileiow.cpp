// The Windows half of the checked stream layer: pointer probes, file times
// and attributes through Win32.
#include "fileio.h"

#include <io.h>
#include <windows.h>

void QarProbeRead(void* destination, uint32_t length, QarStream* stream) {
  if (IsBadWritePtr(destination, length))
    MessageBoxA(nullptr, "Bad Write Ptr!", "QAR", MB_ICONERROR);
  if (IsBadReadPtr(stream, sizeof(QarStream))) {
    MessageBoxA(nullptr, "Bad Read Ptr!", "QAR", MB_ICONERROR);
    DebugBreak();
  }
}

static HANDLE OsHandle(QarStream* stream) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(QarStreamFileNo(stream)));
}

// The local calendar reading of the time is stored as if it were UTC: the
// archive's time stamps are UTC clock fields read as local time.
bool QarStreamSetTime(QarStream* stream, time_t time) {
  const tm* local = std::localtime(&time);
  if (!local)
    return false;
  SYSTEMTIME system{};
  system.wYear = static_cast<WORD>(local->tm_year + 1900);
  system.wMonth = static_cast<WORD>(local->tm_mon + 1);
  system.wDay = static_cast<WORD>(local->tm_mday);
  system.wHour = static_cast<WORD>(local->tm_hour);
  system.wMinute = static_cast<WORD>(local->tm_min);
  system.wSecond = static_cast<WORD>(local->tm_sec);
  FILETIME written{};
  SystemTimeToFileTime(&system, &written);
  return SetFileTime(OsHandle(stream), nullptr, nullptr, &written) != 0;
}

time_t QarStreamGetTime(QarStream* stream) {
  FILETIME written{};
  if (!GetFileTime(OsHandle(stream), nullptr, nullptr, &written))
    return 0;
  SYSTEMTIME system{};
  FileTimeToSystemTime(&written, &system);
  tm fields{};
  fields.tm_year = system.wYear - 1900;
  fields.tm_mon = system.wMonth - 1;
  fields.tm_mday = system.wDay;
  fields.tm_hour = system.wHour;
  fields.tm_min = system.wMinute;
  fields.tm_sec = system.wSecond;
  fields.tm_isdst = -1;
  return std::mktime(&fields);
}

bool QarSetFileAttributes(const char* path, uint32_t attributes) {
  return SetFileAttributesA(path, attributes) != 0;
}
