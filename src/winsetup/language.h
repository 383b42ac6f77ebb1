// The language module: the resource library of one language from which
// every dialog, text and picture of the bootstrap comes. Window-system
// resource calls are bound to it: callers pass the program's own instance
// handle, and the call is served from the loaded module instead.
#pragma once

#include <windows.h>

// The loaded module; null while none is loaded.
extern HMODULE LanguageModule;

INT_PTR LangDialogBoxParam(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC procedure,
                           LPARAM parameter);
HWND LangCreateDialogParam(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC procedure,
                           LPARAM parameter);
int LangLoadString(HINSTANCE instance, UINT id, LPSTR buffer, int size);
HBITMAP LangLoadBitmap(HINSTANCE instance, LPCSTR name);
HCURSOR LangLoadCursor(HINSTANCE instance, LPCSTR name);
// Makes the class global and owned by the module (the caller's record keeps
// both changes), then registers it.
ATOM LangRegisterClass(WNDCLASSA* windowClass);

// Loads "<work directory>\<file name>" as the language module; true when it
// could be loaded.
bool LoadLanguageModule(const char* fileName);
// Releases the module, if any, and empties the bound-function table so that
// the next bound call binds afresh.
int FreeLanguageModule();
