#include "gauge.h"

#include "language.h"

#include <cstdio>
#include <new>

namespace {

struct GaugeRecord {
  uint32_t minimum = 0;
  uint32_t maximum = 100;
  uint32_t step = 1;
  uint32_t position = 0;
  uint32_t frameWidth = uint32_t(GetSystemMetrics(SM_CXBORDER));
  uint8_t horizontal = 1;
  uint32_t blockLength = 0;
  uint32_t blockFill = 0;
  COLORREF barColour = GetSysColor(COLOR_HIGHLIGHT);
};

constexpr char kProperty[] = "GaugeData";

char className[64];

// The cursor is asked for before the entry point runs, through the binding:
// no module is loaded then, so it is the system's arrow.
WNDCLASSA gaugeClass = {CS_BYTEALIGNWINDOW | CS_SAVEBITS, GaugeWndProc, 0, 0, nullptr, nullptr,
                        LangLoadCursor(nullptr, IDC_ARROW), nullptr, nullptr, className};

void Fill(HDC dc, int left, int top, int right, int bottom, HBRUSH brush) {
  RECT area = {left, top, right, bottom};
  FillRect(dc, &area, brush);
}

void GaugePaintBar(HDC dc, const GaugeRecord& gauge, const RECT& inner) {
  HBRUSH bar = CreateSolidBrush(gauge.barColour);
  HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  const uint32_t span = inner.right > inner.left ? uint32_t(inner.right - inner.left) : 0;
  const int x = inner.left + int(GaugeBarLength(gauge.minimum, gauge.maximum, gauge.position, span));
  Fill(dc, x, inner.top, inner.right, inner.bottom, face);
  Fill(dc, inner.left, inner.top, x, inner.bottom, bar);
  DeleteObject(bar);
  DeleteObject(face);
}

void GaugePaintFrame(HDC dc, const GaugeRecord& gauge, int width, int height) {
  const int bx = GetSystemMetrics(SM_CXBORDER), by = GetSystemMetrics(SM_CYBORDER);
  HBRUSH shadow = CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW));
  HBRUSH light = CreateSolidBrush(GetSysColor(COLOR_BTNHIGHLIGHT));
  HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  HGDIOBJ kept = SelectObject(dc, shadow);
  PatBlt(dc, 0, 0, width, by, PATCOPY);
  PatBlt(dc, 0, by, bx, height - by, PATCOPY);
  SelectObject(dc, light);
  PatBlt(dc, bx, height - by, width - bx, by, PATCOPY);
  PatBlt(dc, width - bx, by, bx, height - 2 * by, PATCOPY);
  RECT ring = {bx, by, width - bx, height - by};
  for (uint32_t i = 0; i < gauge.frameWidth; ++i) {
    FrameRect(dc, &ring, face);
    InflateRect(&ring, -1, -1);
  }
  SelectObject(dc, kept);
  DeleteObject(shadow);
  DeleteObject(light);
  DeleteObject(face);
}

void Paint(HWND window, const GaugeRecord& gauge) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  const int bx = GetSystemMetrics(SM_CXBORDER), by = GetSystemMetrics(SM_CYBORDER);
  const int f = int(gauge.frameWidth);
  const RECT inner = {bx + f, by + f, client.right - bx - f, client.bottom - by - f};
  GaugePaintBar(dc, gauge, inner);
  GaugePaintFrame(dc, gauge, client.right, client.bottom);
  EndPaint(window, &paint);
}

} // namespace

bool RegisterGaugeClass(HINSTANCE instance, const char* prefix, const char* suffix) {
  gaugeClass.hInstance = instance;
  std::snprintf(className, sizeof className, "%sGauge%s", prefix, suffix);
  return LangRegisterClass(&gaugeClass) != 0;
}

bool UnregisterGaugeClass() { return UnregisterClassA(className, gaugeClass.hInstance) != 0; }

LRESULT CALLBACK GaugeWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* gauge = static_cast<GaugeRecord*>(GetPropA(window, kProperty));
  switch (message) {
  case WM_NCCREATE:
    gauge = new (std::nothrow) GaugeRecord;
    if (!gauge)
      return FALSE;
    SetPropA(window, kProperty, gauge);
    break;
  case WM_NCDESTROY:
    delete gauge;
    RemovePropA(window, kProperty);
    return 0;
  case WM_ERASEBKGND:
    return 1;
  }
  if (gauge) {
    switch (message) {
    case WM_PAINT:
      Paint(window, *gauge);
      return 0;
    case GM_REDRAW:
      InvalidateRect(window, nullptr, TRUE);
      UpdateWindow(window);
      return 0;
    case GM_SETRANGE:
      gauge->minimum = LOWORD(lParam);
      gauge->maximum = HIWORD(lParam);
      return 0;
    case GM_SETPOS:
      gauge->position = uint32_t(wParam);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case GM_DELTAPOS:
      gauge->position += uint32_t(wParam);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case GM_SETSTEP:
      gauge->step = uint32_t(wParam);
      return 0;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
