// The bootstrap end to end: real packages, started as a user starts them,
// observed as a user and a setup program observe them.
#include "driver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr char kCaption[] = "Orvelle";

struct Expected {
  const char* caption;
  std::string text;
};

void ExpectBoxes(const RunResult& run, const std::vector<Expected>& expected, const char* what) {
  ASSERT_EQ(run.boxes.size(), expected.size()) << what;
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(run.boxes[i].caption, expected[i].caption) << what << " #" << i;
    EXPECT_EQ(run.boxes[i].text, expected[i].text) << what << " #" << i;
    EXPECT_TRUE(run.boxes[i].errorIcon) << what << " #" << i;
  }
}

} // namespace

TEST(Bootstrap, NormalRunHandsOverAndCleansUp) {
  const std::string dir = ScratchDir();
  const std::string setup = WritePackage(dir, EnglishPackage(SingleLanguageTable()));
  RunResult run = RunPackage(setup, {.environment = {{"PROBE_MARKER", "inherited"}}});
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_TRUE(run.progressSeen);

  const std::string work = Temp(setup) + "\\KVSETUP0.TMP";
  EXPECT_EQ(run.report["self"], work + "\\KVSETUP.EXE");
  EXPECT_EQ(run.report["commandline"], work + "\\KVSETUP.EXE \"/b" + setup + "\"");
  EXPECT_EQ(run.report["cwd"], dir);
  EXPECT_EQ(run.report["marker"], "inherited");
  const std::string& files = run.report["file"];
  for (const char* file : {"KVSETUP.EXE", "SETUPLNG.DLL 4", "SETUP.LNG", "BOOT0409.DLL",
                           "SETUP.PKG 1024"})
    EXPECT_NE(files.find(file), std::string::npos) << file << " in " << files;
  EXPECT_TRUE(Leftovers(Temp(setup)).empty());
}

TEST(Bootstrap, MessageTable) {
  const std::string table = SingleLanguageTable();
  auto without = [&](std::vector<std::string> names) {
    Entries entries = EnglishPackage(table);
    for (const auto& name : names)
      Remove(entries, name);
    return entries;
  };
  Entries withFallback = without({"BOOT0409.DLL"});
  withFallback.push_back({"BOOTLNG.DLL", ReadFile(BuiltFile("BOOT0409.DLL"))});

  const struct {
    const char* what;
    Entries entries;
    bool appendArchive;
    std::vector<Expected> boxes;
    DWORD exitCode;
  } cases[] = {
      {"no archive", {}, false,
       {{kCaption, "INTERNAL ERROR B109-11: Cannot decompress setup program."}}, 1},
      {"no language table", without({"SETUP.LNG"}), true,
       {{kCaption, "INTERNAL ERROR B118-14: Cannot decompress SETUP.LNG."},
        {kCaption, "INTERNAL ERROR B110-14: Cannot decompress BOOT.DLL."},
        {kCaption, "INTERNAL ERROR B110-14: Cannot decompress BOOTLNG.DLL."},
        {kCaption, "INTERNAL ERROR B112: Cannot load BOOTLNG.DLL."}},
       1},
      {"no module for the code, no fallback", without({"BOOT0409.DLL"}), true,
       {{kCaption, "INTERNAL ERROR B110-14: Cannot decompress BOOT0409.DLL."},
        {kCaption, "INTERNAL ERROR B110-14: Cannot decompress BOOTLNG.DLL."},
        {kCaption, "INTERNAL ERROR B112: Cannot load BOOTLNG.DLL."}},
       1},
      {"no module for the code, with fallback", withFallback, true,
       {{kCaption, "INTERNAL ERROR B110-14: Cannot decompress BOOT0409.DLL."},
        {kCaption, "INTERNAL ERROR B110-14: Cannot decompress BOOT0409.DLL."}},
       1},
      {"no setup language module", without({"SETUP0409.DLL"}), true,
       {{kCaption, "INTERNAL ERROR B115-14: Cannot decompress SETUP0409.DLL."}}, 0},
  };
  for (const auto& c : cases) {
    const std::string dir = ScratchDir();
    std::string setup = WritePackage(dir, c.entries);
    if (!c.appendArchive)
      WriteFile(setup, ReadFile(BuiltFile("bootstrp.exe")));
    RunResult run = RunPackage(setup);
    ExpectBoxes(run, c.boxes, c.what);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.what;
    EXPECT_TRUE(Leftovers(Temp(setup)).empty()) << c.what;
  }
}

TEST(Bootstrap, MissingSetupProgramIsReportedAndTheRunStillCounts) {
  const std::string dir = ScratchDir();
  Entries entries = EnglishPackage(SingleLanguageTable());
  Remove(entries, "KVSETUP.EXE");
  const std::string setup = WritePackage(dir, entries);
  RunResult run = RunPackage(setup);
  ASSERT_EQ(run.boxes.size(), 2u);
  EXPECT_EQ(run.boxes[0].text, "INTERNAL ERROR B114-14: Cannot decompress KVSETUP.EXE.");
  EXPECT_EQ(run.boxes[1].caption, "Error"); // string 5 of the module, without a caption
  const std::string program = Temp(setup) + "\\KVSETUP0.TMP\\KVSETUP.EXE";
  EXPECT_EQ(run.boxes[1].text.rfind("FATAL ERROR B104: ", 0), 0u) << run.boxes[1].text;
  EXPECT_NE(run.boxes[1].text.find(program + " \"/b" + setup + "\""), std::string::npos)
      << run.boxes[1].text;
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(Leftovers(Temp(setup)).empty());
}

TEST(Bootstrap, SetupProgramCommandLine) {
  const std::string longLine = "/x " + std::string(600, 'y');
  const struct {
    const char* what;
    std::string arguments;
  } cases[] = {
      {"none", ""},
      {"format directives", "/L0409 %s %d"},
      {"longer than 511 characters", longLine},
  };
  const std::string dir = ScratchDir();
  const std::string setup = WritePackage(dir, EnglishPackage(SingleLanguageTable()));
  const std::string program = Temp(setup) + "\\KVSETUP0.TMP\\KVSETUP.EXE";
  for (const auto& c : cases) {
    RunResult run = RunPackage(setup, {.arguments = c.arguments});
    std::string expected = program + " \"/b" + setup + "\"";
    if (!c.arguments.empty())
      expected += " " + c.arguments;
    EXPECT_EQ(run.report["commandline"], expected) << c.what;
    EXPECT_EQ(run.exitCode, 0u) << c.what;
  }
}

TEST(Bootstrap, ExitCodeStaysZeroWhateverTheSetupProgramReturns) {
  const std::string setup = WritePackage(ScratchDir(), EnglishPackage(SingleLanguageTable()));
  EXPECT_EQ(RunPackage(setup, {.probeAction = "exit 3"}).exitCode, 0u);
}

TEST(WorkDirectory, BaseAndNames) {
  const struct {
    const char* what;
    bool trailingBackslash;
    std::vector<std::string> taken; // below TEMP before the run: "NAME" a folder, "NAME=" a file
    const char* expected;
  } cases[] = {
      {"TEMP without a trailing backslash", false, {}, "KVSETUP0.TMP"},
      {"TEMP with a trailing backslash", true, {}, "KVSETUP0.TMP"},
      {"a young folder holding a file", false, {"KVSETUP0.TMP\\keep.txt"}, "KVSETUP1.TMP"},
      {"a file of the first name", false, {"KVSETUP0.TMP="}, "KVSETUP1.TMP"},
      {"a young empty folder is left to its run", false, {"KVSETUP0.TMP\\"}, "KVSETUP1.TMP"},
  };
  for (const auto& c : cases) {
    const std::string dir = ScratchDir();
    const std::string setup = WritePackage(dir, EnglishPackage(SingleLanguageTable()));
    const std::string temp = Temp(setup);
    fs::create_directories(temp);
    for (const std::string& name : c.taken) {
      if (name.back() == '=') {
        WriteFile(temp + "\\" + name.substr(0, name.size() - 1), {'f'});
      } else if (name.back() == '\\') {
        fs::create_directories(temp + "\\" + name);
      } else {
        fs::create_directories(fs::path(temp + "\\" + name).parent_path());
        WriteFile(temp + "\\" + name, {'f'});
      }
    }
    const std::string base = c.trailingBackslash ? temp + "\\" : temp;
    RunResult run = RunPackage(setup, {.environment = {{"TEMP", base}, {"TMP", ""}}});
    EXPECT_EQ(run.report["self"], temp + "\\" + c.expected + "\\KVSETUP.EXE") << c.what;
    EXPECT_EQ(run.exitCode, 0u) << c.what;
    EXPECT_FALSE(fs::exists(temp + "\\" + c.expected)) << c.what;
    for (const std::string& name : c.taken) // nothing of another run is touched
      EXPECT_TRUE(fs::exists(temp + "\\" + name.substr(0, name.find_first_of("=")))) << c.what;
  }
}

TEST(WorkDirectory, StaleFolderIsEmptiedAndReused) {
  const std::string dir = ScratchDir();
  const std::string setup = WritePackage(dir, EnglishPackage(SingleLanguageTable()));
  const std::string stale = Temp(setup) + "\\KVSETUP0.TMP";
  fs::create_directories(stale);
  WriteFile(stale + "\\read-only.txt", {'r'});
  WriteFile(stale + "\\hidden.txt", {'h'});
  SetFileAttributesA((stale + "\\read-only.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA((stale + "\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  // Two hours old: its creation time is what the sweep judges.
  HANDLE folder = CreateFileA(stale.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(folder, INVALID_HANDLE_VALUE);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER old{{now.dwLowDateTime, now.dwHighDateTime}};
  old.QuadPart -= 2ULL * 3600 * 10000000;
  const FILETIME aged = {old.LowPart, old.HighPart};
  ASSERT_TRUE(SetFileTime(folder, &aged, &aged, &aged));
  CloseHandle(folder);

  RunResult run = RunPackage(setup);
  EXPECT_EQ(run.report["self"], stale + "\\KVSETUP.EXE");
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(Leftovers(Temp(setup)).empty());
}

TEST(WorkDirectory, NoNameLeftOrNoFolderToMakeIt) {
  const std::string dir = ScratchDir();
  const std::string setup = WritePackage(dir, EnglishPackage(SingleLanguageTable()));
  const std::string temp = Temp(setup);
  for (int u = 0; u <= 9; ++u)
    fs::create_directories(temp + "\\KVSETUP" + std::to_string(u) + ".TMP\\sub");
  RunResult run = RunPackage(setup);
  ExpectBoxes(run, {{kCaption, "ERROR B111: Cannot create temporary directory:\n" + temp +
                                   "\\KVSETUP9.TMP"}},
              "all ten names taken");
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(Leftovers(temp).size(), 20u); // another run's folders are left alone

  const std::string missing = dir + "\\missing";
  run = RunPackage(setup, {.environment = {{"TEMP", missing}}});
  ExpectBoxes(run, {{kCaption, "ERROR B111: Cannot create temporary directory:\n" + missing +
                                   "\\KVSETUP0.TMP"}},
              "no folder to make it in");
  EXPECT_EQ(run.exitCode, 1u);
}

namespace {

std::string TwoLanguageTable() {
  return "[Language]\r\n0409=English\r\n0407=Deutsch\r\n[Setup]\r\nDefault Language=0409\r\n";
}

} // namespace

TEST(Language, ForcedLanguageNeedsNoChoice) {
  const std::string setup =
      WritePackage(ScratchDir(), PackageWithModules(TwoLanguageTable(), {"0409", "0407"}));
  RunResult run = RunPackage(setup, {.arguments = "/L0407"});
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_NE(run.report["file"].find("BOOT0407.DLL"), std::string::npos);
  EXPECT_EQ(run.report["file"].find("BOOT0409.DLL"), std::string::npos);
  // The user's command line, options included, reaches the setup program.
  EXPECT_EQ(run.report["commandline"].substr(run.report["commandline"].size() - 7), " /L0407");

  // A forced sublanguage falls back to its primary language.
  run = RunPackage(setup, {.arguments = "/l 0C07"});
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_NE(run.report["file"].find("BOOT0407.DLL"), std::string::npos);
}

// Wine takes the user's locale from LC_ALL of the Linux environment it was
// started in, so each locale is a run of its own (see CMakeLists.txt); the
// table lists one language, so no choice is offered, and the module the run
// asks for tells which code was resolved.
TEST(Language, ResolvedFromTheUsersLocale) {
  const char* locale = std::getenv("QAR_TEST_LOCALE");
  if (!locale || !*locale)
    GTEST_SKIP() << "runs once per locale, with QAR_TEST_LOCALE and LC_ALL set";
  const std::string german = "[Language]\r\n0407=Deutsch\r\n";
  const std::string withDefault = german + "[Setup]\r\nDefault Language=0409\r\n";
  const struct {
    std::string locale, table;
    const char* module;
  } cases[] = {
      {"de_DE.UTF-8", withDefault, "BOOT0407.DLL"},  // listed as it is
      {"de_AT.UTF-8", withDefault, "BOOT0407.DLL"},  // 0C07, retried as 0407
      {"en_GB.UTF-8", withDefault, "BOOT0409.DLL"},  // 0809, retried as 0009, then the default
      {"ja_JP.UTF-8", withDefault, "BOOT0409.DLL"},  // 0411: no retry; the default
      {"ja_JP.UTF-8", german, "BOOT0407.DLL"},       // no default: the first key
  };
  int ran = 0;
  for (const auto& c : cases) {
    if (c.locale != locale)
      continue;
    ++ran;
    const std::string setup = WritePackage(ScratchDir(), PackageWithModules(c.table, {}));
    RunResult run = RunPackage(setup);
    ASSERT_FALSE(run.boxes.empty()) << c.locale;
    EXPECT_EQ(run.boxes[0].text,
              std::string("INTERNAL ERROR B110-14: Cannot decompress ") + c.module + ".")
        << c.locale;
    EXPECT_EQ(run.exitCode, 1u);
  }
  EXPECT_GT(ran, 0) << "no case for " << locale;
}

TEST(HandOff, BootstrapMessageHidesTheDialogOnlyWithOne) {
  const struct {
    const char* action;
    bool hidden;
  } cases[] = {{"hide;sleep 1500", true}, {"message 0;sleep 1500", false},
               {"message 2;sleep 1500", false}};
  const std::string setup = WritePackage(ScratchDir(), EnglishPackage(SingleLanguageTable()));
  for (const auto& c : cases) {
    bool visible = true;
    RunResult run = RunPackage(setup, {.probeAction = c.action, .onDialog = [&](HWND dialog) {
      Sleep(1000); // the setup program has sent its message by now
      visible = IsWindowVisible(dialog);
    }});
    EXPECT_TRUE(run.progressSeen) << c.action;
    EXPECT_EQ(!visible, c.hidden) << c.action;
    EXPECT_EQ(run.exitCode, 0u) << c.action;
  }
}

TEST(HandOff, QuitRequestDoesNotEndTheWait) {
  const std::string setup = WritePackage(ScratchDir(), EnglishPackage(SingleLanguageTable()));
  RunResult run = RunPackage(setup, {.probeAction = "quit;sleep 1500"});
  EXPECT_GE(run.milliseconds, 1500u);
  EXPECT_EQ(run.exitCode, 0u);
  // Had the bootstrap stopped waiting, the running setup program's file would
  // have stayed behind.
  EXPECT_TRUE(Leftovers(Temp(setup)).empty());
}

TEST(HandOff, DialogStaysPaintedAndAnsweredWhileTheSetupProgramRuns) {
  const std::string dir = ScratchDir();
  const std::string setup = WritePackage(dir, EnglishPackage(SingleLanguageTable("Demo Product")));
  bool answered = false;
  COLORREF bar = 0, rest = 0;
  std::string text;
  RunResult run = RunPackage(setup, {.probeAction = "sleep 3000", .onDialog = [&](HWND dialog) {
    Sleep(1000); // extraction is over; the bootstrap waits for the setup program
    DWORD_PTR result = 0;
    answered = SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result) != 0;
    char buffer[512] = "";
    GetDlgItemTextA(dialog, 101, buffer, sizeof buffer);
    text = buffer;
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT gauge;
    GetWindowRect(GetDlgItem(dialog, 102), &gauge);
    HDC screen = GetDC(nullptr);
    bar = GetPixel(screen, (gauge.left + gauge.right) / 2, (gauge.top + gauge.bottom) / 2);
    rest = GetPixel(screen, gauge.right - 4, (gauge.top + gauge.bottom) / 2);
    ReleaseDC(nullptr, screen);
    const std::string shot = dir + "\\progress-dialog.bmp";
    SaveScreenshot(dialog, shot);
    std::printf("screenshot of the progress dialog: %s\n", shot.c_str());
  }});
  EXPECT_TRUE(answered);
  EXPECT_EQ(text.rfind("Demo Product Setup", 0), 0u) << text;
  // Both files extracted: the gauge is full, in the highlight colour.
  EXPECT_EQ(bar, GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(rest, GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(run.exitCode, 0u);
}

TEST(CleanUp, EndOfSessionCleansUpAtOnce) {
  const std::string setup = WritePackage(ScratchDir(), EnglishPackage(SingleLanguageTable()));
  const std::string work = Temp(setup) + "\\KVSETUP0.TMP";
  bool tableGone = false, programStays = false;
  RunResult run = RunPackage(setup, {.probeAction = "sleep 2500", .onDialog = [&](HWND dialog) {
    Sleep(1000);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(dialog, WM_ENDSESSION, 1, 0, SMTO_ABORTIFHUNG, 2000, &result);
    tableGone = !fs::exists(work + "\\SETUP.LNG");
    programStays = fs::exists(work + "\\KVSETUP.EXE"); // in use by the running setup program
  }});
  EXPECT_TRUE(tableGone);
  EXPECT_TRUE(programStays);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(Leftovers(Temp(setup)).empty());
}

TEST(CleanUp, ReadOnlyFileStaysWithItsFolder) {
  const std::string setup = WritePackage(ScratchDir(), EnglishPackage(SingleLanguageTable()),
                                         {{"SETUP.LNG", 0x21}});
  RunResult run = RunPackage(setup);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(Leftovers(Temp(setup)),
            (std::vector<std::string>{"KVSETUP0.TMP", "KVSETUP0.TMP\\SETUP.LNG"}));
  SetFileAttributesA((Temp(setup) + "\\KVSETUP0.TMP\\SETUP.LNG").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(WorkDirectory, TwoBootstrapsStartedTogetherBothSucceed) {
  const std::string dir = ScratchDir();
  const std::string temp = dir + "\\shared-temp";
  fs::create_directories(temp);
  fs::create_directories(dir + "\\one");
  fs::create_directories(dir + "\\two");
  const std::string one = WritePackage(dir + "\\one", EnglishPackage(SingleLanguageTable()));
  const std::string two = WritePackage(dir + "\\two", EnglishPackage(SingleLanguageTable()));
  RunOptions options{.environment = {{"TEMP", temp}, {"TMP", temp}}, .probeAction = "sleep 500"};
  RunResult first, second;
  std::thread other([&] { second = RunPackage(two, options); });
  first = RunPackage(one, options);
  other.join();
  EXPECT_EQ(first.exitCode, 0u);
  EXPECT_EQ(second.exitCode, 0u);
  EXPECT_TRUE(first.boxes.empty() && second.boxes.empty());
  EXPECT_NE(first.report["self"], second.report["self"]);
  EXPECT_TRUE(Leftovers(temp).empty());
}

TEST(WorkDirectory, BaseFromTmpOrTheBestDrive) {
  const std::string dir = ScratchDir();
  const std::string setup = WritePackage(dir, EnglishPackage(SingleLanguageTable()));
  const std::string temp = Temp(setup);
  const struct {
    const char* what;
    std::string tempValue, tmpValue;
    std::string expected; // the setup program's folder
  } cases[] = {
      {"TMP when TEMP is unset", "", temp, temp + "\\KVSETUP0.TMP"},
      // A value too long for its buffer counts as not set.
      {"TMP when TEMP is too long", "C:\\" + std::string(300, 't'), temp, temp + "\\KVSETUP0.TMP"},
      // The test prefix has the drives C: and Z:, on one file system: either
      // may count the more free bytes at the moment it is asked.
      {"the best drive's root when neither is set", "", "", "?:\\KVSETUP0.TMP"},
  };
  for (auto c : cases) {
    RunResult run = RunPackage(setup, {.environment = {{"TEMP", c.tempValue}, {"TMP", c.tmpValue}}});
    std::string self = run.report["self"];
    if (c.expected[0] == '?' && !self.empty() && (self[0] == 'C' || self[0] == 'Z'))
      c.expected[0] = self[0];
    EXPECT_EQ(self, c.expected + "\\KVSETUP.EXE") << c.what;
    EXPECT_EQ(run.exitCode, 0u) << c.what;
    EXPECT_FALSE(fs::exists(c.expected)) << c.what;
  }
}
