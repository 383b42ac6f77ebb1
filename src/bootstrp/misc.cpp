#include "misc.h"

#include "gauge.h"
#include "globals.h"
#include "progress.h"
#include "qar.h"

void ListDrives(char* removable, char* other) {
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
  int present = 0;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const char root[] = {letter, ':', '\\', '\0'};
    const UINT type = GetDriveTypeA(root);
    present += type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR;
  }
  int removables = 0, others = 0;
  // The first N letters, N the number of drives: with gaps among the
  // letters, later drives go unexamined.
  for (int i = 0; i < present; ++i) {
    const char root[] = {char('A' + i), ':', '\\', '\0'};
    const UINT type = GetDriveTypeA(root);
    if (type == DRIVE_UNKNOWN)
      continue;
    if (type == DRIVE_REMOVABLE) {
      if (removable)
        removable[removables++] = root[0];
    } else if (other) {
      other[others++] = root[0];
    }
  }
  if (removable)
    removable[removables] = '\0';
  if (other)
    other[others] = '\0';
  SetErrorMode(previous);
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(int(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

int ExtractProgressCallback(int kind, void* record, uint32_t) {
  if (kind != QAR_CALLBACK_PROGRESS)
    return 0;
  const auto* progress = static_cast<const QarProgress*>(record);
  const uint32_t position =
      ProgressPosition(FilesDone, FilesTotal, progress->done, progress->total);
  SendDlgItemMessageA(ProgressWindow, 102, GM_SETPOS, position, 0);
  UpdateWindow(GetDlgItem(ProgressWindow, 102));
  return 1;
}
