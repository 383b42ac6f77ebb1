#include "handoff.h"

#include "gauge.h"
#include "globals.h"
#include "misc.h"
#include "qar.h"
#include "textfmt.h"

#include <cstdio>

namespace {

void ShowLibraryError(HWND owner, const char* format, const char* name = "") {
  char text[512];
  std::snprintf(text, sizeof text, format, unsigned(QarGetLastError()), name);
  ShowError(owner, text);
}

} // namespace

bool ExtractSetupFiles(const char* ownPath) {
  QarArchive* archive = QarOpen(ownPath, QAR_MODE_NOCREATE | QAR_MODE_READONLY,
                                ExtractProgressCallback);
  FilesTotal = 2;
  if (!archive) {
    ShowLibraryError(nullptr, "INTERNAL ERROR B113-%u: Cannot decompress setup program.");
    return false;
  }
  if (!QarExtract(archive, "KVSETUP.EXE", WorkDir, nullptr))
    ShowLibraryError(ProgressWindow, "INTERNAL ERROR B114-%u: Cannot decompress KVSETUP.EXE.");
  ++FilesDone;

  char entry[260], path[260];
  std::snprintf(entry, sizeof entry, "SETUP%s.DLL", LanguageCode);
  std::snprintf(path, sizeof path, "%s\\SETUPLNG.DLL", WorkDir);
  QarStream* stream = QarStreamOpen(path, "w+b");
  if (!stream || !QarExtract(archive, entry, nullptr, stream))
    ShowLibraryError(ProgressWindow, "INTERNAL ERROR B115-%u: Cannot decompress %s.", entry);
  if (stream)
    QarStreamClose(stream);
  ++FilesDone;
  QarClose(archive);
  return true;
}

void WritePackageFile() {
  HRSRC found = FindResourceA(AppInstance, MAKEINTRESOURCEA(3), MAKEINTRESOURCEA(260));
  const DWORD size = found ? SizeofResource(AppInstance, found) : 0;
  HGLOBAL loaded = found ? LoadResource(AppInstance, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  std::snprintf(PackageFile, sizeof PackageFile, "%s\\SETUP.PKG", WorkDir);
  HANDLE file = CreateFileA(PackageFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    if (bytes)
      WriteFile(file, bytes, size, &written, nullptr);
    CloseHandle(file);
  }
  if (loaded)
    FreeResource(loaded);
}

std::string SetupCommandLine(const char* programPath, const char* argumentFormat,
                             const char* ownPath, const char* userCommandLine) {
  std::string line = programPath;
  line += ' ';
  line += FormatText(argumentFormat, ownPath);
  if (*userCommandLine) {
    line += ' ';
    line += userCommandLine; // not a format: passed on as the user typed it
  }
  return line;
}

void StartSetupProgram(const char* ownPath, const char* userCommandLine) {
  char program[260], arguments[512], path[260];
  LangLoadString(AppInstance, 9, program, sizeof program);
  LangLoadString(AppInstance, 7, arguments, sizeof arguments);
  std::snprintf(path, sizeof path, "%s\\%s", WorkDir, program);
  std::string commandLine = SetupCommandLine(path, arguments, ownPath, userCommandLine);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (CreateProcessA(path, commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                     nullptr, nullptr, &startup, &process)) {
    while (WaitForSingleObject(process.hProcess, 250) == WAIT_TIMEOUT)
      PumpMessages();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return;
  }
  const DWORD error = GetLastError();
  LangLoadString(AppInstance, 5, MessageFormat, sizeof MessageFormat);
  FormatText(MessageText, sizeof MessageText, MessageFormat, commandLine.c_str(), int32_t(error));
  MessageBoxA(nullptr, MessageText, nullptr, MB_ICONERROR);
}

void CleanUpWorkDirectory(const char* directory) {
  DestroyWindow(ProgressWindow);
  UnregisterGaugeClass();
  FreeLanguageModule();
  // Only the directory this run made is emptied: after a failed creation the
  // name may be another run's.
  if (!WorkDirCreated)
    return;
  static const char* const files[] = {"KVSETUP.EXE", "SETUPLNG.DLL", "BOOTLNG.DLL", nullptr,
                                      "SETUP.INF",   "SETUPC.DLL",   "SETUP.LNG"};
  for (const char* file : files) {
    if (file)
      std::snprintf(MessageText, sizeof MessageText, "%s\\%s", directory, file);
    else
      std::snprintf(MessageText, sizeof MessageText, "%s\\BOOT%s.DLL", directory, LanguageCode);
    DeleteFileA(MessageText);
  }
  DeleteFileA(PackageFile);
  // Once gone, the name may be taken by another run: later passes leave it.
  if (RemoveDirectoryA(directory))
    WorkDirCreated = false;
}
