// The language selection dialog: every language of the table by its display
// name, the resolved one preselected; in the Wizard97 look a white panel with
// the module's picture.
#pragma once

#include <windows.h>

// Shows the dialog from the language module and returns its result: IDOK to
// go on with LanguageCode as the dialog rewrote it, IDCANCEL to stop, anything
// else when it could not be shown (GetLastError tells why).
INT_PTR ShowLanguageDialog();

INT_PTR CALLBACK LanguageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The screen's pixels per inch over 96, once per process.
void ComputeScreenScale();
