// The probe setup program: packages under test carry it as KVSETUP.EXE. It
// records what a setup program receives (its command line, its current
// directory, the files beside it, the package file) into the file named by
// PROBE_REPORT, then does what PROBE_ACTION asks: "sleep MS", "hide" (send
// the bootstrap message with wParam 1), "message W" (with wParam W), "quit"
// (post WM_QUIT to the bootstrap's thread), "exit N". Actions are separated
// by ';'.
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Report(FILE* out) {
  std::fprintf(out, "commandline=%s\n", GetCommandLineA());
  char directory[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof directory, directory);
  std::fprintf(out, "cwd=%s\n", directory);
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::fprintf(out, "self=%s\n", self);
  std::string pattern = self;
  pattern = pattern.substr(0, pattern.find_last_of('\\')) + "\\*";
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(pattern.c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        std::fprintf(out, "file=%s %lu\n", entry.cFileName, entry.nFileSizeLow);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  const char* marker = std::getenv("PROBE_MARKER");
  std::fprintf(out, "marker=%s\n", marker ? marker : "");
}

// The bootstrap's windows: top-level windows of the process that started us.
struct Finder {
  DWORD process;
  HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM parameter) {
  auto* finder = reinterpret_cast<Finder*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[16] = "";
  GetClassNameA(window, name, sizeof name);
  if (process == finder->process && std::strcmp(name, "#32770") == 0 && IsWindowVisible(window)) {
    finder->found = window;
    return FALSE;
  }
  return TRUE;
}

DWORD ParentProcess() {
  DWORD parent = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (entry.th32ProcessID == GetCurrentProcessId())
      parent = entry.th32ParentProcessID;
  CloseHandle(snapshot);
  return parent;
}

void Act(const std::string& action) {
  const UINT message = RegisterWindowMessageA("OrvelleBootstrap");
  if (action.rfind("sleep ", 0) == 0) {
    Sleep(DWORD(std::atoi(action.c_str() + 6)));
  } else if (action == "hide" || action.rfind("message ", 0) == 0) {
    const WPARAM wParam = action == "hide" ? 1 : WPARAM(std::atoi(action.c_str() + 8));
    Finder finder{ParentProcess(), nullptr};
    EnumWindows(FindDialog, LPARAM(&finder));
    DWORD_PTR result = 0;
    SendMessageTimeoutA(finder.found, message, wParam, 0, SMTO_ABORTIFHUNG, 5000, &result);
  } else if (action == "quit") {
    Finder finder{ParentProcess(), nullptr};
    EnumWindows(FindDialog, LPARAM(&finder));
    PostThreadMessageA(GetWindowThreadProcessId(finder.found, nullptr), WM_QUIT, 0, 0);
  } else if (action.rfind("exit ", 0) == 0) {
    std::exit(std::atoi(action.c_str() + 5));
  }
}

} // namespace

int main() {
  if (const char* path = std::getenv("PROBE_REPORT")) {
    if (FILE* out = std::fopen(path, "w")) {
      Report(out);
      std::fclose(out);
    }
  }
  const char* actions = std::getenv("PROBE_ACTION");
  std::string all = actions ? actions : "";
  for (size_t start = 0; start < all.size();) {
    size_t end = all.find(';', start);
    if (end == std::string::npos)
      end = all.size();
    Act(all.substr(start, end - start));
    start = end + 1;
  }
  return 0;
}
