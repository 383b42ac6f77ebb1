#include "whereami.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

void SayPlatform() {
  const int bits = int(sizeof(void*) * 8);
#ifdef _WIN32
  using WineVersion = const char* (*)();
  auto wineVersion = reinterpret_cast<WineVersion>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")));
  if (wineVersion)
    std::printf("Platform: %d-bit Windows under Wine %s\n", bits, wineVersion());
  else
    std::printf("Platform: %d-bit Windows\n", bits);
#else
  std::printf("Platform: native (%d-bit)\n", bits);
#endif
}
