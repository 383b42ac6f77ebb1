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

TEST(LanguageDialog, ChoicesThatNameNoLanguage) {
  // The default names no listed language: nothing is preselected.
  const std::string table = "[Language]\r\n0407=Deutsch\r\nxyz=Other\r\n"
                            "[Setup]\r\nDefault Language=0C0A\r\n";
  const struct {
    const char* what;
    const char* select; // null: nothing
    const char* module;
  } cases[] = {
      {"nothing selected", nullptr, "BOOTFFFFFFFF.DLL"},
      {"a key that is no hexadecimal number", "Other", "BOOT0000.DLL"},
  };
  for (const auto& c : cases) {
    const std::string setup = Package(table, {"0C0A", "0407"});
    RunResult run = RunPackage(setup, {.onLanguageDialog = [&](HWND d) {
      if (c.select)
        SelectItem(d, c.select);
      Press(d, IDOK);
    }});
    ASSERT_EQ(run.boxes.size(), 1u) << c.what;
    EXPECT_EQ(run.boxes[0].text,
              std::string("INTERNAL ERROR B110-14: Cannot decompress ") + c.module + ".")
        << c.what;
    EXPECT_EQ(run.exitCode, 1u) << c.what;
  }
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

namespace {

// The screen's pixels per inch for programs started from now on, as Wine
// reads them from the prefix's registry; put back to 96 when done.
class ScreenDpi {
public:
  explicit ScreenDpi(DWORD dpi) { Set(dpi); }
  ~ScreenDpi() { Set(96); }

private:
  static void Set(DWORD dpi) {
    const struct {
      HKEY root;
      const char* path;
    } places[] = {{HKEY_CURRENT_USER, "Control Panel\\Desktop"},
                  {HKEY_CURRENT_CONFIG, "Software\\Fonts"}};
    for (const auto& place : places) {
      HKEY key;
      if (RegCreateKeyExA(place.root, place.path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                          nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                       sizeof dpi);
        RegCloseKey(key);
      }
    }
  }
};

struct PanelProbe {
  COLORREF aboveSeparator, belowSeparator, insidePictureEdge, outsidePictureEdge,
      pictureBottomRow;
};

// Rows of the control's screen area that hold text: its ink height.
int InkHeight(HWND control) {
  RECT area;
  GetWindowRect(control, &area);
  HDC screen = GetDC(nullptr);
  const COLORREF background = GetPixel(screen, area.left, area.top);
  int top = -1, bottom = -1;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (GetPixel(screen, x, y) != background) {
        if (top < 0)
          top = y;
        bottom = y;
        break;
      }
  ReleaseDC(nullptr, screen);
  return top < 0 ? 0 : bottom - top + 1;
}

PanelProbe Probe(HWND dialog, int pictureWidth) {
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT client, separator;
  GetClientRect(dialog, &client);
  GetWindowRect(GetDlgItem(dialog, 201), &separator);
  POINT origin = {0, 0};
  ClientToScreen(dialog, &origin);
  const int panelBottom = separator.top - origin.y;
  HDC screen = GetDC(nullptr);
  auto at = [&](int x, int y) { return GetPixel(screen, origin.x + x, origin.y + y); };
  PanelProbe probe{at(client.right - 5, panelBottom - 2), at(client.right - 5, panelBottom + 4),
                   at(pictureWidth - 1, panelBottom / 2), at(pictureWidth + 2, panelBottom / 2),
                   at(2, panelBottom - 1)};
  ReleaseDC(nullptr, screen);
  return probe;
}

} // namespace

TEST(LanguageDialog, Wizard97PanelAtTheScreensPixelsPerInch) {
  // The picture is 164 by 313 pixels, drawn for 96 pixels per inch.
  const struct {
    DWORD dpi;
    int pictureWidth;
    bool pictureReachesPanelBottom; // cut there
  } cases[] = {{96, 164, false}, {120, 205, true}};
  const COLORREF white = GetSysColor(COLOR_WINDOW), face = GetSysColor(COLOR_BTNFACE);
  std::vector<int> headingInk;
  for (const auto& c : cases) {
    const std::string dir = ScratchDir();
    const std::string setup = WritePackage(
        dir, PackageWithModules(kTwoLanguages + "Wizard97=1\r\n", {"0409", "0407"}));
    ScreenDpi dpi(c.dpi);
    PanelProbe probe{};
    RunResult run = RunPackage(setup, {.onLanguageDialog = [&](HWND d) {
      probe = Probe(d, c.pictureWidth);
      headingInk.push_back(InkHeight(GetDlgItem(d, 503)));
      const std::string shot = dir + "\\language-dialog-wizard97-" + std::to_string(c.dpi) + ".bmp";
      SaveScreenshot(d, shot);
      std::printf("screenshot of the Wizard97 language dialog: %s\n", shot.c_str());
      Press(d, IDCANCEL);
    }});
    ASSERT_TRUE(run.languageDialogSeen) << c.dpi;
    EXPECT_EQ(probe.aboveSeparator, white) << c.dpi;
    EXPECT_EQ(probe.belowSeparator, face) << c.dpi;
    EXPECT_NE(probe.insidePictureEdge, white) << c.dpi;
    EXPECT_EQ(probe.outsidePictureEdge, white) << c.dpi;
    EXPECT_EQ(probe.pictureBottomRow != white, c.pictureReachesPanelBottom) << c.dpi;
  }
  // The heading font is 18 pixels high whatever the pixels per inch.
  ASSERT_EQ(headingInk.size(), 2u);
  EXPECT_GT(headingInk[0], 8);
  EXPECT_EQ(headingInk[0], headingInk[1]);
}

TEST(LanguageDialog, BareModuleWizard97IsAllPanelAndGetsTheVersionsText) {
  Entries entries = PackageWithModules(kTwoLanguages + "Wizard97=1\r\n", {"0407"});
  entries.push_back({"BOOT0409.DLL", ReadFile(BuiltFile("BOOTBARE.DLL"))});
  const std::string setup = WritePackage(ScratchDir(), entries);
  COLORREF topLeft = 0, bottomLeft = 0;
  bool hint501 = false, hint502 = true;
  RunResult run = RunPackage(setup, {.onLanguageDialog = [&](HWND d) {
    hint501 = IsWindowVisible(GetDlgItem(d, 501));
    hint502 = IsWindowVisible(GetDlgItem(d, 502));
    RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT client;
    GetClientRect(d, &client);
    POINT origin = {0, 0};
    ClientToScreen(d, &origin);
    HDC screen = GetDC(nullptr);
    topLeft = GetPixel(screen, origin.x + 2, origin.y + 2);
    bottomLeft = GetPixel(screen, origin.x + 2, origin.y + client.bottom - 2);
    ReleaseDC(nullptr, screen);
    Press(d, IDCANCEL);
  }});
  ASSERT_TRUE(run.languageDialogSeen);
  EXPECT_EQ(topLeft, GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(bottomLeft, GetSysColor(COLOR_WINDOW));
  // Windows 4.0 and later: the text for them shows, the other hides.
  EXPECT_TRUE(hint501);
  EXPECT_FALSE(hint502);
  EXPECT_EQ(run.exitCode, 1u);
}

TEST(LanguageDialog, EachLanguagesDialogsClassicAndWizard97) {
  // The first module serves the choice; the chosen one's texts then show in
  // the progress dialog. Screenshots of all of them are kept.
  const struct {
    const char* code;
    const char* name; // as section Language lists it (Windows-1252)
  } languages[] = {{"0409", "English"}, {"0407", "Deutsch"}, {"040C", "Fran\xE7" "ais"}};
  const std::string table =
      "[Language]\r\n0409=English\r\n0407=Deutsch\r\n040C=Fran\xE7" "ais\r\n"
      "[Setup]\r\nDefault Language=0409\r\nProductName=Orvelle Demo\r\n";
  std::map<std::string, std::string> progressTexts;
  const std::string scratch = ScratchDir();
  for (const char* look : {"classic", "wizard97"}) {
    for (const auto& language : languages) {
      const std::string dir = scratch + "\\" + look + "-" + language.code;
      fs::create_directories(dir);
      Entries entries = EnglishPackage(table + (look[0] == 'w' ? "Wizard97=1\r\n" : ""));
      Remove(entries, "BOOT0409.DLL");
      // The dialog comes from the module the run resolves first: 0409.
      entries.push_back({"BOOT0409.DLL",
                         ReadFile(BuiltFile(("BOOT" + std::string(language.code) + ".DLL").c_str()))});
      for (const char* code : {"0407", "040C"}) {
        entries.push_back({"BOOT" + std::string(code) + ".DLL",
                           ReadFile(BuiltFile(("BOOT" + std::string(code) + ".DLL").c_str()))});
        entries.push_back({"SETUP" + std::string(code) + ".DLL", Bytes{'l'}});
      }
      const std::string setup = WritePackage(dir, entries);
      const std::string stem = dir + "\\" + look + "-" + language.code;
      std::string text;
      RunResult run = RunPackage(setup, {
          .probeAction = "sleep 2000",
          .onDialog = [&](HWND d) {
            Sleep(1000);
            RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            char buffer[512] = "";
            GetDlgItemTextA(d, 101, buffer, sizeof buffer);
            text = buffer;
            SaveScreenshot(d, stem + "-progress.bmp");
          },
          .onLanguageDialog = [&](HWND d) {
            Sleep(300);
            SaveScreenshot(d, stem + "-language.bmp");
            SelectItem(d, language.name);
            Press(d, IDOK);
          }});
      std::printf("screenshots: %s-language.bmp, %s-progress.bmp\n", stem.c_str(), stem.c_str());
      EXPECT_TRUE(run.languageDialogSeen) << stem;
      EXPECT_EQ(run.exitCode, 0u) << stem;
      EXPECT_EQ(text.rfind("Orvelle Demo ", 0), 0u) << text;
      progressTexts[language.code] = text;
    }
  }
  EXPECT_NE(progressTexts["0407"], progressTexts["0409"]);
  EXPECT_NE(progressTexts["040C"], progressTexts["0409"]);
  EXPECT_NE(progressTexts["040C"], progressTexts["0407"]);
}
