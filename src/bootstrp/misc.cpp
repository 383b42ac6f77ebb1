#include "misc.h"

#include "gauge.h"
#include "globals.h"
#include "progress.h"
#include "qar.h"

// Every letter whose drive is present is examined. (Counting the drives and
// then examining that many letters from A on would pass over C: and D: on a
// machine without A: and B:.)
void ListDrives(char* removable, char* other) {
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
  int removables = 0, others = 0;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const char root[] = {letter, ':', '\\', '\0'};
    const UINT type = GetDriveTypeA(root);
    if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR)
      continue;
    if (type == DRIVE_REMOVABLE) {
      if (removable)
        removable[removables++] = letter;
    } else if (other) {
      other[others++] = letter;
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
