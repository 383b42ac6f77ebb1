// Volume sets: how the volumes are named and found, what makes a file part
// of a set, and a set with a volume missing.
#include "harness.h"
#include "platform.h"
#include "tool.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(Volumes, AreNamedAfterTheFirstAndFollowedByEveryCommand) {
  const std::string dir = Scratch();
  WriteBytes(Path(dir, "in/big.bin"), Sample(12000, 3));
  WriteBytes(Path(dir, "in/small.txt"), Text("small"));
  ASSERT_EQ(VolumePath("out/demo.qar", 2), "out/demo.Q02");
  ASSERT_EQ(VolumePath("SETUP.EXE", 12), "SETUP.Q12");

  // Without an extension the archive gets .QAR, as the library opens it.
  Result made = Qar(dir, {"create", "--method", "store", "--volume-size", "5000", "DEMO", "in"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.out, "DEMO.QAR: 2 entries in 3 volumes\n");
  EXPECT_EQ(FilesBelow(dir), (std::vector<std::string>{"DEMO.Q02", "DEMO.Q03", "DEMO.QAR",
                                                        "in/big.bin", "in/small.txt"}));
  Result shown = Qar(dir, {"info", "DEMO"});
  EXPECT_NE(shown.out.find("volumes      3\n"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("entries      2\n"), std::string::npos) << shown.out;
  Result listed = Qar(dir, {"list", "--json", "DEMO.QAR", "big.bin"}); // its pieces as one
  EXPECT_NE(listed.out.find("\"size\":12000,\"stored\":12000,"), std::string::npos) << listed.out;
  Result tested = Qar(dir, {"test", "DEMO.QAR", "small.txt"}); // in the last volume
  EXPECT_EQ(tested.status, 0) << tested.err;
  EXPECT_EQ(tested.out, "OK  in\\small.txt\n1 entry tested, all OK\n");

  // A shorter set under the same name takes the place of the longer one.
  made = Qar(dir, {"create", "--method", "store", "--volume-size", "7000", "DEMO.QAR", "in"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(KindOf(Path(dir, "DEMO.Q02")), PathKind::file);
  EXPECT_EQ(KindOf(Path(dir, "DEMO.Q03")), PathKind::missing);
  made = Qar(dir, {"create", "DEMO.QAR", "in"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(KindOf(Path(dir, "DEMO.Q02")), PathKind::missing);
}

TEST(Volumes, FilesOfAnotherSetAreNotFollowed) {
  const std::string dir = Scratch();
  WriteBytes(Path(dir, "a/one.txt"), Text("one"));
  WriteBytes(Path(dir, "b/two.txt"), Text("two"));
  // Volume 2 of a set created at another time, under this archive's name.
  ASSERT_EQ(Qar(dir, {"create", "--volume-size", "150", "OLD.QAR", "a", "b"},
                {{"SOURCE_DATE_EPOCH", "900000000"}})
                .status,
            0);
  ASSERT_EQ(Qar(dir, {"create", "NEW.QAR", "a"}).status, 0);
  std::filesystem::rename(Path(dir, "OLD.Q02"), Path(dir, "NEW.Q02"));
  Result listed = Qar(dir, {"list", "NEW.QAR"});
  EXPECT_EQ(listed.status, 0) << listed.err;
  EXPECT_NE(listed.out.find(" 1 entry\n"), std::string::npos) << listed.out;
}

TEST(Volumes, AMissingVolumeIsNamed) {
  const std::string dir = Scratch();
  WriteBytes(Path(dir, "in/big.bin"), Sample(12000, 4));
  WriteBytes(Path(dir, "in/tail.txt"), Text("tail"));
  ASSERT_EQ(Qar(dir, {"create", "--method", "store", "--volume-size", "5000", "SET.QAR", "in"})
                .status,
            0);
  std::filesystem::remove(Path(dir, "SET.Q02"));
  for (const char* command : {"test", "extract"}) {
    Result run = Qar(dir, {command, "SET.QAR"});
    EXPECT_EQ(run.status, 13) << command;
    EXPECT_NE(run.err.find("qar: SET.Q02: cannot open"), std::string::npos) << run.err;
  }
}
