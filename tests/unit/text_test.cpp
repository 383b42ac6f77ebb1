// Formatting with texts from a language module, and the arithmetic of the
// progress display.
#include "gauge.h"
#include "progress.h"
#include "textfmt.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "bootstrp.h"
#include "handoff.h"
#endif

TEST(FormatText, OnlyTheContractsDirectivesAreInterpreted) {
  const struct {
    const char* format;
    const char* expected;
  } cases[] = {
      {"\"/b%s\"", "\"/bC:\\x.exe\""},
      {"Couldn't execute\r\"%s\".\nError code = %d.", "Couldn't execute\r\"C:\\x.exe\".\nError code = -5."},
      {"%u|%ld|%X|%%|%", "4294967291|-5|FFFFFFFB|%|%"},
      {"%n%p%08x%.9s%*d", "%n%p%08x%.9s%*d"}, // shown, never obeyed
      {"no directive", "no directive"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatText(c.format, "C:\\x.exe", -5), c.expected) << c.format;

  char small[8];
  FormatText(small, sizeof small, "%s", "0123456789");
  EXPECT_STREQ(small, "0123456");
}

TEST(ScanHex4, ReadsAtMostFourDigits) {
  const struct {
    const char* text;
    bool read;
    uint32_t value;
  } cases[] = {{"0409", true, 0x409}, {" 40c", true, 0x40C}, {"12345", true, 0x1234},
               {"zz", false, 7},      {"", false, 7},         {"0C07x", true, 0xC07}};
  for (const auto& c : cases) {
    uint32_t value = 7;
    EXPECT_EQ(ScanHex4(c.text, &value), c.read) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(ProgressPosition, Table) {
  const struct {
    uint32_t filesDone, filesTotal, done, total, position;
  } cases[] = {
      {0, 2, 0, 8000, 0},
      {0, 2, 8000, 8000, 50},
      {1, 2, 0, 8000, 50},           // the second file starts at 50
      {1, 2, 3000, 8000, 68},
      {1, 2, 8000, 8000, 100},
      {0, 2, 0, 0, 100},             // an empty entry: full at once
      {1, 2, 0, 0, 100},
      {0, 2, 50000000, 100000000, 25}, // past 42,949,672 bytes: no wrap
      {1, 2, 4000000000u, 4000000000u, 100},
      {0, 0, 5, 10, 0},              // no files announced: no division by zero
  };
  for (const auto& c : cases)
    EXPECT_EQ(ProgressPosition(c.filesDone, c.filesTotal, c.done, c.total), c.position)
        << c.filesDone << "/" << c.filesTotal << " " << c.done << "/" << c.total;
}

TEST(GaugeBarLength, Table) {
  const struct {
    uint32_t minimum, maximum, position, span, length;
  } cases[] = {
      {0, 100, 37, 96, 35}, // a 100-unit-wide gauge with one-unit borders and ring
      {0, 100, 0, 96, 0},     {0, 100, 100, 96, 96}, {0, 100, 250, 96, 96},
      {50, 50, 60, 96, 0},    // an empty range
      {10, 100, 5, 96, 0},    // below the minimum
      {0, 0xFFFF, 0xFFFF, 0xFFFFFF, 0xFFFFFF},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GaugeBarLength(c.minimum, c.maximum, c.position, c.span), c.length);
}

#ifdef _WIN32
TEST(SetupCommandLine, UserCommandLineFollowsUnchanged) {
  const std::string longTail(600, 'x');
  const struct {
    const char* user;
    std::string expected;
  } cases[] = {
      {"", "C:\\W\\KVSETUP.EXE \"/bC:\\setup.exe\""},
      {"/L0409 %s %d", "C:\\W\\KVSETUP.EXE \"/bC:\\setup.exe\" /L0409 %s %d"},
      {longTail.c_str(), "C:\\W\\KVSETUP.EXE \"/bC:\\setup.exe\" " + longTail},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SetupCommandLine("C:\\W\\KVSETUP.EXE", "\"/b%s\"", "C:\\setup.exe", c.user),
              c.expected);
}

TEST(ComposeProgressText, ProductNameIsCutToFit) {
  char text[64];
  ComposeProgressText(text, sizeof text, "%sSetup is starting.", "Demo");
  EXPECT_STREQ(text, "Demo Setup is starting.");
  ComposeProgressText(text, sizeof text, "%sSetup is starting.", "");
  EXPECT_STREQ(text, "Setup is starting.");
  ComposeProgressText(text, sizeof text, "No name here.", "Demo");
  EXPECT_STREQ(text, "No name here.");
  ComposeProgressText(text, sizeof text, "%sSetup is starting.", std::string(200, 'P').c_str());
  EXPECT_EQ(std::string(text), std::string(63 - 18, 'P') + "Setup is starting.");
}
#endif
