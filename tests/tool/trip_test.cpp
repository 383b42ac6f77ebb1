// Round trips: a small tree through create, then list, test and extract, in
// every way of storing it; the files come back with their bytes, times and
// attributes.
#include "harness.h"
#include "platform.h"
#include "tool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

struct File {
  const char* path; // below the tree, with '/'
  Bytes content;
  int64_t modified;
  bool readOnly = false;
};

const std::vector<File>& TreeFiles() {
  static const std::vector<File> files = {
      {"pkg/README.TXT", Text("Read me first.\r\n"), 1000000000},
      {"pkg/A rather long file name.text", Sample(3000, 1), 1100000000},
      {"pkg/empty.txt", {}, 1200000000},
      {"pkg/locked.ini", Text("[setup]\r\nlocked=1\r\n"), 1300000000, true},
      {"pkg/sub/data.bin", Sample(20000, 2), 1400000000},
      {"pkg/sub/secret.hid", Text("hidden entry"), 1500000000},
  };
  return files;
}

// The tree below dir/src.
void WriteTree(const std::string& dir) {
  for (const File& file : TreeFiles()) {
    const std::string path = Path(Path(dir, "src"), file.path);
    WriteBytes(path, file.content);
    SetModified(path, file.modified);
    if (file.readOnly)
      MakeReadOnly(path);
  }
}

bool IsHidden(const File& file) { return std::string(file.path).ends_with(".hid"); }

// Compares what extract wrote below out with the tree.
void ExpectTreeIn(const std::string& out, const std::string& src, const std::string& what) {
  std::vector<std::string> expected;
  for (const File& file : TreeFiles()) {
    if (IsHidden(file))
      continue;
    expected.push_back(file.path);
    const std::string path = Path(out, file.path);
    EXPECT_EQ(ReadBytes(path), file.content) << what << ": " << file.path;
    EXPECT_EQ(Modified(path), file.modified) << what << ": " << file.path;
    EXPECT_EQ(ReadAttributes(path), ReadAttributes(Path(src, file.path)))
        << what << ": " << file.path;
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(FilesBelow(out), expected) << what;
}

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

} // namespace

TEST(RoundTrip, EveryWayOfStoringGivesTheFilesBack) {
  const struct {
    const char* what;
    std::vector<std::string> options;
    std::string password;
    uint32_t volumeSize;
  } cases[] = {
      {"stored", {"--method", "store"}, "", 0},
      {"zlib", {}, "", 0},
      {"zlib at level 1 with a password", {"--level", "1"}, "pass word", 0},
      {"stored in volumes", {"--method", "store"}, "", 9000},
      {"zlib in volumes with a password", {}, "pw", 2500},
  };
  const std::string dir = Scratch();
  WriteTree(dir);
  const std::string src = Path(dir, "src");
  for (const auto& c : cases) {
    std::vector<std::string> create = With({"create", "--hidden", "*.hid"}, c.options);
    std::vector<std::string> secret;
    if (!c.password.empty())
      secret = {"--password", c.password};
    if (c.volumeSize)
      create = With(create, {"--volume-size", std::to_string(c.volumeSize)});
    Result made = Qar(src, With(With(create, secret), {"../SET.QAR", "pkg"}));
    ASSERT_EQ(made.status, 0) << c.what << "\n" << made.err;
    EXPECT_EQ(made.err, "") << c.what; // no progress bar but on a terminal

    const std::string archive = Path(dir, "SET.QAR");
    if (c.volumeSize) {
      EXPECT_EQ(KindOf(Path(dir, "SET.Q02")), PathKind::file) << c.what;
      for (unsigned n = 1; KindOf(VolumePath(archive, n)) == PathKind::file; ++n)
        EXPECT_LE(ReadBytes(VolumePath(archive, n)).size(), c.volumeSize) << c.what << " " << n;
    } else {
      EXPECT_NE(KindOf(Path(dir, "SET.Q02")), PathKind::file) << c.what;
    }

    Result listed = Qar(dir, {"list", "SET.QAR"});
    EXPECT_EQ(listed.status, 0) << c.what << "\n" << listed.err;
    EXPECT_NE(listed.out.find("pkg\\A rather long file name.text\n"), std::string::npos)
        << listed.out;
    EXPECT_NE(listed.out.find(" 5 entries\n"), std::string::npos) << listed.out;
    EXPECT_EQ(listed.out.find("secret"), std::string::npos) << listed.out;
    Result json = Qar(dir, {"list", "--json", "SET.QAR", "*.txt", "*.bin"});
    EXPECT_EQ(json.status, 0) << c.what << "\n" << json.err;
    EXPECT_EQ(Count(json.out, "\n"), 3u) << json.out;
    EXPECT_NE(json.out.find("{\"name\":\"pkg\\\\sub\\\\data.bin\",\"shortName\":"
                            "\"PKG\\\\SUB\\\\DATA.BIN\""),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"size\":20000,"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"modified\":\"2014-05-13T16:53:20Z\""), std::string::npos)
        << json.out;

    Result tested = Qar(dir, With({"test", "SET.QAR"}, secret));
    EXPECT_EQ(tested.status, 0) << c.what << "\n" << tested.err;
    EXPECT_EQ(tested.err, "") << c.what;
    EXPECT_EQ(Count(tested.out, "OK  "), 5u) << tested.out;
    if (!c.password.empty()) {
      Result unlocked = Qar(dir, {"test", "SET.QAR"});
      EXPECT_EQ(unlocked.status, 5) << c.what;
      EXPECT_EQ(Count(unlocked.err, "(error 5)"), 5u) << unlocked.err;
    }

    const std::string out = Path(dir, "out");
    Result extracted = Qar(dir, With({"extract", "-d", "out", "SET.QAR"}, secret));
    EXPECT_EQ(extracted.status, 0) << c.what << "\n" << extracted.err;
    EXPECT_EQ(extracted.err, "") << c.what;
    ExpectTreeIn(out, src, c.what);
    // Hidden entries are reached by their name only.
    Result named = Qar(dir, With({"extract", "-d", "out", "SET.QAR", "secret.hid"}, secret));
    EXPECT_EQ(named.status, 0) << c.what << "\n" << named.err;
    EXPECT_EQ(ReadBytes(Path(out, "pkg/sub/secret.hid")), Text("hidden entry")) << c.what;

    Scratch(); // the next case starts afresh
    WriteTree(dir);
  }
}

// The time-stamp form holds the file's UTC clock fields as local time: east
// of Greenwich it is not the file's time, but every step gives that back.
TEST(RoundTrip, TimesSurviveAZoneOtherThanUtc) {
  const std::string dir = Scratch();
  const std::string file = Path(dir, "winter.txt");
  WriteText(file, "cold");
  SetModified(file, 1200000000); // January: no summer time anywhere
  const Environment east = {{"TZ", "XST-5"}};
  ASSERT_EQ(Qar(dir, {"create", "ZONE.QAR", "winter.txt"}, east).status, 0);

  Result json = Qar(dir, {"list", "--json", "ZONE.QAR"}, east);
  EXPECT_NE(json.out.find("\"modified\":\"2008-01-10T21:20:00Z\""), std::string::npos) << json.out;
  Result listed = Qar(dir, {"list", "ZONE.QAR"}, east);
  EXPECT_NE(listed.out.find("2008-01-11 02:20:00"), std::string::npos) << listed.out;
  ASSERT_EQ(Qar(dir, {"extract", "-d", "out", "ZONE.QAR"}, east).status, 0);
  EXPECT_EQ(Modified(Path(dir, "out/winter.txt")), 1200000000);
}

// The library finds entries by name, and a bare name also matches the last
// part of a path (and a path the whole of a bare name): "a.txt" and
// "sub\a.txt" each come back as themselves, in either order.
TEST(RoundTrip, EntriesTheLookupWouldConfuseComeBackApart) {
  const std::string dir = Scratch();
  WriteText(Path(dir, "a.txt"), "top");
  WriteText(Path(dir, "sub/a.txt"), "below");
  for (const std::vector<std::string>& order :
       {std::vector<std::string>{"a.txt", "sub"}, std::vector<std::string>{"sub", "a.txt"}}) {
    ASSERT_EQ(Qar(dir, With({"create", "BOTH.QAR"}, order)).status, 0);
    Result tested = Qar(dir, {"test", "BOTH.QAR"});
    EXPECT_EQ(tested.status, 0) << order[0] << "\n" << tested.err;
    Result extracted = Qar(dir, {"extract", "-d", "out", "BOTH.QAR"});
    EXPECT_EQ(extracted.status, 0) << order[0] << "\n" << extracted.err;
    EXPECT_EQ(ReadBytes(Path(dir, "out/a.txt")), Text("top")) << order[0];
    EXPECT_EQ(ReadBytes(Path(dir, "out/sub/a.txt")), Text("below")) << order[0];
    std::filesystem::remove_all(Path(dir, "out"));
  }
}
