#include "globals.h"

HINSTANCE AppInstance = nullptr;
char MessageText[512];
char MessageFormat[512];
char WorkDir[260];
bool WorkDirCreated = false;
char LanguageCode[64];
uint32_t LanguageId = 0;
char LngFile[260];
int Wizard97 = 0;
HWND ProgressWindow = nullptr;
UINT BootstrapMessage = 0;
uint32_t FilesDone = 0;
uint32_t FilesTotal = 0;
char PackageFile[260];

void ShowError(HWND owner, const char* text) { MessageBoxA(owner, text, "Orvelle", MB_ICONERROR); }
