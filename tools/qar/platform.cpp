// The tool's operating-system calls: the Win32 half first, the POSIX half
// after it.
#include "platform.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#endif

bool IsPathSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\' || c == ':';
#else
  return c == '/';
#endif
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty())
    return name;
  if (IsPathSeparator(dir.back()))
    return dir + name;
  return dir + kPathSeparator + name;
}

#ifdef _WIN32

bool IsTerminal(FILE* stream) { return _isatty(_fileno(stream)) != 0; }

PathKind KindOf(const std::string& path, uint64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
    return PathKind::missing;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    return PathKind::directory;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE)
    return PathKind::other;
  if (size)
    *size = uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  return PathKind::file;
}

namespace {

bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION* info) {
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  bool known = GetFileInformationByHandle(file, info) != 0;
  CloseHandle(file);
  return known;
}

} // namespace

bool SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION one{}, two{};
  return FileIdentity(a, &one) && FileIdentity(b, &two) &&
         one.dwVolumeSerialNumber == two.dwVolumeSerialNumber &&
         one.nFileIndexHigh == two.nFileIndexHigh && one.nFileIndexLow == two.nFileIndexLow;
}

bool ListDirectory(const std::string& dir, std::vector<std::string>* names) {
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA(JoinPath(dir, "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    std::string name = found.cFileName;
    if (name != "." && name != "..")
      names->push_back(name);
  } while (FindNextFileA(search, &found));
  bool complete = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(search);
  return complete;
}

bool MakeDirectory(const std::string& path) {
  CreateDirectoryA(path.c_str(), nullptr);
  return KindOf(path) == PathKind::directory;
}

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

uint32_t ReadAttributes(const std::string& path) {
  constexpr DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                         FILE_ATTRIBUTE_ARCHIVE;
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return FILE_ATTRIBUTE_ARCHIVE;
  attributes &= kept;
  return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

bool WriteAttributes(const std::string& path, uint32_t attributes) {
  return SetFileAttributesA(path.c_str(), attributes) != 0;
}

QarStream* OpenSink() { return QarStreamOpen("NUL", "wb"); }

#else

bool IsTerminal(FILE* stream) { return isatty(fileno(stream)) != 0; }

PathKind KindOf(const std::string& path, uint64_t* size) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0)
    return PathKind::missing;
  if (S_ISDIR(status.st_mode))
    return PathKind::directory;
  if (!S_ISREG(status.st_mode))
    return PathKind::other;
  if (size)
    *size = uint64_t(status.st_size);
  return PathKind::file;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat one {}, two {};
  return stat(a.c_str(), &one) == 0 && stat(b.c_str(), &two) == 0 && one.st_dev == two.st_dev &&
         one.st_ino == two.st_ino;
}

bool ListDirectory(const std::string& dir, std::vector<std::string>* names) {
  DIR* folder = opendir(dir.c_str());
  if (!folder)
    return false;
  while (const dirent* item = readdir(folder)) {
    std::string name = item->d_name;
    if (name != "." && name != "..")
      names->push_back(name);
  }
  closedir(folder);
  return true;
}

bool MakeDirectory(const std::string& path) {
  mkdir(path.c_str(), 0777);
  return KindOf(path) == PathKind::directory;
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

constexpr uint32_t kReadOnly = 0x01, kArchiveBit = 0x20;

uint32_t ReadAttributes(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0)
    return kArchiveBit;
  return kArchiveBit | (status.st_mode & S_IWUSR ? 0 : kReadOnly);
}

// Of the Windows bits only read-only has a meaning here, as in the library.
bool WriteAttributes(const std::string& path, uint32_t attributes) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0)
    return false;
  mode_t mode = status.st_mode & 07777;
  mode = attributes & kReadOnly ? mode & ~mode_t{0222} : mode | S_IWUSR;
  return chmod(path.c_str(), mode) == 0;
}

// An unlinked scratch file: its bytes never reach a name, and its space is
// returned when it is closed.
QarStream* OpenSink() {
  const char* temp = std::getenv("TMPDIR");
  std::string path = JoinPath(temp && *temp ? temp : "/tmp", "qar-test-XXXXXX");
  int fd = mkstemp(path.data());
  if (fd < 0)
    return nullptr;
  QarStream* sink = QarStreamOpen(path.c_str(), "wb");
  unlink(path.c_str());
  close(fd);
  return sink;
}

#endif
