#include "harness.h"

#include "archbld.h"
#include "platform.h"
#include "qarint.h"
#include "tool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// Read-only files left by an earlier run would make the removal fail.
void RemoveTree(const fs::path& dir) {
  std::error_code ignored;
  if (!fs::exists(dir, ignored))
    return;
  for (const auto& item : fs::recursive_directory_iterator(dir, ignored))
    fs::permissions(item.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
  fs::remove_all(dir);
}

std::string Normalized(const Bytes& bytes) {
  std::string text;
  for (unsigned char c : bytes)
    if (c != '\r')
      text += char(c);
  return text;
}

} // namespace

std::string Scratch() {
  const auto* test = testing::UnitTest::GetInstance()->current_test_info();
  fs::path dir = fs::absolute(fs::current_path() /
                              (std::string(test->test_suite_name()) + "." + test->name()));
  RemoveTree(dir);
  fs::create_directories(dir);
  return dir.string();
}

std::string Path(const std::string& dir, const std::string& name) {
  return (fs::path(dir) / name).string();
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

void WriteText(const std::string& path, const std::string& text) { WriteBytes(path, Text(text)); }

Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Sample(size_t count, unsigned seed) {
  static const char* const words[] = {"archive ", "volume ", "entry ", "setup ", "language ",
                                      "stream ",  "header ", "zlib ",  "\r\n",    "bootstrap "};
  Bytes bytes;
  uint32_t state = seed * 2654435761u + 1;
  while (bytes.size() < count) {
    state = state * 1103515245u + 12345u;
    const char* word = words[(state >> 16) % 10];
    bytes.insert(bytes.end(), word, word + std::strlen(word));
    bytes.push_back(static_cast<unsigned char>('a' + (state >> 8) % 26));
  }
  bytes.resize(count);
  return bytes;
}

// Through the library's stream calls, which take and give the archive's
// time-stamp form: the UTC clock fields read as local time.
void SetModified(const std::string& path, int64_t utc) {
  QarStream* stream = QarStreamOpen(path.c_str(), "r+b");
  ASSERT_NE(stream, nullptr) << path;
  const std::time_t time = std::time_t(utc);
  std::tm fields = *std::gmtime(&time);
  fields.tm_isdst = -1;
  EXPECT_TRUE(QarStreamSetTime(stream, std::mktime(&fields))) << path;
  QarStreamClose(stream);
}

int64_t Modified(const std::string& path) {
  QarStream* stream = QarStreamOpen(path.c_str(), "rb");
  EXPECT_NE(stream, nullptr) << path;
  if (!stream)
    return -1;
  const int64_t utc = StampToUtc(uint32_t(QarStreamGetTime(stream)));
  QarStreamClose(stream);
  return utc;
}

void MakeReadOnly(const std::string& path) {
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

std::vector<std::string> FilesBelow(const std::string& dir) {
  std::vector<std::string> files;
  for (const auto& item : fs::recursive_directory_iterator(dir))
    if (item.is_regular_file())
      files.push_back(fs::relative(item.path(), dir).generic_string());
  std::sort(files.begin(), files.end());
  return files;
}

void WriteArchive(const std::string& path,
                  const std::vector<std::pair<std::string, Bytes>>& entries) {
  const std::string name = path.substr(path.find_last_of("/\\") + 1);
  WriteBytes(path, StoredArchiveBytes(entries, name));
}

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

#ifdef _WIN32

std::string ToolPath() {
  char self[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  return (fs::path(std::string(self, length)).parent_path() / "qar.exe").string();
}

namespace {

// The quoting the C runtime's command-line splitter undoes.
std::string Quoted(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
    return arg;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

// The current environment with env's variables added or replaced.
std::string EnvironmentBlock(const Environment& env) {
  std::string block;
  char* strings = GetEnvironmentStringsA();
  for (const char* at = strings; *at; at += std::strlen(at) + 1) {
    const std::string entry = at;
    bool replaced = false;
    for (const auto& [name, value] : env)
      replaced = replaced || _strnicmp(entry.c_str(), (name + "=").c_str(), name.size() + 1) == 0;
    if (!replaced)
      block.append(entry).push_back('\0');
  }
  FreeEnvironmentStringsA(strings);
  for (const auto& [name, value] : env)
    block.append(name + "=" + value).push_back('\0');
  block.push_back('\0');
  return block;
}

HANDLE Inheritable(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

Result Qar(const std::string& dir, const std::vector<std::string>& args, const Environment& env) {
  const std::string tool = ToolPath(), outPath = dir + ".out", errPath = dir + ".err";
  std::string command = Quoted(tool);
  for (const std::string& arg : args)
    command += " " + Quoted(arg);
  std::string block = env.empty() ? "" : EnvironmentBlock(env);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = Inheritable("NUL", GENERIC_READ, OPEN_EXISTING);
  startup.hStdOutput = Inheritable(outPath, GENERIC_WRITE, CREATE_ALWAYS);
  startup.hStdError = Inheritable(errPath, GENERIC_WRITE, CREATE_ALWAYS);
  PROCESS_INFORMATION process{};
  Result result;
  if (CreateProcessA(tool.c_str(), command.data(), nullptr, nullptr, TRUE, 0,
                     env.empty() ? nullptr : block.data(), dir.c_str(), &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.status = int(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(startup.hStdInput);
  CloseHandle(startup.hStdOutput);
  CloseHandle(startup.hStdError);
  result.out = Normalized(ReadBytes(outPath));
  result.err = Normalized(ReadBytes(errPath));
  return result;
}

#else

std::string ToolPath() {
  return (fs::read_symlink("/proc/self/exe").parent_path() / "qar").string();
}

Result Qar(const std::string& dir, const std::vector<std::string>& args, const Environment& env) {
  const std::string tool = ToolPath(), outPath = dir + ".out", errPath = dir + ".err";
  std::vector<char*> argv = {const_cast<char*>(tool.c_str())};
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int in = open("/dev/null", O_RDONLY);
  Result result;
  if (pid_t child = fork(); child == 0) {
    if (chdir(dir.c_str()) != 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
      _exit(126);
    for (const auto& [name, value] : env)
      setenv(name.c_str(), value.c_str(), 1);
    execv(tool.c_str(), argv.data());
    _exit(127);
  } else if (child > 0) {
    int status = 0;
    waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  close(in);
  close(out);
  close(err);
  result.out = Normalized(ReadBytes(outPath));
  result.err = Normalized(ReadBytes(errPath));
  return result;
}

#endif
