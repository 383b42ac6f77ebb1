// Runs the qar tool's tests. Every run of the tool, and the test program
// itself, sees the zone UTC and SOURCE_DATE_EPOCH 1000000000 unless a test
// gives it another environment, so that times and archives are reproducible.
#include "whereami.h"

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
