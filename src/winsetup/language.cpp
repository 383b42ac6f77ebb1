#include "language.h"

#include "globals.h"

#include <cstdio>

HMODULE LanguageModule = nullptr;

namespace {

// The six USER32 functions, reached only through this table: the program
// links none of them directly, so that no call can reach its own resources.
struct BoundFunctions {
  decltype(&DialogBoxParamA) dialogBoxParam;
  decltype(&LoadBitmapA) loadBitmap;
  decltype(&LoadStringA) loadString;
  decltype(&CreateDialogParamA) createDialogParam;
  decltype(&LoadCursorA) loadCursor;
  decltype(&RegisterClassA) registerClass;
};
BoundFunctions bound;

template <typename Function> void Bind(HMODULE user32, const char* name, Function* slot) {
  *slot = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

// Whether the table is bound is told by its first entry alone.
const BoundFunctions& Bound() {
  if (!bound.dialogBoxParam) {
    HMODULE user32 = GetModuleHandleA("USER32.DLL");
    Bind(user32, "DialogBoxParamA", &bound.dialogBoxParam);
    Bind(user32, "LoadBitmapA", &bound.loadBitmap);
    Bind(user32, "LoadStringA", &bound.loadString);
    Bind(user32, "CreateDialogParamA", &bound.createDialogParam);
    Bind(user32, "LoadCursorA", &bound.loadCursor);
    Bind(user32, "RegisterClassA", &bound.registerClass);
  }
  return bound;
}

bool Loaded(HMODULE module) { return reinterpret_cast<UINT_PTR>(module) > 32; }

} // namespace

INT_PTR LangDialogBoxParam(HINSTANCE, LPCSTR name, HWND owner, DLGPROC procedure,
                           LPARAM parameter) {
  return Bound().dialogBoxParam(LanguageModule, name, owner, procedure, parameter);
}

HWND LangCreateDialogParam(HINSTANCE, LPCSTR name, HWND owner, DLGPROC procedure,
                           LPARAM parameter) {
  return Bound().createDialogParam(LanguageModule, name, owner, procedure, parameter);
}

int LangLoadString(HINSTANCE, UINT id, LPSTR buffer, int size) {
  return Bound().loadString(LanguageModule, id, buffer, size);
}

HBITMAP LangLoadBitmap(HINSTANCE, LPCSTR name) { return Bound().loadBitmap(LanguageModule, name); }

HCURSOR LangLoadCursor(HINSTANCE, LPCSTR name) { return Bound().loadCursor(LanguageModule, name); }

ATOM LangRegisterClass(WNDCLASSA* windowClass) {
  const BoundFunctions& functions = Bound();
  windowClass->style |= CS_GLOBALCLASS;
  windowClass->hInstance = LanguageModule;
  return functions.registerClass(windowClass);
}

bool LoadLanguageModule(const char* fileName) {
  std::snprintf(MessageText, sizeof MessageText, "%s\\%s", WorkDir, fileName);
  LanguageModule = LoadLibraryA(MessageText);
  return Loaded(LanguageModule);
}

int FreeLanguageModule() {
  bound = BoundFunctions{};
  if (Loaded(LanguageModule))
    FreeLibrary(LanguageModule);
  LanguageModule = nullptr;
  return 1;
}
