// qar create: the exact bytes it writes, the names it stores files under,
// and setup packages built on a host executable.
#include "harness.h"
#include "platform.h"
#include "qar.h"
#include "tool.h"

#include <gtest/gtest.h>

namespace {

// An archive created as DEMO.QAR at 1000000000 holding the stored entry
// "abc" as README~1.TXT / "Read me.txt".
const Bytes kWorkedExample = {
    0x4B, 0x56, 0x43, 0x46, 0x00, 0x24, 0x01, 0x50, 0x01, 0x30, 0x03, 0x00, 0x00, 0x02, 0x3B,
    0x9A, 0xCA, 0x00, 0x3B, 0x9A, 0xCA, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x08, 'D',  'E',
    'M',  'O',  '.',  'Q',  'A',  'R',  0x10, 0x74, 0x79, 0x71, 0x4B, 0x56, 0x43, 0x46, 0x00,
    0x48, 0x01, 0x50, 0x01, 0x30, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3B, 0x9A, 0xCA, 0x00,
    0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x03, 0xCA, 0x65, 0x98, 0xD0, 0x00, 0x00, 0x00,
    0x20, 'R',  'E',  'A',  'D',  'M',  'E',  '~',  '1',  '.',  'T',  'X',  'T',  0x00, 'R',
    'e',  'a',  'd',  ' ',  'm',  'e',  '.',  't',  'x',  't',  0x00, 0x00, 0xB3, 0xAE, 0x56,
    0x91, 'a',  'b',  'c',  0x4B, 0x56, 0x43, 0x46, 0x00, 0x00, 0x00, 0x00, 0x00, 0x6D};

struct Stored {
  std::string shortName, longName;
  uint16_t flags;
};

// The entries of a one-volume archive, read through the library.
std::vector<Stored> EntriesOf(const std::string& path) {
  std::vector<Stored> entries;
  QarArchive* archive = QarOpen(path.c_str(), QAR_MODE_NOCREATE | QAR_MODE_READONLY, nullptr);
  EXPECT_NE(archive, nullptr) << path;
  if (!archive)
    return entries;
  for (const QarEntryHeader* entry = FirstEntry(archive); entry && entry->recordKind != 0;
       entry = entry->next)
    entries.push_back({entry->shortName, entry->longName, entry->entryFlags});
  QarClose(archive);
  return entries;
}

} // namespace

TEST(Create, WritesTheWorkedExampleByteForByte) {
  const std::string dir = Scratch();
  WriteText(Path(dir, "Read me.txt"), "abc");
  SetModified(Path(dir, "Read me.txt"), 1000000000);
  Result run = Qar(dir, {"create", "--method", "store", "DEMO.QAR", "Read me.txt"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ReadBytes(Path(dir, "DEMO.QAR")), kWorkedExample);
}

TEST(Create, StoresPathsUnderTheirOwnNameOrAsWrittenBelowTheFolderOfC) {
  const std::string dir = Scratch();
  for (const char* file : {"top/docs/a.txt", "top/docs/sub/b.txt", "top/docs/.hidden.cfg"})
    WriteText(Path(dir, file), file);
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> longNames, shortNames;
  } cases[] = {
      {{"top/docs"},
       {"docs\\.hidden.cfg", "docs\\a.txt", "docs\\sub\\b.txt"},
       {"DOCS\\HIDDEN~1.CFG", "DOCS\\A.TXT", "DOCS\\SUB\\B.TXT"}},
      {{"top/docs/sub/b.txt", "top/docs/a.txt"}, {"b.txt", "a.txt"}, {"B.TXT", "A.TXT"}},
      {{"-C", "top", "docs/sub", "./docs/a.txt"},
       {"docs\\sub\\b.txt", "docs\\a.txt"},
       {"DOCS\\SUB\\B.TXT", "DOCS\\A.TXT"}},
      {{"-C", "top/docs", "."},
       {".hidden.cfg", "a.txt", "sub\\b.txt"},
       {"HIDDEN~1.CFG", "A.TXT", "SUB\\B.TXT"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"create", "OUT.QAR"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    Result run = Qar(dir, args);
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> longNames, shortNames;
    for (const Stored& entry : EntriesOf(Path(dir, "OUT.QAR"))) {
      longNames.push_back(entry.longName);
      shortNames.push_back(entry.shortName);
    }
    EXPECT_EQ(longNames, c.longNames) << c.args.back();
    EXPECT_EQ(shortNames, c.shortNames) << c.args.back();
  }
}

TEST(Create, RefusesNamesItCannotStoreOnce) {
  const std::string dir = Scratch();
  WriteText(Path(dir, "a/x.txt"), "1");
  WriteText(Path(dir, "b/X.TXT"), "2");
  const struct {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {{"create", "OUT.QAR", "a/x.txt", "b/X.TXT"}, "second file stored as X.TXT"},
      {{"create", "-C", "a", "OUT.QAR", "../b/X.TXT"}, "must not leave"},
      {{"create", "OUT.QAR", "missing.txt"}, "cannot open"},
  };
  for (const auto& c : cases) {
    Result run = Qar(dir, c.args);
    EXPECT_NE(run.status, 0) << c.says;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_FALSE(KindOf(Path(dir, "OUT.QAR")) == PathKind::file) << c.says;
  }
}

TEST(Create, SetupPackageKeepsItsHostAndOpensFromTheEnd) {
  const std::string dir = Scratch();
  const Bytes host = ReadBytes(ToolPath());
  ASSERT_GT(host.size(), 8191u); // past the forward probe's reach and the backward search's
  WriteText(Path(dir, "SETUP.LNG"), "[Languages]\r\n0409=English\r\n");
  WriteText(Path(dir, "KVSETUP.EXE"), "MZ setup program");
  Result run = Qar(dir, {"create", "--stub", ToolPath(), "--hidden", "SETUP.LNG", "SETUP.EXE",
                         "KVSETUP.EXE", "SETUP.LNG"});
  ASSERT_EQ(run.status, 0) << run.err;

  const std::string package = Path(dir, "SETUP.EXE");
  const Bytes bytes = ReadBytes(package);
  ASSERT_GT(bytes.size(), host.size());
  EXPECT_TRUE(std::equal(host.begin(), host.end(), bytes.begin()));
  QarArchive* archive = QarOpen(package.c_str(), QAR_MODE_NOCREATE | QAR_MODE_READONLY, nullptr);
  ASSERT_NE(archive, nullptr);
  EXPECT_EQ(BaseOf(archive), host.size());
  QarArchiveInfo info{};
  QarGetArchiveInfo(archive, &info);
  EXPECT_STREQ(info.archiveName, "SETUP.EXE");
  EXPECT_EQ(info.createdTime, 1000000000u);
  EXPECT_EQ(info.modifiedTime, 1000000000u);
  EXPECT_TRUE(QarEntryExists(archive, "SETUP.LNG")); // hidden, but found by name
  QarClose(archive);

  Result shown = Qar(dir, {"info", "SETUP.EXE"});
  ASSERT_EQ(shown.status, 0) << shown.err;
  for (const std::string& line : {"base         " + std::to_string(host.size()),
                                 std::string("volume       1"), std::string("entries      2"),
                                 std::string("hidden       1")})
    EXPECT_NE(shown.out.find(line + "\n"), std::string::npos) << line << "\n" << shown.out;
  Result tested = Qar(dir, {"test", "SETUP.EXE"});
  EXPECT_EQ(tested.status, 0) << tested.err;
  EXPECT_EQ(Count(tested.out, "OK  "), 1u) << tested.out;
}
