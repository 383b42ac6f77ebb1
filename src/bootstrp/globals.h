// The run-wide values of the bootstrap: owned by the main sequence for the
// whole run, read and written in place by the phases and the dialogs.
#pragma once

#include <windows.h>

#include <cstdint>

#include "language.h" // LanguageModule

extern HINSTANCE AppInstance;
extern char MessageText[512];   // message texts; scratch for paths
extern char MessageFormat[512]; // the start-failure format; the progress text
extern char WorkDir[260];       // the work directory, without a trailing backslash
extern bool WorkDirCreated;     // this run created WorkDir: only then is it cleaned
extern char LanguageCode[64];   // "%04X" of the chosen language's LCID
extern uint32_t LanguageId;
extern char LngFile[260];       // WorkDir\SETUP.LNG
extern int Wizard97;            // non-zero: the Wizard97 look
extern HWND ProgressWindow;
extern UINT BootstrapMessage;
extern uint32_t FilesDone;
extern uint32_t FilesTotal;
extern char PackageFile[260];   // WorkDir\SETUP.PKG once written

// Every message of the bootstrap: a modal box with the stop icon, captioned
// "Orvelle".
void ShowError(HWND owner, const char* text);
