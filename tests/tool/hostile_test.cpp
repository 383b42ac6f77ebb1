// Archives are input from anywhere: extract refuses every stored name that
// would put a file outside its folder, and goes on with the others.
#include "harness.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(Hostile, NamesLeadingOutOfTheFolderAreRefusedAndNothingLandsOutside) {
  const std::string dir = Scratch();
  const std::vector<std::string> hostile = {
      "..\\evil1.txt", "C:\\evil2.txt",        "\\evil3.txt",           "/evil4.txt",
      "C:evil5.txt",   "a\\..\\..\\evil6.txt", "a/../../evil7.txt",     "a\\...\\evil8.txt",
      "NUL.txt",       "a\\aux",               "\\\\server\\share\\evil9.txt",
  };
  std::vector<std::pair<std::string, Bytes>> entries;
  for (const std::string& name : hostile)
    entries.emplace_back(name, Text("evil"));
  entries.emplace_back("ok\\fine.txt", Text("fine"));
  WriteArchive(Path(dir, "HOSTILE.QAR"), entries);

  Result run = Qar(dir, {"extract", "-d", "box/dest", "HOSTILE.QAR"});
  EXPECT_EQ(run.status, 8);
  EXPECT_EQ(Count(run.err, ": refused: "), hostile.size()) << run.err;
  EXPECT_NE(run.out.find("1 of 12 entries extracted"), std::string::npos) << run.out;
  EXPECT_EQ(FilesBelow(dir),
            (std::vector<std::string>{"HOSTILE.QAR", "box/dest/ok/fine.txt"}));
  EXPECT_EQ(ReadBytes(Path(dir, "box/dest/ok/fine.txt")), Text("fine"));
#ifdef _WIN32
  for (const char* outside : {"C:\\evil2.txt", "\\evil3.txt", "\\evil4.txt"})
    EXPECT_FALSE(std::filesystem::exists(outside)) << outside;
#else
  EXPECT_FALSE(std::filesystem::exists("/evil4.txt"));
#endif
}
