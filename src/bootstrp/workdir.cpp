#include "workdir.h"

#include "globals.h"
#include "misc.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

constexpr LONGLONG kStaleSeconds = 3600;
constexpr LONGLONG kTicksPerSecond = 10000000;

// Whether a find entry passes an attribute mask: plain files always; hidden,
// system and directory entries only when the mask names one of theirs.
bool Passes(DWORD attributes, DWORD mask) {
  const DWORD special = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_DIRECTORY);
  return special == 0 || (special & mask) != 0;
}

bool Exists(const char* path, WIN32_FIND_DATAA* found) {
  HANDLE search = FindFirstFileA(path, found);
  if (search == INVALID_HANDLE_VALUE)
    return false;
  FindClose(search);
  return true;
}

LONGLONG Seconds(const FILETIME& time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return LONGLONG(value.QuadPart / kTicksPerSecond);
}

// Creation time and now, both on the local-time scale.
bool IsStale(const WIN32_FIND_DATAA& entry) {
  FILETIME local;
  if (!FileTimeToLocalFileTime(&entry.ftCreationTime, &local))
    return false;
  SYSTEMTIME clock;
  GetLocalTime(&clock);
  FILETIME now;
  SystemTimeToFileTime(&clock, &now);
  return Seconds(now) >= Seconds(local) + kStaleSeconds;
}

// Deletes the files (whatever their attributes) of a directory an earlier
// run left behind; subdirectories stay, and so does the directory itself
// while anything is left in it.
void Sweep(const char* directory) {
  char pattern[MAX_PATH + 8], path[2 * MAX_PATH];
  std::snprintf(pattern, sizeof pattern, "%s\\*.*", directory);
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(pattern, &entry);
  if (search != INVALID_HANDLE_VALUE) {
    constexpr DWORD files = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                            FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    do {
      if (!Passes(entry.dwFileAttributes, files))
        continue;
      std::snprintf(path, sizeof path, "%s\\%s", directory, entry.cFileName);
      SetFileAttributesA(path, 0);
      DeleteFileA(path);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  SetFileAttributesA(directory, 0);
  RemoveDirectoryA(directory);
}

// Names the best drive: the writable candidate with the most free bytes, as
// the drive reports them in 32 bits. 0 when none qualifies.
char BestDrive() {
  char drives[32];
  ListDrives(nullptr, drives);
  char best = 0;
  DWORD bestFree = 0;
  for (const char* letter = drives; *letter; ++letter) {
    std::snprintf(MessageText, sizeof MessageText, "%c:\\~orvtest.tmp", *letter);
    FILE* test = std::fopen(MessageText, "w+b");
    if (!test)
      continue;
    const char probe[16] = "~orvtest~~~~~~~";
    const bool written = std::fwrite(probe, sizeof probe, 1, test) == 1;
    std::fclose(test);
    DeleteFileA(MessageText);
    if (!written)
      continue;
    const char root[] = {*letter, ':', '\\', '\0'};
    DWORD sectors = 0, bytes = 0, free = 0, clusters = 0;
    if (!GetDiskFreeSpaceA(root, &sectors, &bytes, &free, &clusters))
      continue; // an unknown free space ranks as none
    const DWORD freeBytes = free * sectors * bytes;
    if (freeBytes > bestFree) {
      best = *letter;
      bestFree = freeBytes;
    }
  }
  return best;
}

// TEMP, else TMP, else the best drive's root, else the system's temporary
// directory. A variable too long for the buffer counts as not set.
void BaseDirectory(char best) {
  for (const char* name : {"TEMP", "TMP"}) {
    const DWORD length = GetEnvironmentVariableA(name, MessageText, 260);
    if (length > 0 && length < 260)
      return;
  }
  if (best)
    std::snprintf(MessageText, sizeof MessageText, "%c:\\", best);
  else if (!GetTempPathA(260, MessageText))
    MessageText[0] = '\0';
}

bool Candidate(unsigned number) {
  const size_t length = std::strlen(MessageText);
  const char* separator = length && MessageText[length - 1] == '\\' ? "" : "\\";
  const int written = std::snprintf(WorkDir, sizeof WorkDir, "%s%sKVSETUP%u.TMP", MessageText,
                                    separator, number);
  return written > 0 && size_t(written) < sizeof WorkDir;
}

} // namespace

bool CreateWorkDirectory() {
  // An empty or unready drive must fail quietly, not ask the user.
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
  BaseDirectory(BestDrive());

  // Only directories at least an hour old are swept: a younger one, even an
  // empty one, may belong to a run that is just starting.
  WIN32_FIND_DATAA entry;
  for (unsigned u = 0; u <= 9; ++u)
    if (Candidate(u) && Exists(WorkDir, &entry) && IsStale(entry))
      Sweep(WorkDir);

  // A name another run takes between the test and the creation is passed
  // over like any taken name.
  bool created = false;
  for (unsigned u = 0; u <= 9 && !created; ++u) {
    if (!Candidate(u))
      break;
    if (Exists(WorkDir, &entry))
      continue;
    created = CreateDirectoryA(WorkDir, nullptr) != 0;
    if (!created && GetLastError() != ERROR_ALREADY_EXISTS)
      break;
  }
  SetErrorMode(previous);
  if (created) {
    WorkDirCreated = true;
    return true;
  }
  std::snprintf(MessageText, sizeof MessageText, "ERROR B111: Cannot create temporary directory:\n%s",
                WorkDir);
  ShowError(ProgressWindow, MessageText);
  return false;
}
