#include "init.h"

#include "bootstrp.h"
#include "gauge.h"
#include "getopt.h"
#include "globals.h"
#include "handoff.h"
#include "langres.h"
#include "qar.h"
#include "workdir.h"

#include <cstdio>

int RunBootstrap(HINSTANCE instance, const char* userCommandLine, int argc,
                 const char* const* argv) {
  AppInstance = instance;
  char ownPath[260] = "";
  GetModuleFileNameA(AppInstance, ownPath, 259);

  if (!CreateWorkDirectory())
    return 0;
  const ScannedOptions options = ScanOptions(argc, argv);
  if (options.forced)
    LanguageId = options.languageId;
  QarInit();

  QarArchive* archive = QarOpen(ownPath, QAR_MODE_NOCREATE | QAR_MODE_READONLY, nullptr);
  if (!archive) {
    std::snprintf(MessageText, sizeof MessageText,
                  "INTERNAL ERROR B109-%u: Cannot decompress setup program.",
                  unsigned(QarGetLastError()));
    ShowError(nullptr, MessageText);
    return 0;
  }
  ReadLanguageSettings(archive);
  ResolveLanguageCode(options.forced);
  if (!options.forced && !OfferLanguageChoice(archive))
    return 0;
  if (!LoadChosenLanguageModule(archive))
    return 0;
  QarClose(archive);

  RegisterGaugeClass(AppInstance, "ORVBoot", "");
  BootstrapMessage = RegisterWindowMessageA("OrvelleBootstrap");
  ProgressWindow = LangCreateDialogParam(AppInstance, MAKEINTRESOURCEA(Wizard97 ? 4 : 1),
                                         nullptr, ProgressDialogProc, 0);
  ShowWindow(ProgressWindow, SW_SHOW);

  if (!ExtractSetupFiles(ownPath))
    return 0;
  WritePackageFile();
  StartSetupProgram(ownPath, userCommandLine);
  CleanUpWorkDirectory(WorkDir);
  return 1;
}

int TidyBootstrap() {
  QarExit();
  CleanUpWorkDirectory(WorkDir);
  return 1;
}
