#include "frontends/win32/main_window.hpp"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "colour/geometry.hpp"
#include "core/commands.hpp"
#include "core/result_views.hpp"
#include "frontends/win32/banner.hpp"
#include "frontends/win32/dpi.hpp"
#include "frontends/win32/resource_ids.h"
#include "frontends/win32/window_parts.hpp"
#include "frontends/window/window_commands.hpp"
#include "output/flicker_picture.hpp"
#include "platform/text_windows.hpp"

namespace peltrix::win32 {

const wchar_t* const kMainWindowClass = L"PeltrixConverterWindow";

namespace {

// Caption, system menu, close box and sizing border; no minimise or maximise box.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE;

[[noreturn]] void failWithLastError(const char* what) {
  throw std::runtime_error(std::string(what) + ": " + systemMessage(GetLastError()));
}

DibPicture* pictureOf(MainWindow& main, ControlId view) {
  switch (view) {
    case kSourceView:
      return &main.sourcePicture;
    case kBlendView:
      return &main.blendPicture;
    case kFrame1View:
      return &main.framePictures[0];
    case kFrame2View:
      return &main.framePictures[1];
    case kFrame3View:
      return &main.framePictures[2];
    case kBannerView:
      return &main.bannerPicture;
    default:
      return static_cast<int>(view) == kFlickerScaleId ? &main.flickerScalePicture : nullptr;
  }
}

HWND addChild(MainWindow& main, DWORD exStyle, const wchar_t* windowClass, const char* text,
              DWORD style, int id) {
  HWND child = CreateWindowExW(
      exStyle, windowClass, toUtf16(text).c_str(), kChildStyle | style, 0, 0, 0, 0, main.window,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), main.instance, nullptr);
  if (child == nullptr) failWithLastError("cannot create a control of the main window");
  return child;
}

void place(HWND child, const RECT& r) {
  SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// Moves and sizes `child` so that its client area, inside its border, covers exactly the
// given rectangle of the parent's client area: the whole picture stays visible and the
// border lies just outside it.
void fitClientArea(HWND child, const RECT& r) {
  RECT outer, inner;
  GetWindowRect(child, &outer);
  GetClientRect(child, &inner);
  POINT origin{0, 0};
  ClientToScreen(child, &origin);
  const int left = origin.x - outer.left, top = origin.y - outer.top;
  const int right = (outer.right - outer.left) - inner.right - left;
  const int bottom = (outer.bottom - outer.top) - inner.bottom - top;
  SetWindowPos(child, nullptr, r.left - left, r.top - top, r.right - r.left + left + right,
               r.bottom - r.top + top + bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The spin: an up-down control holding the level 0..3, with a read-only edit as its buddy
// that shows the level as text, the two side by side in the spin's box. The up-down does
// not write the text (no UDS_SETBUDDYINT): the program sets it on every change.
HWND addSpin(MainWindow& main, const ControlSpec& spec) {
  main.ditherText =
      addChild(main, WS_EX_CLIENTEDGE, L"EDIT", "", ES_READONLY | ES_CENTER, kDitherTextId);
  HWND spin = addChild(main, 0, UPDOWN_CLASSW, "", UDS_ARROWKEYS | UDS_NOTHOUSANDS, spec.id);
  SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(main.ditherText), 0);
  SendMessageW(spin, UDM_SETRANGE32, 0, kDitherMaximum);
  return spin;
}

void placeSpin(MainWindow& main, const RECT& r) {
  HWND spin = main.controls[kDitherSpin];
  const int width = r.right - r.left, height = r.bottom - r.top;
  const int arrowsWidth = std::min(GetSystemMetrics(SM_CXVSCROLL) * main.dpi / kBaseDpi, width / 2);
  place(spin, {r.right - arrowsWidth, r.top, r.right, r.bottom});
  // The up-down may insist on a width of its own; the text then takes what is left.
  RECT arrows;
  GetWindowRect(spin, &arrows);
  const int taken = arrows.right - arrows.left;
  SetWindowPos(spin, nullptr, r.right - taken, r.top, taken, height, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(main.ditherText, nullptr, r.left, r.top, width - taken, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND addControl(MainWindow& main, const ControlSpec& spec) {
  switch (spec.kind) {
    case ControlKind::SunkenPictureView:
      // Drawn by the window (WM_DRAWITEM): the picture at a whole factor, centred on black.
      return addChild(main, 0, L"STATIC", "", SS_OWNERDRAW | SS_SUNKEN, spec.id);
    case ControlKind::PictureView:
      return addChild(main, 0, L"STATIC", "", SS_OWNERDRAW, spec.id);
    case ControlKind::ProgressBar: {
      HWND bar = addChild(main, 0, PROGRESS_CLASSW, "", 0, spec.id);
      SendMessageW(bar, PBM_SETRANGE32, 0, kProgressMaximum);
      return bar;
    }
    case ControlKind::PushButton:
      return addChild(main, 0, L"BUTTON", spec.label, BS_PUSHBUTTON | WS_TABSTOP, spec.id);
    case ControlKind::SpinControl:
      return addSpin(main, spec);
    case ControlKind::GroupFrame:
      return addChild(main, 0, L"BUTTON", spec.label, BS_GROUPBOX, spec.id);
    case ControlKind::CheckBox:
      return addChild(main, 0, L"BUTTON", spec.label, BS_AUTOCHECKBOX | WS_TABSTOP, spec.id);
  }
  return nullptr;
}

// Should the menu bar wrap or the frame differ from what the outer size assumed, the outer
// size is corrected by what the client area lacks.
void ensureClientSize(HWND window, SIZE wanted) {
  RECT client, outer;
  GetClientRect(window, &client);
  GetWindowRect(window, &outer);
  const int dw = wanted.cx - client.right, dh = wanted.cy - client.bottom;
  if (dw == 0 && dh == 0) return;
  SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + dw, outer.bottom - outer.top + dh,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The title bar's and the task bar's icon: the program's own, at its 50 x 50 and scaled to
// the small icon's size.
void setWindowIcons(HWND window, HINSTANCE instance) {
  const struct {
    WPARAM which;
    int size;
  } icons[] = {{ICON_BIG, 0}, {ICON_SMALL, GetSystemMetrics(SM_CXSMICON)}};
  for (const auto& icon : icons) {
    HANDLE image = LoadImageW(instance, MAKEINTRESOURCEW(PELTRIX_ICON), IMAGE_ICON, icon.size,
                              icon.size, LR_SHARED);
    SendMessageW(window, WM_SETICON, icon.which, reinterpret_cast<LPARAM>(image));
  }
}

// Whether every label fits its control in `font` at `dpi`: a group's title between the
// frame's corners, a checkbox's beside its box, a button's inside its edges.
bool labelsFit(HFONT font, int dpi) {
  HDC screen = GetDC(nullptr);
  HGDIOBJ previous = SelectObject(screen, font);
  bool fit = true;
  for (const ControlSpec& spec : kWin32Controls) {
    const std::wstring text = toUtf16(spec.label);
    if (text.empty()) continue;
    SIZE size{};
    GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &size);
    const RECT box = scaledRect(spec.x, spec.y, spec.width, spec.height, dpi);
    int margin = scaled(8, dpi);
    if (spec.kind == ControlKind::GroupFrame) margin = scaled(16, dpi);
    if (spec.kind == ControlKind::CheckBox)
      margin = GetSystemMetrics(SM_CXMENUCHECK) + scaled(6, dpi);
    fit = fit && size.cx <= box.right - box.left - margin;
  }
  SelectObject(screen, previous);
  ReleaseDC(nullptr, screen);
  return fit;
}

// The flicker map's colour scale, drawn once.
DibPicture flickerScaleDib() {
  DibPicture dib(kFlickerScale.width, kFlickerScale.height);
  const RgbPicture scale = flickerScale(dib.width(), dib.height());
  for (int y = 0; y < dib.height(); ++y) {
    for (int x = 0; x < dib.width(); ++x) dib.setRgb(x, y, scale[y * dib.width() + x]);
  }
  return dib;
}

}  // namespace

void layoutForDpi(MainWindow& main, int dpi) {
  main.dpi = dpi;
  HFONT font = dialogFontForDpi(dpi, labelsFit);
  // The controls take the font Windows' own dialogs use; without it they would draw in the
  // old bold system font, in which the narrow group titles do not fit.
  for (HWND child : main.controls) {
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  SendMessageW(main.ditherText, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageW(main.statusLine, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (main.font != nullptr && main.font != GetStockObject(DEFAULT_GUI_FONT)) {
    DeleteObject(main.font);
  }
  main.font = font;

  const SIZE client{scaled(kClientWidth, dpi), scaled(kClientHeight, dpi)};
  const SIZE outer = outerSizeForDpi(client, kWindowStyle, dpi);
  SetWindowPos(main.window, nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ensureClientSize(main.window, client);
  for (const ControlSpec& spec : kWin32Controls) {
    const RECT r = scaledRect(spec.x, spec.y, spec.width, spec.height, dpi);
    HWND control = main.controls[spec.id];
    if (spec.kind == ControlKind::SpinControl) {
      placeSpin(main, r);
    } else if (spec.kind == ControlKind::SunkenPictureView) {
      place(control, r);
      fitClientArea(control, r);
    } else {
      place(control, r);
    }
  }
  for (HWND legend : {main.flickerScale, main.flickerCaption}) {
    const ControlGeometry& g = legend == main.flickerScale ? kFlickerScale : kFlickerCaption;
    place(legend, scaledRect(g.x, g.y, g.width, g.height, dpi));
  }
  SendMessageW(main.flickerCaption, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  placeStatusLine(main);
  InvalidateRect(main.window, nullptr, TRUE);
}

void placeStatusLine(MainWindow& main) {
  if (main.statusLine == nullptr) return;  // sizes sent while the window is being made
  RECT client;
  GetClientRect(main.window, &client);
  place(main.statusLine,
        {0, client.bottom - scaled(kStatusLineHeight, main.dpi), client.right, client.bottom});
}

void drawPictureView(MainWindow& main, const DRAWITEMSTRUCT& item) {
  const DibPicture* picture = pictureOf(main, static_cast<ControlId>(item.CtlID));
  const RECT& box = item.rcItem;
  const int boxWidth = box.right - box.left, boxHeight = box.bottom - box.top;
  FillRect(item.hDC, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  if (picture == nullptr || picture->bitmap() == nullptr) return;
  // The C64 pictures at a whole factor; the banner fills its box, by whole pixels too.
  const bool banner = item.CtlID == static_cast<UINT>(kBannerView);
  const int factor = wholeFactor(boxWidth, boxHeight, picture->width(), picture->height());
  const int width = banner ? boxWidth : picture->width() * factor;
  const int height = banner ? boxHeight : picture->height() * factor;
  HDC source = CreateCompatibleDC(item.hDC);
  HGDIOBJ previous = SelectObject(source, picture->bitmap());
  SetStretchBltMode(item.hDC, COLORONCOLOR);  // whole pixels, never smoothed
  StretchBlt(item.hDC, box.left + (boxWidth - width) / 2, box.top + (boxHeight - height) / 2, width,
             height, source, 0, 0, picture->width(), picture->height(), SRCCOPY);
  SelectObject(source, previous);
  DeleteDC(source);
}

bool sourcePictureAt(const MainWindow& main, POINT client, POINT& pixel) {
  HWND view = main.controls[kSourceView];
  MapWindowPoints(main.window, view, &client, 1);
  RECT box;
  GetClientRect(view, &box);
  const int factor = wholeFactor(box.right, box.bottom, kWidth, kHeight);
  const int left = (box.right - kWidth * factor) / 2, top = (box.bottom - kHeight * factor) / 2;
  // Rounded down on both sides of the picture's edge, so every pixel is `factor` wide.
  const auto floorDiv = [factor](int a) {
    return a >= 0 ? a / factor : -((factor - 1 - a) / factor);
  };
  pixel = {floorDiv(client.x - left), floorDiv(client.y - top)};
  return PtInRect(&box, client) != FALSE;
}

MainWindow::~MainWindow() {
  stopRefreshTimer(*this);
  stopMotionTimer(*this);
  if (window != nullptr) {
    // Detached first, so the window procedure hands what destroying it sends to Windows
    // (an in-process test's window goes away without ending its message loop).
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
  }
  if (font != nullptr && font != GetStockObject(DEFAULT_GUI_FONT)) DeleteObject(font);
}

std::unique_ptr<MainWindow> createMainWindow(SharedState& state, HINSTANCE instance) {
  auto main = std::make_unique<MainWindow>(state, instance);
  main->bannerPicture = loadBanner();
  main->sourcePicture = newBlackPicture();
  main->blendPicture = newBlackPicture();
  for (DibPicture& frame : main->framePictures) frame = newBlackPicture();

  registerWindowClass(instance);
  main->menu = buildMenu();  // without a menu the controls are still built
  const int screenDpi = windowDpi(nullptr);
  const SIZE size = outerSizeForDpi(
      {scaled(kClientWidth, screenDpi), scaled(kClientHeight, screenDpi)}, kWindowStyle, screenDpi);
  main->window = CreateWindowExW(0, kMainWindowClass, toUtf16(kWindowTitle).c_str(), kWindowStyle,
                                 scaled(kWindowX, screenDpi), scaled(kWindowY, screenDpi), size.cx,
                                 size.cy, nullptr, main->menu, instance, main.get());
  if (main->window == nullptr) failWithLastError("cannot open the main window");
  setWindowIcons(main->window, instance);

  for (const ControlSpec& spec : kWin32Controls) main->controls[spec.id] = addControl(*main, spec);
  // Placed by the window, not by the status bar itself, which would take a height of its own.
  main->statusLine =
      addChild(*main, 0, STATUSCLASSNAMEW, "", CCS_NORESIZE | CCS_NOPARENTALIGN, kStatusLineId);
  main->flickerScalePicture = flickerScaleDib();
  main->flickerScale = addChild(*main, 0, L"STATIC", "", SS_OWNERDRAW, kFlickerScaleId);
  main->flickerCaption =
      addChild(*main, 0, L"STATIC", kFlickerLegendText, SS_LEFT, kFlickerCaptionId);
  showFlickerLegend(*main, false);
  layoutForDpi(*main, windowDpi(main->window));
  main->dialogs = realDialogs(*main);
  DragAcceptFiles(main->window, TRUE);  // files dropped from Explorer open like "Open Bitmap"
  return main;
}

void setInitialStates(MainWindow& main) {
  SendMessageW(main.controls[kDitherSpin], UDM_SETPOS32, 0, kDefaultDitherLevel);
  applyInitialStates(main);
}

bool isOn(const MainWindow& main, ControlId checkBox) {
  return SendMessageW(main.controls[checkBox], BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void setOn(MainWindow& main, ControlId checkBox, bool on) {
  SendMessageW(main.controls[checkBox], BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool isEnabled(const MainWindow& main, ControlId id) {
  return IsWindowEnabled(main.controls[id]) != FALSE;
}

void setEnabled(MainWindow& main, ControlId id, bool enabled) {
  EnableWindow(main.controls[id], enabled ? TRUE : FALSE);
}

void setMenuItemEnabled(MainWindow& main, MenuItemId item, bool enabled) {
  // By command, the item is found in whichever menu of the bar holds it.
  if (main.menu != nullptr) {
    EnableMenuItem(main.menu, item, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  }
}

int spinValue(const MainWindow& main) {
  // No error flag asked for: it reports whether the buddy's text parsed as a number, and the
  // up-down here never reads its buddy.
  return static_cast<int>(SendMessageW(main.controls[kDitherSpin], UDM_GETPOS32, 0, 0));
}

void setSpinValue(MainWindow& main, int level) {
  SendMessageW(main.controls[kDitherSpin], UDM_SETPOS32, 0, level);
}

void markRadioItem(MainWindow& main, MenuItemId item) {
  if (main.menu != nullptr) markRadioItem(main.menu, item);
}

void setSpinText(MainWindow& main, int level) {
  SetWindowTextW(main.ditherText, std::to_wstring(level).c_str());
}

void setProgress(MainWindow& main, int rows) {
  SendMessageW(main.controls[kProgressBar], PBM_SETPOS, std::clamp(rows, 0, kProgressMaximum), 0);
}

void setStatus(MainWindow& main, const std::string& text) {
  // Part 0, the only one, with the usual sunken border.
  SendMessageW(main.statusLine, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(toUtf16(text).c_str()));
}

void showBlendPicture(MainWindow& main, const RgbPicture& picture) {
  drawRgbPicture(picture, main.blendPicture);
  InvalidateRect(main.controls[kBlendView], nullptr, FALSE);
}

void showFlickerLegend(MainWindow& main, bool shown) {
  for (HWND legend : {main.flickerScale, main.flickerCaption}) {
    ShowWindow(legend, shown ? SW_SHOWNA : SW_HIDE);
  }
}

void refreshPreviews(MainWindow& main) {
  showBlendPicture(main, blendViewPicture(main.state, main.blendViewShows, main.motion));
  const ControlId frameViews[3] = {kFrame1View, kFrame2View, kFrame3View};
  for (int f = 0; f < 3; ++f) {
    drawRgbPicture(frameView(main.state, f), main.framePictures[f]);
    InvalidateRect(main.controls[frameViews[f]], nullptr, FALSE);
  }
}

void showSourcePicture(MainWindow& main) {
  drawRgbPicture(tonedPixels(main.state.sourceImage.rgb, main.state.chosen.tone),
                 main.sourcePicture);
  InvalidateRect(main.controls[kSourceView], nullptr, FALSE);
}

}  // namespace peltrix::win32
