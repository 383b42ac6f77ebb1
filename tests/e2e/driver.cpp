#include "driver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

std::string BuiltFile(const char* name) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  return (fs::path(self).parent_path() / name).string();
}

std::string SingleLanguageTable(const std::string& product) {
  return "[Language]\r\n0409=English\r\n[Setup]\r\nDefault Language=0409\r\nProductName=" +
         product + "\r\n";
}

Entries EnglishPackage(const std::string& languageTable) {
  return {{"SETUP.LNG", Bytes(languageTable.begin(), languageTable.end())},
          {"BOOT0409.DLL", ReadFile(BuiltFile("BOOT0409.DLL"))},
          {"KVSETUP.EXE", ReadFile(BuiltFile("probe.exe"))},
          {"SETUP0409.DLL", Bytes{'l', 'a', 'n', 'g'}}};
}

Entries PackageWithModules(const std::string& table, const std::vector<std::string>& codes) {
  Entries entries = EnglishPackage(table);
  Remove(entries, "BOOT0409.DLL");
  Remove(entries, "SETUP0409.DLL");
  for (const std::string& code : codes) {
    entries.push_back({"BOOT" + code + ".DLL", ReadFile(BuiltFile("BOOT0409.DLL"))});
    entries.push_back({"SETUP" + code + ".DLL", Bytes{'l', 'a', 'n', 'g'}});
  }
  return entries;
}

std::string Temp(const std::string& setup) {
  return (fs::path(setup).parent_path() / "temp").string();
}

void Remove(Entries& entries, const std::string& name) {
  for (auto at = entries.begin(); at != entries.end(); ++at)
    if (at->first == name) {
      entries.erase(at);
      return;
    }
}

std::string WritePackage(const std::string& dir, const Entries& entries,
                         const std::map<std::string, uint32_t>& attributes) {
  std::vector<Bytes> pieces;
  for (const auto& [name, data] : entries) {
    Piece piece = StoredPiece(name, data);
    if (attributes.count(name))
      piece.attributes = attributes.at(name);
    pieces.push_back(PieceBytes(piece));
  }
  const std::string path = (fs::path(dir) / "SETUP.EXE").string();
  WriteFile(path, Concat(ReadFile(BuiltFile("bootstrp.exe")), VolumeBytes(pieces, "SETUP.EXE")));
  return path;
}

namespace {

std::string Text(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

struct Windows {
  DWORD process;
  std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM parameter) {
  auto* windows = reinterpret_cast<Windows*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == windows->process && IsWindowVisible(window))
    windows->found.push_back(window);
  return TRUE;
}

// A message box: a dialog whose text is the static control 0xFFFF.
bool IsMessageBox(HWND window) {
  char name[32] = "";
  GetClassNameA(window, name, sizeof name);
  return std::string(name) == "#32770" && GetDlgItem(window, 0xFFFF) != nullptr &&
         GetDlgItem(window, 102) == nullptr;
}

// 32 by 32 pixels of a device context.
std::vector<COLORREF> Pixels(HDC source, int left, int top) {
  std::vector<COLORREF> pixels;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      pixels.push_back(GetPixel(source, left + x, top + y));
  return pixels;
}

// The system's stop icon drawn on the given background.
std::vector<COLORREF> StopIcon(DWORD background) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 32);
  HGDIOBJ kept = SelectObject(dc, bitmap);
  PatBlt(dc, 0, 0, 32, 32, background);
  DrawIconEx(dc, 0, 0, LoadIconA(nullptr, IDI_HAND), 32, 32, 0, nullptr, DI_NORMAL);
  std::vector<COLORREF> pixels = Pixels(dc, 0, 0);
  SelectObject(dc, kept);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return pixels;
}

BOOL CALLBACK FindIconControl(HWND child, LPARAM parameter) {
  if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
    *reinterpret_cast<HWND*>(parameter) = child;
    return FALSE;
  }
  return TRUE;
}

// What the user sees: the box's icon control (found by its style: its ID
// differs between Windows and Wine) shows the system's stop icon. Icon
// handles cannot be drawn across processes, so the screen is compared with
// the stop icon drawn here, on its opaque pixels.
bool IsLanguageDialog(HWND window) {
  char name[32] = "";
  GetClassNameA(GetDlgItem(window, 101), name, sizeof name);
  return _stricmp(name, "ListBox") == 0;
}

bool HasErrorIcon(HWND box) {
  HWND icon = nullptr;
  EnumChildWindows(box, FindIconControl, LPARAM(&icon));
  if (!icon)
    return false;
  RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT area;
  GetWindowRect(icon, &area);
  HDC screen = GetDC(nullptr);
  const std::vector<COLORREF> shown = Pixels(screen, area.left, area.top);
  ReleaseDC(nullptr, screen);
  const std::vector<COLORREF> onWhite = StopIcon(WHITENESS), onBlack = StopIcon(BLACKNESS);
  size_t opaque = 0;
  for (size_t i = 0; i < shown.size(); ++i) {
    if (onWhite[i] != onBlack[i])
      continue;
    ++opaque;
    if (shown[i] != onWhite[i])
      return false;
  }
  return opaque > 100;
}

std::string EnvironmentBlock(const std::map<std::string, std::string>& changes) {
  std::map<std::string, std::string> all;
  char* block = GetEnvironmentStringsA();
  for (const char* at = block; *at; at += std::strlen(at) + 1) {
    std::string entry = at;
    const size_t equals = entry.find('=', 1);
    if (equals != std::string::npos)
      all[entry.substr(0, equals)] = entry.substr(equals + 1);
  }
  FreeEnvironmentStringsA(block);
  for (const auto& [name, value] : changes) {
    for (auto at = all.begin(); at != all.end();) // names match without regard to case
      at = _stricmp(at->first.c_str(), name.c_str()) == 0 ? all.erase(at) : std::next(at);
    if (!value.empty())
      all[name] = value;
  }
  std::string out;
  for (const auto& [name, value] : all)
    out += name + "=" + value + '\0';
  return out + '\0';
}

std::map<std::string, std::string> ReadReport(const std::string& path) {
  std::map<std::string, std::string> report;
  Bytes bytes = ReadFile(path);
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    const size_t equals = line.find('=');
    if (equals == std::string::npos)
      continue;
    std::string& value = report[line.substr(0, equals)];
    value += (value.empty() ? "" : "|") + line.substr(equals + 1);
  }
  return report;
}

} // namespace

RunResult RunPackage(const std::string& setup, const RunOptions& options) {
  const fs::path dir = fs::path(setup).parent_path();
  const std::string temp = (dir / "temp").string();
  fs::create_directories(temp);
  const std::string reportPath = (dir / "probe-report.txt").string();
  fs::remove(reportPath);
  std::map<std::string, std::string> environment = {
      {"TEMP", temp}, {"TMP", temp}, {"PROBE_REPORT", reportPath},
      {"PROBE_ACTION", options.probeAction}};
  for (const auto& [name, value] : options.environment)
    environment[name] = value;
  std::string block = EnvironmentBlock(environment);

  std::string commandLine = "\"" + setup + "\"";
  if (!options.arguments.empty())
    commandLine += " " + options.arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  RunResult result;
  if (!CreateProcessA(setup.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                      block.data(), dir.string().c_str(), &startup, &process)) {
    ADD_FAILURE() << "cannot start " << setup << ": " << GetLastError();
    return result;
  }
  std::set<HWND> handled;
  const DWORD started = GetTickCount();
  for (int waited = 0; waited < 60000; waited += 50) {
    if (WaitForSingleObject(process.hProcess, 50) != WAIT_TIMEOUT)
      break;
    Windows windows{process.dwProcessId, {}};
    EnumWindows(Collect, LPARAM(&windows));
    for (HWND window : windows.found) {
      if (handled.count(window))
        continue;
      if (IsMessageBox(window)) {
        handled.insert(window);
        result.boxes.push_back({Text(window), Text(GetDlgItem(window, 0xFFFF)),
                                HasErrorIcon(window), GetWindow(window, GW_OWNER) != nullptr});
        PostMessageA(window, WM_COMMAND, IDOK, 0);
      } else if (IsLanguageDialog(window)) {
        handled.insert(window);
        result.languageDialogSeen = true;
        if (options.onLanguageDialog)
          options.onLanguageDialog(window);
      } else if (GetDlgItem(window, 102)) {
        handled.insert(window);
        result.progressSeen = true;
        if (options.onDialog)
          options.onDialog(window);
      }
    }
  }
  if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
    ADD_FAILURE() << "the bootstrap did not end within a minute";
    TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, 5000);
  }
  result.milliseconds = GetTickCount() - started;
  GetExitCodeProcess(process.hProcess, &result.exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  result.report = ReadReport(reportPath);
  return result;
}

std::vector<std::string> Leftovers(const std::string& dir) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(dir))
    found.push_back(fs::relative(entry.path(), dir).string());
  return found;
}

void SaveScreenshot(HWND window, const std::string& path) {
  RECT area;
  GetWindowRect(window, &area);
  const int width = area.right - area.left, height = area.bottom - area.top;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ kept = SelectObject(dc, bitmap);
  BitBlt(dc, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = DWORD((width * 3 + 3) & ~3), size = stride * DWORD(height);
  BITMAPFILEHEADER file{0x4D42, DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + size),
                        0, 0, DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
  Bytes out(reinterpret_cast<const uint8_t*>(&file),
            reinterpret_cast<const uint8_t*>(&file) + sizeof file);
  const auto* header = reinterpret_cast<const uint8_t*>(&info.bmiHeader);
  out.insert(out.end(), header, header + sizeof(BITMAPINFOHEADER));
  out.insert(out.end(), static_cast<uint8_t*>(bits), static_cast<uint8_t*>(bits) + size);
  WriteFile(path, out);
  SelectObject(dc, kept);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

// Another process's list box answers the text queries only in their W form.
std::vector<std::string> ListItems(HWND dialog) {
  HWND list = GetDlgItem(dialog, 101);
  DWORD_PTR count = 0;
  SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
  std::vector<std::string> items;
  for (DWORD_PTR i = 0; i < count; ++i) {
    wchar_t text[512] = L"";
    DWORD_PTR length = 0;
    SendMessageTimeoutW(list, LB_GETTEXT, i, LPARAM(text), SMTO_ABORTIFHUNG, 2000, &length);
    char narrow[1024] = "";
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    items.push_back(narrow);
  }
  return items;
}

int SelectedItem(HWND dialog) {
  DWORD_PTR index = 0;
  SendMessageTimeoutW(GetDlgItem(dialog, 101), LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &index);
  return int(LRESULT(index));
}

void SelectItem(HWND dialog, const std::string& text) {
  const std::vector<std::string> items = ListItems(dialog);
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i] == text) {
      DWORD_PTR result = 0;
      SendMessageTimeoutW(GetDlgItem(dialog, 101), LB_SETCURSEL, i, 0, SMTO_ABORTIFHUNG, 2000,
                          &result);
      return;
    }
  ADD_FAILURE() << "no item " << text;
}

void Press(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)));
}

void DoubleClickSelected(HWND dialog) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(101, LBN_DBLCLK), LPARAM(GetDlgItem(dialog, 101)));
}

// The modal loop turns Esc on a control into Cancel.
void PressEscape(HWND dialog) {
  PostMessageA(GetDlgItem(dialog, 101), WM_KEYDOWN, VK_ESCAPE, 0);
}

void CloseBox(HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }
