// The window's scale on high-DPI screens: Windows' dots per inch for the monitor the window
// is on, 96 at 100 %. At 96 the window has exactly its table's geometry; at other DPIs every
// rectangle is scaled by dpi / 96 and the font keeps its point size.
#pragma once

#include <windows.h>

namespace peltrix::win32 {

constexpr int kBaseDpi = 96;

// The window's DPI (per monitor where Windows tells it, else the screen's).
int windowDpi(HWND window);

constexpr int scaled(int value, int dpi) {
  return static_cast<int>((static_cast<long long>(value) * dpi + kBaseDpi / 2) / kBaseDpi);
}

// A rectangle of the table (at 96 DPI), scaled.
RECT scaledRect(int x, int y, int width, int height, int dpi);

// The outer size of a window whose client area below its menu bar is `client`.
SIZE outerSizeForDpi(SIZE client, DWORD style, int dpi);

// The dialog font (the stock GUI font's face) at its point size for `dpi`, one pixel smaller
// at a time while `fits` says a label would not fit (text does not grow exactly in
// proportion); the stock font itself at 96. The caller deletes a font that is not the stock
// one.
HFONT dialogFontForDpi(int dpi, bool (*fits)(HFONT font, int dpi));

// The whole factor a width x height picture is shown at in a box: the largest that fits,
// at least 1, so its pixels stay sharp squares.
int wholeFactor(int boxWidth, int boxHeight, int width, int height);

}  // namespace peltrix::win32
