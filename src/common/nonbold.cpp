#include "nonbold.h"

#include <cstdlib>

namespace {

// Made by the first dialog that has a font, then shared for the whole run.
HFONT normalFont = nullptr;
HFONT headingFont = nullptr;
// Filled from the dialog's font, then changed in place for the heading: the
// heading keeps every field it does not set.
LOGFONTA description{};

[[maybe_unused]] const bool deletedAtExit = std::atexit(DeleteDialogFonts) == 0;

bool IsStatic(HWND control) {
  char name[33] = "";
  GetClassNameA(control, name, sizeof name);
  return lstrcmpiA(name, "static") == 0;
}

} // namespace

int ApplyDialogFonts(HWND dialog) {
  if (!IsWindow(dialog))
    return 0;
  if (!normalFont) {
    auto own = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    if (own && GetObjectA(own, sizeof description, &description)) {
      description.lfWeight = FW_NORMAL;
      normalFont = CreateFontIndirectA(&description);
    }
  }
  if (!headingFont) {
    description.lfWeight = FW_NORMAL;
    description.lfHeight = -18;
    description.lfWidth = 0;
    description.lfUnderline = FALSE;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfPitchAndFamily = 0;
    lstrcpynA(description.lfFaceName, "Arial", LF_FACESIZE);
    headingFont = CreateFontIndirectA(&description);
  }
  if (!normalFont)
    return 0;

  SendMessageA(dialog, WM_SETFONT, WPARAM(normalFont), FALSE);
  const bool version4 = LOBYTE(LOWORD(GetVersion())) >= 4;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(child);
    // Only left-aligned texts: a centred, right-aligned or icon static is
    // someone else's business.
    if ((id == 501 || id == 502) && IsStatic(child) && (GetWindowLongA(child, GWL_STYLE) & 3) == 0) {
      const bool show = (id == 501) == version4;
      ShowWindow(child, show ? SW_SHOW : SW_HIDE);
      UpdateWindow(child);
    }
    SendMessageA(child, WM_SETFONT, WPARAM(normalFont), FALSE);
    if (id == 503 && IsStatic(child)) {
      SendMessageA(child, WM_SETFONT, WPARAM(headingFont), FALSE);
      UpdateWindow(child);
    }
  }
  return 1;
}

void DeleteDialogFonts() {
  if (normalFont)
    DeleteObject(normalFont);
  if (headingFont)
    DeleteObject(headingFont);
  normalFont = headingFont = nullptr;
}
