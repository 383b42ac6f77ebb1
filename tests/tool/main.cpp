// Runs the qar tool's tests. Every run of the tool, and the test program
// itself, sees the zone UTC and SOURCE_DATE_EPOCH 1000000000 unless a test
// gives it another environment, so that times and archives are reproducible.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

void Export(const char* name, const char* value) {
#ifdef _WIN32
  SetEnvironmentVariableA(name, value); // what child processes inherit
  _putenv_s(name, value);               // what this program's C runtime reads
#else
  setenv(name, value, 1);
#endif
}

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

} // namespace

int main(int argc, char** argv) {
  Export("TZ", "UTC");
  Export("SOURCE_DATE_EPOCH", "1000000000");
#ifdef _WIN32
  _tzset();
#else
  tzset();
#endif
  SayPlatform();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
