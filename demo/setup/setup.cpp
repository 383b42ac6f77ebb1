// The demo's setup program. A real setup program installs the product; this
// one shows that it ran: it records what it received in the file named by
// DEMO_REPORT (when set), waits a moment with the bootstrap's progress
// dialog on screen, hides that dialog with the bootstrap message, shows its
// own greeting from its language module (SETUPLNG.DLL beside it) and ends.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Directory() {
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string path = self;
  return path.substr(0, path.find_last_of('\\'));
}

void Report(const std::string& directory) {
  const char* path = std::getenv("DEMO_REPORT");
  FILE* out = path ? std::fopen(path, "wb") : nullptr;
  if (!out)
    return;
  std::fprintf(out, "work directory: %s\n", directory.c_str());
  std::fprintf(out, "command line:   %s\n", GetCommandLineA());
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        std::fprintf(out, "extracted:      %-14s %8lu bytes\n", entry.cFileName,
                     static_cast<unsigned long>(entry.nFileSizeLow));
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  std::fclose(out);
}

BOOL CALLBACK HideBootstrapDialog(HWND window, LPARAM message) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, UINT(message), 1, 0, SMTO_ABORTIFHUNG, 1000, &result);
  return TRUE;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string directory = Directory();
  Report(directory);
  Sleep(2500);
  // The registered message is only understood by the bootstrap's dialog.
  EnumWindows(HideBootstrapDialog, LPARAM(RegisterWindowMessageA("OrvelleBootstrap")));

  char greeting[256] = "The demo setup program ran.";
  if (HMODULE texts = LoadLibraryExA((directory + "\\SETUPLNG.DLL").c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE)) {
    LoadStringA(texts, 1, greeting, sizeof greeting);
    FreeLibrary(texts);
  }
  HWND window = CreateWindowExA(0, "STATIC", greeting, WS_POPUP | WS_BORDER | WS_VISIBLE | SS_CENTER,
                                200, 200, 420, 60, nullptr, nullptr, nullptr, nullptr);
  const DWORD until = GetTickCount() + 2000;
  MSG message;
  while (GetTickCount() < until) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&message);
    Sleep(50);
  }
  DestroyWindow(window);
  return 0;
}
