// The fonts of the language dialog: every control in a normal-weight copy of
// the dialog's own font, the heading (control 503) in an 18-pixel Arial, and
// one of two alternative texts (501, 502) shown by the Windows version.
#pragma once

#include <windows.h>

// 1 when the fonts were applied; 0 when the handle is not a window or the
// dialog has no font of its own to copy (the heading font is made anyway).
int ApplyDialogFonts(HWND dialog);
// Deletes both fonts; runs by itself when the program exits.
void DeleteDialogFonts();
