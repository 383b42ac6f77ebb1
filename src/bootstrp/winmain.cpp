// The platform entry of the bootstrap.
#include "getopt.h"
#include "init.h"

#include <cstdlib>
#include <windows.h>

namespace {

// DLLs come from the system directory only, never from the folder the
// package was downloaded to. Systems without the call still start.
void LockDownDllSearch() {
  using SetDirectories = BOOL(WINAPI*)(DWORD);
  auto set = reinterpret_cast<SetDirectories>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("KERNEL32.DLL"), "SetDefaultDllDirectories")));
  if (set)
    set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  LockDownDllSearch();
  // The user's command line is taken from the whole one, by the same rule the
  // start-up code uses, so that it reaches the setup program unchanged.
  const char* userCommandLine = UserCommandLine(GetCommandLineA());
  const int completed = RunBootstrap(instance, userCommandLine, __argc, __argv);
  TidyBootstrap();
  return completed ? 0 : 1;
}
