// The gauge: a solid horizontal progress bar in a sunken frame, a window
// class of its own that the language module's dialog templates name.
#pragma once

#include <cstdint>

// Length of the filled part of a bar of span units. An empty range or a
// position below the minimum shows an empty bar; a position beyond the
// maximum a full one.
inline uint32_t GaugeBarLength(uint32_t minimum, uint32_t maximum, uint32_t position,
                               uint32_t span) {
  if (maximum <= minimum || position <= minimum)
    return 0;
  uint64_t filled = uint64_t(position - minimum) * span / (maximum - minimum);
  return filled > span ? span : uint32_t(filled);
}

#ifdef _WIN32
#include <windows.h>

// The gauge's private messages.
enum : UINT {
  GM_REDRAW = WM_USER,
  GM_SETRANGE = WM_USER + 1, // lParam: low word minimum, high word maximum
  GM_SETPOS = WM_USER + 2,   // wParam: position
  GM_DELTAPOS = WM_USER + 3, // wParam: amount added
  GM_SETSTEP = WM_USER + 4,  // wParam: step
};

// Registers "<prefix>Gauge<suffix>" through the language module binding, so
// that the class belongs to the module whose templates use it.
bool RegisterGaugeClass(HINSTANCE instance, const char* prefix, const char* suffix);
bool UnregisterGaugeClass();
LRESULT CALLBACK GaugeWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
#endif
