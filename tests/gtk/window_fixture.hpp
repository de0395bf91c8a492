// A real main window on the test's Xvfb display, with its dialogs answered by the test.
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/shared_state.hpp"
#include "frontends/gtk/main_window.hpp"
#include "frontends/window/window_commands.hpp"
#include "output/pictures.hpp"
#include "xvfb_display.hpp"

namespace peltrix::testing {

// What the window asked of the user, and the answers the test has prepared.
struct DialogLog {
  int openAsked = 0;
  std::vector<gui::SaveForm> saveAsked;
  std::vector<std::string> messages;
  int aboutShown = 0;
  std::string openAnswer;  // "" answers like a cancel
  std::string saveAnswer;
};

// Every pixel a 320 x 200 picture view shows.
RgbPicture shownPixels(GtkWidget* view);

// Whether a top-level window of this display (any program's) has exactly this title.
bool windowTitled(const char* title);

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Clicks a button or checkbox the way a user's click does (emits "clicked").
  void click(gui::ControlId id);
  // Chooses a menu item (emits "activate").
  void choose(gui::MenuItemId id);
  // Runs the main loop until the running job has completed (the refresh tick that finds
  // every worker done has run). Returns false on timeout.
  bool waitForCompletion(double seconds);
  // Position and size of a control relative to the client area.
  GdkRectangle placeOf(gui::ControlId id) const;
  // The whole window as drawn now, saved as NAME.png in the build's screenshots folder.
  void saveScreenshot(const std::string& name);
  // A folder of its own for the files one test writes; removed afterwards.
  std::filesystem::path scratchDir();

  std::unique_ptr<SharedState> state;
  std::unique_ptr<gui::MainWindow> window;
  DialogLog dialogs;

 private:
  std::filesystem::path scratch_;
};

}  // namespace peltrix::testing
