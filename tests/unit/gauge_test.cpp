// The gauge control painted on screen: the worked example of a 100 by 14
// gauge at 37 of 0 to 100.
#include "gauge.h"

#include <gtest/gtest.h>

namespace {

// The colour of the screen pixel at a point of the window's client area.
COLORREF At(HWND window, int x, int y) {
  POINT point = {x, y};
  ClientToScreen(window, &point);
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, point.x, point.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

} // namespace

TEST(Gauge, PaintsTheFilledFractionInsideItsFrame) {
  if (GetSystemMetrics(SM_CXBORDER) != 1 || GetSystemMetrics(SM_CYBORDER) != 1)
    GTEST_SKIP() << "the example is drawn for one-pixel borders";
  ASSERT_TRUE(RegisterGaugeClass(GetModuleHandleA(nullptr), "Test", ""));
  HWND window = CreateWindowExA(WS_EX_TOPMOST, "TestGauge", "", WS_POPUP | WS_VISIBLE, 40, 40,
                                100, 14, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  SendMessageA(window, GM_SETRANGE, 0, MAKELPARAM(0, 100));
  SendMessageA(window, GM_SETPOS, 37, 0);
  UpdateWindow(window);

  const COLORREF bar = GetSysColor(COLOR_HIGHLIGHT), face = GetSysColor(COLOR_BTNFACE);
  // The inner rectangle is [2, 98) × [2, 12); the bar [2, 37).
  EXPECT_EQ(At(window, 2, 6), bar);
  EXPECT_EQ(At(window, 36, 6), bar);
  EXPECT_EQ(At(window, 37, 6), face);
  EXPECT_EQ(At(window, 97, 6), face);
  EXPECT_EQ(At(window, 0, 0), GetSysColor(COLOR_BTNSHADOW));     // the sunken edge
  EXPECT_EQ(At(window, 99, 13), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(At(window, 1, 6), face);                              // the ring

  // Past the maximum, and an empty range: a full bar, an empty one; no fault.
  SendMessageA(window, GM_SETPOS, 250, 0);
  UpdateWindow(window);
  EXPECT_EQ(At(window, 97, 6), bar);
  SendMessageA(window, GM_SETRANGE, 0, MAKELPARAM(50, 50));
  SendMessageA(window, GM_SETPOS, 60, 0);
  UpdateWindow(window);
  EXPECT_EQ(At(window, 2, 6), face);

  DestroyWindow(window);
  EXPECT_TRUE(UnregisterGaugeClass());
}
