#include "frontends/win32/dpi.hpp"

#include <algorithm>

namespace peltrix::win32 {

namespace {

// Newer than Windows 7: looked up, so that the program still starts there.
template <class Function>
Function user32Function(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

int windowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto perWindow = user32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  if (perWindow != nullptr && window != nullptr) {
    const UINT dpi = perWindow(window);
    if (dpi != 0) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kBaseDpi;
}

RECT scaledRect(int x, int y, int width, int height, int dpi) {
  const int left = scaled(x, dpi), top = scaled(y, dpi);
  // The far edges scaled too, so that neighbours that touch at 96 still touch.
  return {left, top, scaled(x + width, dpi), scaled(y + height, dpi)};
}

SIZE outerSizeForDpi(SIZE client, DWORD style, int dpi) {
  using AdjustForDpiFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = user32Function<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
  RECT r{0, 0, client.cx, client.cy};
  if (adjustForDpi == nullptr || !adjustForDpi(&r, style, TRUE, 0, static_cast<UINT>(dpi))) {
    AdjustWindowRectEx(&r, style, TRUE, 0);
  }
  return {r.right - r.left, r.bottom - r.top};
}

HFONT dialogFontForDpi(int dpi, bool (*fits)(HFONT font, int dpi)) {
  const auto stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (dpi == kBaseDpi) return stock;
  LOGFONTW font{};
  if (GetObjectW(stock, sizeof font, &font) == 0) return stock;
  const LONG base = font.lfHeight;  // negative: the character height in pixels at 96 dpi
  font.lfWidth = 0;
  for (LONG height = MulDiv(base, dpi, kBaseDpi);; height += height < 0 ? 1 : -1) {
    font.lfHeight = height;
    HFONT made = CreateFontIndirectW(&font);
    if (made == nullptr) return stock;
    if (height == base || fits(made, dpi)) return made;
    DeleteObject(made);
  }
}

int wholeFactor(int boxWidth, int boxHeight, int width, int height) {
  if (width <= 0 || height <= 0) return 1;
  return std::max(1, std::min(boxWidth / width, boxHeight / height));
}

}  // namespace peltrix::win32
