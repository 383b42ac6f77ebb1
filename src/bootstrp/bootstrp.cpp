#include "bootstrp.h"

#include "gauge.h"
#include "globals.h"
#include "handoff.h"
#include "textfmt.h"

#include <algorithm>
#include <string>

void ComposeProgressText(char* out, size_t size, const char* templateText,
                         const char* productName) {
  std::string name = productName;
  if (!name.empty())
    name += ' ';
  // Shorten the name until the text fits: the sentence around it stays whole.
  std::string text = FormatText(templateText, name.c_str());
  while (text.size() >= size && !name.empty()) {
    name.resize(name.size() - std::min(name.size(), text.size() - size + 1));
    text = FormatText(templateText, name.c_str());
  }
  CopyText(out, size, text.c_str());
}

void CentreDialog(HWND dialog) {
  RECT area;
  GetWindowRect(dialog, &area);
  const int width = area.right - area.left, height = area.bottom - area.top;
  const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2;
  const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2;
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
}

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == BootstrapMessage && BootstrapMessage != 0) {
    if (wParam == 1)
      ShowWindow(dialog, SW_HIDE);
    return TRUE;
  }
  switch (message) {
  case WM_INITDIALOG: {
    GetDlgItemTextA(dialog, 101, MessageText, 256);
    char product[512] = "";
    GetPrivateProfileStringA("Setup", "ProductName", "", product, sizeof product, LngFile);
    ComposeProgressText(MessageFormat, sizeof MessageFormat, MessageText, product);
    SetDlgItemTextA(dialog, 101, MessageFormat);
    SendDlgItemMessageA(dialog, 102, GM_SETRANGE, 0, MAKELPARAM(0, 100));
    CentreDialog(dialog);
    return TRUE;
  }
  case WM_ENDSESSION:
    if (!wParam)
      return FALSE;
    CleanUpWorkDirectory(WorkDir);
    return TRUE;
  }
  return FALSE;
}
