// The language selection dialog end to end: when it shows, what it lists,
// and how each way of leaving it goes on.
#include "driver.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

const std::string kTwoLanguages =
    "[Language]\r\n0409=English\r\n0407=Deutsch\r\n[Setup]\r\nDefault Language=0409\r\n";

std::string Package(const std::string& table, const std::vector<std::string>& codes) {
  return WritePackage(ScratchDir(), PackageWithModules(table, codes));
}

} // namespace

TEST(LanguageDialog, ShowsExactlyWhenTheTableListsTwoOrMoreKeys) {
  const struct {
    const char* what;
    std::string table;
    std::string arguments;
    bool shown;
  } cases[] = {
      {"one language", "[Language]\r\n0409=English\r\n", "", false},
      {"an empty-valued key counts", "[Language]\r\n0409=English\r\n0410=\r\n", "", true},
      {"two languages", kTwoLanguages, "", true},
      {"two languages, forced", kTwoLanguages, "/L0409", false},
  };
  for (const auto& c : cases) {
    const std::string setup = Package(c.table, {"0409", "0407"});
    std::vector<std::string> items;
    RunResult run = RunPackage(setup, {.arguments = c.arguments, .onLanguageDialog = [&](HWND d) {
      items = ListItems(d);
      Press(d, IDOK);
    }});
    EXPECT_EQ(run.languageDialogSeen, c.shown) << c.what;
    EXPECT_TRUE(run.boxes.empty()) << c.what;
    EXPECT_EQ(run.exitCode, 0u) << c.what;
    if (std::string(c.what) == "an empty-valued key counts") {
      EXPECT_EQ(items, std::vector<std::string>{"English"}) << c.what;
    }
  }
}

TEST(LanguageDialog, ListsDisplayNamesAndPreselectsExactly) {
  const struct {
    const char* what;
    std::string table;
    std::vector<std::string> items; // as the sorted list shows them
    std::string selected;           // "" when nothing is
  } cases[] = {
      {"names in the current language win; empty ones fall back or drop out",
       "[Language]\r\n0409=English\r\n0407=Deutsch\r\n040C=Francais\r\n0410=\r\n"
       "[Language (0409)]\r\n0407=German\r\n0409=\r\n[Setup]\r\nDefault Language=0409\r\n",
       {"English", "Francais", "German"}, "English"},
      {"the resolved language stays selected whatever the order of the keys",
       "[Language]\r\n0407=Deutsch\r\n040C=Francais\r\n0409=English\r\n"
       "[Setup]\r\nDefault Language=0409\r\n",
       {"Deutsch", "English", "Francais"}, "English"},
      {"a key written 040c is not the code 040C",
       "[Language]\r\n0407=Deutsch\r\n040c=Francais\r\n[Setup]\r\nDefault Language=040C\r\n",
       {"Deutsch", "Francais"}, ""},
  };
  for (const auto& c : cases) {
    const std::string setup = Package(c.table, {"0409", "0407", "040C"});
    std::vector<std::string> items;
    int selected = -2;
    RunResult run = RunPackage(setup, {.onLanguageDialog = [&](HWND d) {
      items = ListItems(d);
      selected = SelectedItem(d);
      Press(d, IDCANCEL);
    }});
    ASSERT_TRUE(run.languageDialogSeen) << c.what;
    EXPECT_EQ(items, c.items) << c.what;
    EXPECT_EQ(selected >= 0 ? items[size_t(selected)] : "", c.selected) << c.what;
  }
}

TEST(LanguageDialog, WaysToLeaveIt) {
  const struct {
    const char* what;
    std::function<void(HWND)> answer;
    DWORD exitCode;
    const char* module; // the module the setup program finds beside it, or null
  } cases[] = {
      {"OK with another language", [](HWND d) { SelectItem(d, "Deutsch"); Press(d, IDOK); }, 0,
       "BOOT0407.DLL"},
      {"OK with the preselected one", [](HWND d) { Press(d, IDOK); }, 0, "BOOT0409.DLL"},
      {"double-click", [](HWND d) { SelectItem(d, "Deutsch"); DoubleClickSelected(d); }, 0,
       "BOOT0407.DLL"},
      {"Cancel", [](HWND d) { Press(d, IDCANCEL); }, 1, nullptr},
      {"Esc", [](HWND d) { PressEscape(d); }, 1, nullptr},
      {"close box", [](HWND d) { CloseBox(d); }, 1, nullptr},
  };
  for (const auto& c : cases) {
    const std::string setup = Package(kTwoLanguages, {"0409", "0407"});
    RunResult run = RunPackage(setup, {.onLanguageDialog = c.answer});
    ASSERT_TRUE(run.languageDialogSeen) << c.what;
    EXPECT_TRUE(run.boxes.empty()) << c.what; // a cancelled choice shows no message
    EXPECT_EQ(run.exitCode, c.exitCode) << c.what;
    if (c.module) {
      EXPECT_NE(run.report["file"].find(c.module), std::string::npos) << c.what;
    }
    EXPECT_TRUE(Leftovers(Temp(setup)).empty()) << c.what;
  }
}

TEST(LanguageDialog, CancelAfterMovingTheSelectionLeavesTheFirstModule) {
  // The dialog rewrites the code from the selection also on Cancel, so the
  // clean-up deletes the module file of the new code, not the one loaded.
  const std::string setup = Package(kTwoLanguages, {"0409", "0407"});
  RunResult run = RunPackage(setup, {.onLanguageDialog = [](HWND d) {
    SelectItem(d, "Deutsch");
    Press(d, IDCANCEL);
  }});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(Leftovers(Temp(setup)),
            (std::vector<std::string>{"KVSETUP0.TMP", "KVSETUP0.TMP\\BOOT0409.DLL"}));
}

TEST(LanguageDialog, NothingSelectedGivesNoLanguage) {
  const std::string table =
      "[Language]\r\n0407=Deutsch\r\n040C=Francais\r\n[Setup]\r\nDefault Language=0C0A\r\n";
  const std::string setup = Package(table, {"0C0A", "0407", "040C"});
  RunResult run = RunPackage(setup, {.onLanguageDialog = [](HWND d) { Press(d, IDOK); }});
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].text, "INTERNAL ERROR B110-14: Cannot decompress BOOTFFFFFFFF.DLL.");
  EXPECT_EQ(run.exitCode, 1u);
}

TEST(LanguageDialog, ComesFromTheFallbackModuleWhenTheResolvedOneIsMissing) {
  Entries entries = PackageWithModules(kTwoLanguages, {"0407"});
  entries.push_back({"BOOTLNG.DLL", ReadFile(BuiltFile("BOOT0409.DLL"))});
  const std::string setup = WritePackage(ScratchDir(), entries);
  RunResult run = RunPackage(setup, {.onLanguageDialog = [](HWND d) {
    SelectItem(d, "Deutsch");
    Press(d, IDOK);
  }});
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].text, "INTERNAL ERROR B110-14: Cannot decompress BOOT0409.DLL.");
  EXPECT_TRUE(run.languageDialogSeen);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_NE(run.report["file"].find("BOOT0407.DLL"), std::string::npos);
}

TEST(LanguageDialog, EndOfSessionCleansUpAtOnce) {
  const std::string setup = Package(kTwoLanguages, {"0409", "0407"});
  const std::string work = Temp(setup) + "\\KVSETUP0.TMP";
  bool workGone = false;
  RunResult run = RunPackage(setup, {.onLanguageDialog = [&](HWND d) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(d, WM_ENDSESSION, 1, 0, SMTO_ABORTIFHUNG, 2000, &result);
    workGone = !fs::exists(work);
    Press(d, IDCANCEL);
  }});
  EXPECT_TRUE(workGone);
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_TRUE(Leftovers(Temp(setup)).empty());
}
