// Drive lists, the message pump and the extraction progress callback.
#pragma once

#include <windows.h>

#include <cstdint>

// Letters of the drives present, by type: removable drives into the first
// list, all others into the second; either may be null. Each list holds 32
// bytes.
void ListDrives(char* removable, char* other);

// Dispatches the messages waiting for the thread. A quit request is handed
// back to the thread and ends the pump, not the program.
void PumpMessages();

// The bootstrap's progress callback: moves the gauge of the progress dialog;
// refuses a next volume.
int ExtractProgressCallback(int kind, void* record, uint32_t callbackData);
