// The Win32 main window: the 27 controls of the window table (Win32 column) as child windows,
// the status line under them, the menu, the pictures the views show and the refresh timer. One
// MainWindow is built at start-up around the one SharedState; the window's commands
// (window/window_commands.hpp) act on it.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "core/shared_state.hpp"
#include "frontends/win32/preview_draw.hpp"
#include "frontends/window/blend_view_choice.hpp"
#include "frontends/window/framing_choice.hpp"
#include "frontends/window/settings_file.hpp"
#include "frontends/window/window_dialogs.hpp"
#include "frontends/window/window_layout.hpp"

namespace peltrix::win32 {

// The main window's class name, by which tests find it.
extern const wchar_t* const kMainWindowClass;
// The control identifier of the spin's buddy, the edit that shows the dither level as text.
// It lies outside 0..26, which name the window's own controls.
constexpr int kDitherTextId = 108;
// The control identifier of the status line, a status bar along the client area's bottom.
constexpr int kStatusLineId = 109;
// The flicker map's legend under picture view 1: its colour scale (owner-drawn) and caption.
constexpr int kFlickerScaleId = 110;
constexpr int kFlickerCaptionId = 111;
// The refresh timer's number on the main window, and the picture in motion's.
constexpr UINT_PTR kRefreshTimerId = 1;
constexpr UINT_PTR kMotionTimerId = 2;

using peltrix::DialogHooks;
using peltrix::SaveForm;

struct MainWindow {
  MainWindow(SharedState& sharedState, HINSTANCE instance)
      : state(sharedState), instance(instance) {}
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  SharedState& state;
  HINSTANCE instance;
  HWND window = nullptr;
  HMENU menu = nullptr;
  std::array<HWND, kControlCount> controls{};  // by control identifier
  HWND ditherText = nullptr;                   // the spin's buddy edit
  HWND statusLine = nullptr;                   // under the controls, across the window

  // The pictures the views show: the source view, the blend picture, the three frame
  // pictures and the banner.
  DibPicture sourcePicture, blendPicture;
  std::array<DibPicture, 3> framePictures;
  DibPicture bannerPicture;
  DibPicture flickerScalePicture;
  HWND flickerScale = nullptr, flickerCaption = nullptr;  // hidden but with the flicker map

  // The DPI the window is laid out for and the controls' font at it.
  int dpi = 96;
  HFONT font = nullptr;

  BlendViewShows blendViewShows = BlendViewShows::Blend;  // the "View" menu's choice
  bool choiceWaits = false;      // a choice was made during the running conversion
  RememberedChoices remembered;  // the settings file the choices are kept in
  OpenedPicture opened;          // the picture's file and framing, to frame it anew
  MotionClock motion;            // the picture in motion's clock
  bool motionTimerRunning = false;

  bool refreshTimerRunning = false;
  UINT refreshPeriodMs = 4000;

  DialogHooks dialogs;
};

// Builds the window, its menu and its controls in the table's order; the window is not shown
// yet. Throws std::runtime_error (with the system's reason) when the window cannot be made.
std::unique_ptr<MainWindow> createMainWindow(SharedState& state, HINSTANCE instance);

// The start-up states: dither spin 2 with text "2"; "Multithread", "Brute Force", "Luma
// overload reduction" and "Per 2 line FLI" on; "Ass Lace" disabled; dither level 2.
void setInitialStates(MainWindow& main);

// Lays the window and its controls out for `dpi`: the table's geometry scaled by dpi / 96
// (exactly the table's at 96), the dialog font at its point size. At start-up and whenever
// the window moves to a monitor of another DPI.
void layoutForDpi(MainWindow& main, int dpi);
// The status line along the client area's bottom edge, as wide as it, at the window's DPI:
// after every change of the window's size.
void placeStatusLine(MainWindow& main);

// A picture view's WM_DRAWITEM: its picture at the largest whole factor that fits, centred,
// black around it.
void drawPictureView(MainWindow& main, const DRAWITEMSTRUCT& item);
// The pixel of the source view's picture under `client`, a point of the main window's
// client area (drawn as drawPictureView draws it; outside the picture too); false when the
// point lies outside the view.
bool sourcePictureAt(const MainWindow& main, POINT client, POINT& pixel);

// Control state, read by identifier at the moment a command needs it.
bool isOn(const MainWindow& main, ControlId checkBox);
void setOn(MainWindow& main, ControlId checkBox, bool on);
bool isEnabled(const MainWindow& main, ControlId id);
void setEnabled(MainWindow& main, ControlId id, bool enabled);
void setMenuItemEnabled(MainWindow& main, MenuItemId item, bool enabled);
// Moves the mark of the item's radio group to it (a mark alone: no command runs).
void markRadioItem(MainWindow& main, MenuItemId item);
int spinValue(const MainWindow& main);
void setSpinValue(MainWindow& main, int level);
void setSpinText(MainWindow& main, int level);  // the program writes the spin's text itself
void setProgress(MainWindow& main, int rows);   // 0..25; larger values show a full bar
// The status line's text; "" empties it.
void setStatus(MainWindow& main, const std::string& text);

// Draws the blend (or, as the "View" menu chooses, what the eye sees) and the three frames of
// the running or last job into the blend and frame pictures and shows them.
void refreshPreviews(MainWindow& main);
// Draws `picture` into picture view 1 alone (the picture in motion's next frame).
void showBlendPicture(MainWindow& main, const RgbPicture& picture);
// Shows or hides the flicker map's legend under picture view 1.
void showFlickerLegend(MainWindow& main, bool shown);
// Timer 2, a tick per display refresh while the picture in motion is shown.
void startMotionTimer(MainWindow& main);
void stopMotionTimer(MainWindow& main);
// Shows the framed source picture with the tone, undithered, in the source view.
void showSourcePicture(MainWindow& main);
// Timer 1 at the window's period (4000 ms): false (and the reason) if Windows refuses.
// Stopping it is allowed from inside its own tick.
bool startRefreshTimer(MainWindow& main, std::string& reason);
void stopRefreshTimer(MainWindow& main);

}  // namespace peltrix::win32
