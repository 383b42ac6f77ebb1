// The option scanner and the user's command line.
#include "getopt.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ScanOptions, LanguageOptionTable) {
  const struct {
    std::vector<const char*> words; // after the program name
    bool forced;
    uint32_t languageId;
  } cases[] = {
      {{"/L0409"}, true, 0x409},
      {{"/l", "0407"}, true, 0x407},
      {{"/L40c"}, true, 0x40C},
      {{"/L12345"}, true, 0x1234},
      {{"/Lzz"}, true, 0},
      {{"/L  0409"}, true, 0x409},
      {{"/L0409", "/L0407"}, true, 0x407},
      {{"setup", "/L0409"}, true, 0x409},
      {{"/L"}, false, 0},
      {{"//L0409"}, false, 0},
      {{"/x", "/L0409"}, false, 0},
      {{"/xL0409"}, true, 0x409},
      {{"-L0409"}, false, 0},
      {{}, false, 0},
      {{"/"}, false, 0},
  };
  for (const auto& c : cases) {
    std::vector<const char*> words = {"bootstrp.exe"};
    words.insert(words.end(), c.words.begin(), c.words.end());
    words.push_back(nullptr);
    const ScannedOptions scanned = ScanOptions(int(words.size() - 1), words.data());
    std::string shown;
    for (const char* word : c.words)
      shown += std::string(word) + " ";
    EXPECT_EQ(scanned.forced, c.forced) << shown;
    EXPECT_EQ(scanned.languageId, c.languageId) << shown;
  }
}

TEST(Getopt, ResultsAndArguments) {
  const char* words[] = {"p", "/ab", "/cvalue", "/c", "next", "/q", "plain", "/c", nullptr};
  Getopt = GetoptState{};
  EXPECT_EQ(getopt(8, words, "abc:"), 'a');
  EXPECT_EQ(getopt(8, words, "abc:"), 'b'); // letters may share a word
  EXPECT_EQ(getopt(8, words, "abc:"), 'c');
  EXPECT_STREQ(Getopt.argument, "value");
  EXPECT_EQ(getopt(8, words, "abc:"), 'c');
  EXPECT_STREQ(Getopt.argument, "next");
  EXPECT_EQ(getopt(8, words, "abc:"), '?'); // q is unknown
  EXPECT_EQ(Getopt.argument, nullptr);
  EXPECT_EQ(getopt(8, words, "abc:"), -1); // the end of the faulty word ends the scan
}

TEST(UserCommandLine, DropsTheProgramNameAndTheBlanksAfterIt) {
  const struct {
    const char* full;
    const char* user;
  } cases[] = {
      {"setup.exe /L0409 x", "/L0409 x"},
      {"\"C:\\My Files\\setup.exe\"  \t /L0409", "/L0409"},
      {"\"C:\\My Files\\setup.exe\"/x", "/x"},
      {"setup.exe", ""},
      {"setup.exe   ", ""},
      {"setup.exe\targ  with  blanks ", "arg  with  blanks "},
      {"\"unclosed", ""},
  };
  for (const auto& c : cases)
    EXPECT_STREQ(UserCommandLine(c.full), c.user) << c.full;
}
