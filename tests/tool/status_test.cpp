// Exit statuses and error lines: the library's error number of the first
// failure, 64 for a usage error, one "qar: FILE: message (error N)" line each.
#include "harness.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(Status, IsTheFirstFailuresErrorNumber) {
  const std::string dir = Scratch();
  WriteText(Path(dir, "Read me.txt"), "abc");
  ASSERT_EQ(Qar(dir, {"create", "--method", "store", "GOOD.QAR", "Read me.txt"}).status, 0);
  Bytes damaged = ReadBytes(Path(dir, "GOOD.QAR"));
  damaged[106] ^= 0x01; // the first data byte of the one stored entry
  WriteBytes(Path(dir, "DAMAGED.QAR"), damaged);
  WriteText(Path(dir, "notes.txt"), "no archive in here");

  const struct {
    std::vector<std::string> args;
    int status;
    const char* line; // the start of the error line, or "" for none
  } cases[] = {
      {{"list", "MISSING.QAR"}, 13, "qar: MISSING.QAR: cannot open (error 13)"},
      {{"info", "notes.txt"}, 11, "qar: notes.txt: not an archive (error 11)"},
      {{"test", "DAMAGED.QAR"}, 5, "qar: Read me.txt: damaged data"},
      {{"extract", "-d", "out", "DAMAGED.QAR"}, 5, "qar: Read me.txt: damaged data"},
      {{"test", "GOOD.QAR", "*.txt", "*.doc"}, 14, "qar: *.doc: no entry matches (error 14)"},
      {{"create", "NEW.QAR", "missing.txt"}, 13, "qar: missing.txt: cannot open (error 13)"},
      {{"frobnicate"}, 64, "qar: usage: unknown command frobnicate"},
      {{}, 64, "qar: usage: no command given"},
      {{"create", "NEW.QAR"}, 64, "qar: create: needs ARCHIVE and at least one PATH"},
      {{"create", "--level", "10", "NEW.QAR", "Read me.txt"}, 64, "qar: create: --level"},
      {{"create", "--method", "lzma", "NEW.QAR", "Read me.txt"}, 64, "qar: create: --method"},
      {{"list", "--color", "GOOD.QAR"}, 64, "qar: list: unknown option --color"},
      {{"extract", "GOOD.QAR", "-d"}, 64, "qar: extract: option -d needs a value"},
      {{"info"}, 64, "qar: info: needs ARCHIVE"},
      {{"list", "--help"}, 0, ""},
      {{"--version"}, 0, ""},
  };
  for (const auto& c : cases) {
    const std::string what = c.args.empty() ? "(nothing)" : c.args[0] + " " + c.args.back();
    Result run = Qar(dir, c.args);
    EXPECT_EQ(run.status, c.status) << what << "\n" << run.err;
    if (*c.line) {
      EXPECT_EQ(run.err.rfind(c.line, 0), 0u) << what << "\n" << run.err;
      EXPECT_EQ(Count(run.err, "\n"), 1u) << what << "\n" << run.err;
    } else {
      EXPECT_EQ(run.err, "") << what;
      EXPECT_NE(run.out, "") << what;
    }
  }
  EXPECT_FALSE(std::filesystem::exists(Path(dir, "NEW.QAR")));
  EXPECT_EQ(ReadBytes(Path(dir, "out/Read me.txt")).size(), 3u); // kept, as the library keeps it
}
