// The end-to-end harness: builds setup packages (the bootstrap followed by
// an archive) from fixtures, starts them as a user would, and answers what
// they show, as a user would.
#pragma once

#include "testutil.h"

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

// Where the bootstrap, its language module and the probe setup program were
// built: beside the test program.
std::string BuiltFile(const char* name);

// The entries of a package, by name; stored in this order.
using Entries = std::vector<std::pair<std::string, Bytes>>;

// An English package: SETUP.LNG (the given table), BOOT0409.DLL,
// KVSETUP.EXE (the probe) and SETUP0409.DLL.
Entries EnglishPackage(const std::string& languageTable);
std::string SingleLanguageTable(const std::string& product = "Demo Product");
void Remove(Entries& entries, const std::string& name);
// A package with the given table whose language modules, BOOTxxxx.DLL and
// SETUPxxxx.DLL for each code, are the English one under other names.
Entries PackageWithModules(const std::string& table, const std::vector<std::string>& codes);

// The TEMP folder RunPackage gives a package by default.
std::string Temp(const std::string& setup);

// Writes the bootstrap with the entries appended, as SETUP.EXE in dir. The
// entries get the Windows attributes 0x20 unless named in attributes.
std::string WritePackage(const std::string& dir, const Entries& entries,
                         const std::map<std::string, uint32_t>& attributes = {});

struct MessageBoxSeen {
  std::string caption;
  std::string text;
  bool errorIcon;
  bool owned; // has an owner window
};

struct RunResult {
  DWORD exitCode = 0xFFFFFFFF;
  std::vector<MessageBoxSeen> boxes;
  std::map<std::string, std::string> report; // what the probe recorded; key "file" joined by '|'
  bool progressSeen = false;
  bool languageDialogSeen = false;
  DWORD milliseconds = 0;      // from start to end
};

struct RunOptions {
  std::string arguments;                          // the user's command line
  std::map<std::string, std::string> environment; // set ("" value: removed)
  std::string probeAction;
  // Called once with the progress dialog, when it first shows.
  std::function<void(HWND)> onDialog;
  // Called once with the language dialog, when it first shows; it answers it.
  std::function<void(HWND)> onLanguageDialog;
};

// Starts the package and waits (at most a minute) for it to end, pressing OK
// on every message box it shows. TEMP and TMP default to a "temp" folder
// beside the package.
RunResult RunPackage(const std::string& setup, const RunOptions& options = {});

// Files and folders left below dir, as "name" or "folder\name".
std::vector<std::string> Leftovers(const std::string& dir);

// A picture of the screen area of a window, kept as a BMP file.
void SaveScreenshot(HWND window, const std::string& path);

// The language dialog, as a user sees and answers it.
std::vector<std::string> ListItems(HWND dialog);
int SelectedItem(HWND dialog); // -1: none
void SelectItem(HWND dialog, const std::string& text);
void Press(HWND dialog, int id);
void DoubleClickSelected(HWND dialog);
void PressEscape(HWND dialog);
void CloseBox(HWND dialog);
