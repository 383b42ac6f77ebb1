#include "lngsel.h"

#include "bootstrp.h"
#include "globals.h"
#include "handoff.h"
#include "nonbold.h"
#include "textfmt.h"

#include <cstdio>
#include <cstring>

namespace {

double scaleX = 0.0, scaleY = 0.0;
HBITMAP panelPicture = nullptr; // bitmap 1, scaled, from the first paint on

void FillList(HWND dialog) {
  char table[260], keys[1024], section[32], name[256];
  std::snprintf(table, sizeof table, "%s\\SETUP.LNG", WorkDir);
  GetPrivateProfileStringA("Language", nullptr, "", keys, sizeof keys, table);
  std::snprintf(section, sizeof section, "Language (%04lX)", static_cast<unsigned long>(LanguageId));
  SendDlgItemMessageA(dialog, 101, LB_SETCURSEL, WPARAM(-1), 0);
  uint32_t remembered = 0;
  bool matched = false;
  for (const char* key = keys; *key; key += std::strlen(key) + 1) {
    // The name as written in the current language, else as the table has it.
    if (!GetPrivateProfileStringA(section, key, "", name, sizeof name, table))
      GetPrivateProfileStringA("Language", key, "", name, sizeof name, table);
    if (!*name)
      continue;
    const LRESULT index = SendDlgItemMessageA(dialog, 101, LB_ADDSTRING, 0, LPARAM(name));
    uint32_t lcid = 0; // a key that is no hexadecimal number carries 0
    ScanHex4(key, &lcid);
    if (std::strcmp(key, LanguageCode) == 0) {
      SendDlgItemMessageA(dialog, 101, LB_SETCURSEL, WPARAM(index), 0);
      remembered = lcid;
      matched = true;
    }
    SendDlgItemMessageA(dialog, 101, LB_SETITEMDATA, WPARAM(index), LPARAM(lcid));
  }
  // A sorted list moves items after they are added: select by the LCID.
  // Without a match there is nothing to select (an item of a key that is no
  // number carries 0 too).
  const LRESULT count = matched ? SendDlgItemMessageA(dialog, 101, LB_GETCOUNT, 0, 0) : 0;
  for (LRESULT i = 0; i < count; ++i)
    if (uint32_t(SendDlgItemMessageA(dialog, 101, LB_GETITEMDATA, WPARAM(i), 0)) == remembered)
      SendDlgItemMessageA(dialog, 101, LB_SETCURSEL, WPARAM(i), 0);
}

// The panel's lower edge: the top of control 201 (the separator above the
// buttons); without one, the whole client area is panel.
int PanelBottom(HWND dialog, const RECT& client) {
  HWND separator = GetDlgItem(dialog, 201);
  if (!separator)
    return client.bottom;
  RECT area;
  GetWindowRect(separator, &area);
  POINT corner = {area.left, area.top};
  ScreenToClient(dialog, &corner);
  return corner.y;
}

// Bitmap 1 of the module, stretched by the screen scale and cut at the
// panel's bottom; null when the module has no picture.
HBITMAP MakePanelPicture(HDC paint, int panelBottom) {
  HBITMAP source = LangLoadBitmap(AppInstance, MAKEINTRESOURCEA(1));
  if (!source)
    return nullptr;
  BITMAP size{};
  GetObjectA(source, sizeof size, &size);
  const int width = int(size.bmWidth * scaleX), height = int(size.bmHeight * scaleY);
  HBITMAP picture = CreateCompatibleBitmap(paint, width, height < panelBottom ? height : panelBottom);
  HDC target = CreateCompatibleDC(paint), from = CreateCompatibleDC(paint);
  HGDIOBJ keptTarget = SelectObject(target, picture), keptFrom = SelectObject(from, source);
  SetStretchBltMode(target, HALFTONE);
  SetBrushOrgEx(target, 0, 0, nullptr);
  StretchBlt(target, 0, 0, width, height, from, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
  SelectObject(target, keptTarget);
  SelectObject(from, keptFrom);
  DeleteDC(target);
  DeleteDC(from);
  DeleteObject(source);
  return picture;
}

void PaintPanel(HWND dialog, HDC paint) {
  if (scaleX == 0.0)
    ComputeScreenScale();
  RECT client;
  GetClientRect(dialog, &client);
  const int panelBottom = PanelBottom(dialog, client);
  RECT panel = {0, 0, client.right, panelBottom};
  FillRect(paint, &panel, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  if (!panelPicture)
    panelPicture = MakePanelPicture(paint, panelBottom);
  RECT buttons = {0, panelBottom, client.right, client.bottom};
  FillRect(paint, &buttons, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  if (panelPicture) {
    BITMAP size{};
    GetObjectA(panelPicture, sizeof size, &size);
    HDC from = CreateCompatibleDC(paint);
    HGDIOBJ kept = SelectObject(from, panelPicture);
    BitBlt(paint, 0, 0, size.bmWidth, size.bmHeight, from, 0, 0, SRCCOPY);
    SelectObject(from, kept);
    DeleteDC(from);
  }
}

} // namespace

void ComputeScreenScale() {
  HDC screen = GetDC(nullptr);
  scaleX = GetDeviceCaps(screen, LOGPIXELSX) * (1.0 / 96);
  scaleY = GetDeviceCaps(screen, LOGPIXELSY) * (1.0 / 96);
  ReleaseDC(nullptr, screen);
}

INT_PTR ShowLanguageDialog() {
  return LangDialogBoxParam(AppInstance, MAKEINTRESOURCEA(Wizard97 ? 5 : 3), nullptr,
                            LanguageDialogProc, LPARAM(LanguageCode));
}

INT_PTR CALLBACK LanguageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
  case WM_INITDIALOG:
    ApplyDialogFonts(dialog);
    CentreDialog(dialog);
    FillList(dialog);
    return TRUE;
  case WM_COMMAND: {
    INT_PTR result;
    if (HIWORD(wParam) == 0) // a button
      result = LOWORD(wParam);
    else if (HIWORD(wParam) == LBN_DBLCLK)
      result = IDOK;
    else
      return FALSE;
    // The code is rewritten from the selection whatever the result, Cancel too.
    const LRESULT index = SendDlgItemMessageA(dialog, 101, LB_GETCURSEL, 0, 0);
    const LRESULT lcid = SendDlgItemMessageA(dialog, 101, LB_GETITEMDATA, WPARAM(index), 0);
    std::snprintf(LanguageCode, sizeof LanguageCode, "%04lX",
                  static_cast<unsigned long>(uint32_t(lcid)));
    EndDialog(dialog, result);
    return FALSE;
  }
  case WM_ERASEBKGND:
    if (!Wizard97)
      return FALSE;
    PaintPanel(dialog, reinterpret_cast<HDC>(wParam));
    return TRUE;
  case WM_CTLCOLORSTATIC:
    if (!Wizard97)
      return FALSE;
    SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
    SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
  case WM_DESTROY:
    if (panelPicture)
      DeleteObject(panelPicture);
    panelPicture = nullptr;
    return FALSE;
  case WM_ENDSESSION:
    if (!wParam)
      return FALSE;
    CleanUpWorkDirectory(WorkDir);
    return TRUE;
  }
  return FALSE;
}
