#include "langres.h"

#include "globals.h"
#include "lngsel.h"
#include "textfmt.h"

#include <cstdio>
#include <cstring>

namespace {

char Candidate[32];

// The candidate counts as listed when section Language gives it a non-empty
// display name.
bool LookUp() {
  char display[256];
  return GetPrivateProfileStringA("Language", Candidate, "", display, sizeof display, LngFile) > 0;
}

void SetCandidate(uint32_t id) { std::snprintf(Candidate, sizeof Candidate, "%04X", unsigned(id)); }

void ShowLibraryError(const char* format, const char* name = "") {
  std::snprintf(MessageText, sizeof MessageText, format, unsigned(QarGetLastError()), name);
  ShowError(ProgressWindow, MessageText);
}

} // namespace

void ReadLanguageSettings(QarArchive* archive) {
  if (!QarExtract(archive, "SETUP.LNG", WorkDir, nullptr))
    ShowLibraryError("INTERNAL ERROR B118-%u: Cannot decompress SETUP.LNG.");
  std::snprintf(LngFile, sizeof LngFile, "%s\\SETUP.LNG", WorkDir);
  Wizard97 = int(GetPrivateProfileIntA("Setup", "Wizard97", 0, LngFile));
}

void ResolveLanguageCode(bool forced) {
  uint32_t defaultLanguage = 0;
  if (!forced) {
    char text[256];
    GetPrivateProfileStringA("Setup", "Default Language", "", text, sizeof text, LngFile);
    ScanHex4(text, &defaultLanguage);
    LanguageId = GetUserDefaultLCID();
  }
  SetCandidate(LanguageId);
  bool found = LookUp();
  // Retry with the primary language alone, for sublanguages beyond the first.
  if (!found && LanguageId != defaultLanguage && ((LanguageId >> 8) & 0xFB) != 0) {
    LanguageId &= 0x4FF;
    SetCandidate(LanguageId);
    found = LookUp();
  }
  if (!found) {
    LanguageId = defaultLanguage;
    if (defaultLanguage)
      SetCandidate(defaultLanguage);
    else // the table's first key
      GetPrivateProfileStringA("Language", nullptr, "", Candidate, sizeof Candidate, LngFile);
    LookUp();
  }
  std::snprintf(LanguageCode, sizeof LanguageCode, "%s", Candidate);
}

bool OfferLanguageChoice(QarArchive* archive) {
  char module[260];
  std::snprintf(module, sizeof module, "BOOT%s.DLL", LanguageCode);
  if (!QarExtract(archive, module, WorkDir, nullptr)) {
    ShowLibraryError("INTERNAL ERROR B110-%u: Cannot decompress %s.", module);
    std::snprintf(module, sizeof module, "BOOTLNG.DLL");
    if (!QarExtract(archive, module, WorkDir, nullptr))
      ShowLibraryError("INTERNAL ERROR B110-%u: Cannot decompress BOOTLNG.DLL.");
  }
  if (!LoadLanguageModule(module)) {
    ShowError(ProgressWindow, "INTERNAL ERROR B112: Cannot load BOOTLNG.DLL.");
    return false;
  }

  char keys[1024];
  GetPrivateProfileStringA("Language", nullptr, "", keys, sizeof keys, LngFile);
  if (keys[0] && keys[std::strlen(keys) + 1]) {
    const INT_PTR result = ShowLanguageDialog();
    if (result == IDCANCEL)
      return false;
    if (result != IDOK) {
      std::snprintf(MessageText, sizeof MessageText,
                    "INTERNAL ERROR B119-%u: Cannot Display Language Selection.",
                    unsigned(GetLastError()));
      ShowError(nullptr, MessageText);
      return false;
    }
  }
  FreeLanguageModule();
  std::snprintf(MessageText, sizeof MessageText, "%s\\%s", WorkDir, module);
  DeleteFileA(MessageText);
  return true;
}

bool LoadChosenLanguageModule(QarArchive* archive) {
  char module[260];
  std::snprintf(module, sizeof module, "BOOT%s.DLL", LanguageCode);
  if (!QarExtract(archive, module, WorkDir, nullptr)) {
    ShowLibraryError("INTERNAL ERROR B110-%u: Cannot decompress %s.", module);
    return false;
  }
  if (!LoadLanguageModule(module)) {
    ShowLibraryError("INTERNAL ERROR B112-%u: Cannot load %s.", module);
    return false;
  }
  return true;
}
