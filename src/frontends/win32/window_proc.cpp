// The main window's procedure: routes menu items, control notifications, the refresh timer
// and the close box to the handlers, as the GTK window's signal connections do.
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "frontends/win32/main_window.hpp"
#include "frontends/win32/window_parts.hpp"
#include "frontends/window/window_commands.hpp"
#include "platform/text_windows.hpp"

namespace peltrix::win32 {
namespace {

// The first file of a drop, the way Explorer delivers it; "" when there is none.
std::string firstDroppedFile(HDROP drop) {
  std::wstring path(DragQueryFileW(drop, 0, nullptr, 0) + 1, L'\0');
  path.resize(DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size())));
  DragFinish(drop);
  return toUtf8(path);
}

// WM_DPICHANGED (Windows 8.1 and later), by number: older headers do not name it.
constexpr UINT kDpiChanged = 0x02E0;

MainWindow* windowData(HWND window) {
  return reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void onMenuItem(MainWindow& main, int item) {
  switch (item) {
    case kOpenBitmapItem:
      onOpenBitmap(main);
      break;
    case kSaveRawItem:
      onSaveRaw(main);
      break;
    case kSavePrgItem:
      onSavePrg(main);
      break;
    case kExitItem:
      onExit(main);
    case kAboutItem:
      onAbout(main);
      break;
    case kAdjustItem:
      onAdjust(main);
      break;
    case kPlayPauseItem:
      onPlayPause(main);
      break;
    case kRestoreDefaultsItem:
      onRestoreDefaults(main);
      break;
    default:
      for (const MenuRadioGroup& group : kMenuRadioGroups) {
        if (!group.holds(item)) continue;
        onRadioItemChosen(main, static_cast<MenuItemId>(item));
        markRadioItem(main.menu, static_cast<MenuItemId>(item));
      }
      break;
  }
}

void onClicked(MainWindow& main, int control) {
  switch (control) {
    case kProcessButton:
      onProcess(main);
      break;
    case kStopButton:
      onStop(main);
      break;
    case kMultithreadBox:
    case kBruteForceBox:
    case kLumaOverloadBox:
    case kFliBox:
    case kSuperFlickerBox:
      onOptionToggled(main, static_cast<ControlId>(control));
      break;
    case kLumaOnlyBox:
      onLumaOnlyToggled(main);
      break;
    case kNtscBox:
    case kAssLaceBox:
      onViewerOptionToggled(main);
      break;
  }
}

// The source view's mouse. The view (a static control without SS_NOTIFY) lets the mouse
// through to the main window, which captures it while the picture is dragged.
void onMouse(MainWindow& main, UINT message, LPARAM lParam) {
  const POINT client{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  POINT pixel{};
  const bool inView = sourcePictureAt(main, client, pixel);
  switch (message) {
    case WM_LBUTTONDOWN:
      if (!inView) return;
      SetCapture(main.window);
      onSourcePressed(main, pixel.x, pixel.y);
      break;
    case WM_MOUSEMOVE:
      if (main.opened.dragging) onSourceDragged(main, pixel.x, pixel.y);
      break;
    case WM_LBUTTONUP:
      if (GetCapture() == main.window) ReleaseCapture();  // WM_CAPTURECHANGED ends the drag
      onSourceReleased(main);
      break;
  }
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  MainWindow* main = windowData(window);
  if (main == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_COMMAND:
      // Menu items come without a control window; their identifiers overlap the controls'.
      if (lParam == 0) {
        if (HIWORD(wParam) == 0) onMenuItem(*main, LOWORD(wParam));
      } else if (HIWORD(wParam) == BN_CLICKED) {
        onClicked(*main, LOWORD(wParam));
      }
      return 0;
    case WM_VSCROLL:
      // The up-down reports each change of its position, then the end of the click.
      if (reinterpret_cast<HWND>(lParam) == main->controls[kDitherSpin] &&
          LOWORD(wParam) == SB_THUMBPOSITION) {
        onDitherChanged(*main);
      }
      return 0;
    case WM_TIMER:
      if (wParam == kRefreshTimerId && main->refreshTimerRunning) onRefreshTick(*main);
      if (wParam == kMotionTimerId && main->motionTimerRunning) onMotionTick(*main);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      onMouse(*main, message, lParam);
      return 0;
    case WM_CAPTURECHANGED:
      onSourceReleased(*main);
      return 0;
    case WM_SIZE:
      placeStatusLine(*main);  // keeps to the bottom edge; the controls stay where they are
      return 0;
    case WM_DRAWITEM:
      drawPictureView(*main, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case kDpiChanged: {
      // Moved to a monitor of another DPI: where Windows suggests, laid out anew.
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      layoutForDpi(*main, HIWORD(wParam));
      return 0;
    }
    case WM_DROPFILES:
      onPictureDropped(*main, firstDroppedFile(reinterpret_cast<HDROP>(wParam)));
      return 0;
    case WM_CLOSE:
      onExit(*main);  // the close box ends the program like "Exit", without asking
    case WM_DESTROY:
      // Closing ends the process first; should anything else destroy the window, the
      // program ends rather than run on without one.
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void registerWindowClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  if (GetClassInfoExW(instance, kMainWindowClass, &windowClass)) return;
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = mainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kMainWindowClass;
  RegisterClassExW(&windowClass);
}

}  // namespace peltrix::win32
