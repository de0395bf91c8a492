// The main window: a fixed container holding the 27 controls of the layout table, the menu
// bar above it, the status line below it, the pictures the views show and the refresh timer. One
// MainWindow is built at start-up around the one SharedState; the window's commands
// (app/window_commands.hpp) act on it.
#pragma once

#include <gtk/gtk.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "core/shared_state.hpp"
#include "frontends/gtk/control_layout.hpp"
#include "frontends/window/blend_view_choice.hpp"
#include "frontends/window/framing_choice.hpp"
#include "frontends/window/settings_file.hpp"
#include "frontends/window/window_dialogs.hpp"

namespace peltrix::gui {

using peltrix::DialogHooks;
using peltrix::SaveForm;

struct MainWindow {
  explicit MainWindow(SharedState& sharedState) : state(sharedState) {}
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  SharedState& state;
  GtkWidget* window = nullptr;
  GtkWidget* fixed = nullptr;       // the controls' 994 x 580 area
  GtkWidget* statusLine = nullptr;  // a GtkStatusbar under it, across the window
  GtkWidget* menuBar = nullptr;
  std::array<GtkWidget*, kControlCount> controls{};    // by control identifier
  std::array<GtkWidget*, kMenuItemCount> menuItems{};  // by menu item identifier

  // The pictures the views show: the source view, the blend picture, the three frame
  // pictures and the banner.
  GdkPixbuf* sourcePicture = nullptr;
  GdkPixbuf* blendPicture = nullptr;
  std::array<GdkPixbuf*, 3> framePictures{};
  GdkPixbuf* bannerPicture = nullptr;

  BlendViewShows blendViewShows = BlendViewShows::Blend;  // the "View" menu's choice
  MotionClock motion;                                     // the picture in motion's clock
  guint motionTimer = 0;               // 0 while the picture in motion is not shown
  GtkWidget* flickerLegend = nullptr;  // the flicker map's scale and caption, hidden by default
  bool choiceWaits = false;            // a choice was made during the running conversion
  RememberedChoices remembered;        // the settings file the choices are kept in
  OpenedPicture opened;                // the picture's file and framing, to frame it anew

  guint refreshTimer = 0;        // 0 while no job runs
  guint refreshPeriodMs = 4000;  // tests shorten it to keep the suite quick

  DialogHooks dialogs;
};

// Builds the window, its menu and its controls in the layout's order and connects every
// signal to its handler. The window is not shown yet.
std::unique_ptr<MainWindow> createMainWindow(SharedState& state);

// The start-up states: dither spin 2 with text "2"; "Multithread", "Brute Force", "Luma
// overload reduction" and "Per 2 line FLI" on; "Ass Lace" disabled; dither level 2.
void setInitialStates(MainWindow& main);

// Control state, read by identifier at the moment a command needs it.
bool isOn(const MainWindow& main, ControlId checkBox);
void setOn(MainWindow& main, ControlId checkBox, bool on);
int spinValue(const MainWindow& main);
void setSpinValue(MainWindow& main, int level);
void setSpinText(MainWindow& main, int level);  // the program writes the spin's text itself
void setEnabled(MainWindow& main, ControlId id, bool enabled);
void setMenuItemEnabled(MainWindow& main, MenuItemId item, bool enabled);
// Moves the mark of the item's radio group to it; its "toggled" handler is held back, so no
// command runs.
void markRadioItem(MainWindow& main, MenuItemId item);
void setProgress(MainWindow& main, int rows);  // 0..25; larger values show a full bar
// The status line's text; "" empties it.
void setStatus(MainWindow& main, const std::string& text);

// Draws the blend (or, as the "View" menu chooses, what the eye sees) and the three frames of
// the running or last job into the blend and frame views and shows them.
void refreshPreviews(MainWindow& main);
// The flicker map's legend, built hidden in the window's free strip under picture view 1.
GtkWidget* buildFlickerLegend(MainWindow& main);
// Draws `picture` into picture view 1 alone (the picture in motion's next frame).
void showBlendPicture(MainWindow& main, const RgbPicture& picture);
// Shows or hides the flicker map's legend under picture view 1.
void showFlickerLegend(MainWindow& main, bool shown);
// The motion timer: a tick per display refresh while the picture in motion is shown.
void startMotionTimer(MainWindow& main);
void stopMotionTimer(MainWindow& main);
// Shows the framed source picture with the tone, undithered, in the source view.
void showSourcePicture(MainWindow& main);
// The refresh timer at the window's period (4000 ms): false (and the reason) if it cannot be
// started. Stopping it is allowed from inside its own tick.
bool startRefreshTimer(MainWindow& main, std::string& reason);
void stopRefreshTimer(MainWindow& main);

}  // namespace peltrix::gui
