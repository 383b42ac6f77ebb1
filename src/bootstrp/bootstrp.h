// The progress dialog: the product's name and a gauge over the extraction.
#pragma once

#include <windows.h>

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Centres a dialog on the screen, as both of the bootstrap's dialogs open.
void CentreDialog(HWND dialog);

// The dialog's text: the template (a format with one %s) with the product
// name and a blank, or nothing, in place of the %s. The name is cut so that
// the whole text fits its buffer.
void ComposeProgressText(char* out, size_t size, const char* templateText,
                         const char* productName);
