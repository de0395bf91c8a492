// The GTK window keeps its choices between runs: what the user chose is shown by the next
// window (boxes, spin, the menus' marks, the rules that follow them), "Restore Defaults" puts
// it all back, and the program passes a broken settings file over with a warning, or reads
// none with --reset. The file's own rules are tested without a window.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "window_fixture.hpp"

namespace peltrix::testing {
namespace {

using namespace gui;
namespace fs = std::filesystem;

bool marked(const MainWindow& main, MenuItemId item) {
  return gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(main.menuItems[item])) != FALSE;
}
bool sensitive(GtkWidget* widget) {
  return GTK_WIDGET_SENSITIVE(widget) != 0;
}
std::string spinText(const MainWindow& main) {
  return gtk_entry_get_text(GTK_ENTRY(main.controls[kDitherSpin]));
}
std::string textOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class RememberingWindowTest : public WindowTest {
 protected:
  // A window started as the program starts it, keeping its choices at settingsPath.
  void restart() {
    window.reset();
    state = std::make_unique<SharedState>();
    window = createMainWindow(*state);
    setInitialStates(*window);
    gtk_widget_show_all(window->window);
    startRemembering(*window, settingsPath.string(), false);
    pumpPending();
  }

  // The default choices as the window shows them.
  void expectDefaults() {
    for (ControlId box : {kMultithreadBox, kBruteForceBox, kLumaOverloadBox, kFliBox}) {
      EXPECT_TRUE(isOn(*window, box)) << box;
    }
    for (ControlId box : {kNtscBox, kSuperFlickerBox, kAssLaceBox, kLumaOnlyBox}) {
      EXPECT_FALSE(isOn(*window, box)) << box;
    }
    EXPECT_FALSE(sensitive(window->controls[kAssLaceBox]));
    EXPECT_EQ(spinValue(*window), kDefaultDitherLevel);
    EXPECT_EQ(spinText(*window), std::to_string(kDefaultDitherLevel));
    for (const MenuRadioGroup& group : kMenuRadioGroups) {
      for (int item = group.first; item <= group.last; ++item) {
        EXPECT_EQ(marked(*window, MenuItemId(item)), item == group.first) << item;
      }
    }
    EXPECT_FALSE(sensitive(window->menuItems[kDiffusionItem]));
    EXPECT_FALSE(GTK_WIDGET_VISIBLE(window->flickerLegend));
    EXPECT_TRUE(state->chosen == JobSettings{});
  }

  fs::path settingsPath = scratchDir() / "peltrix" / "window-settings.txt";
};

TEST_F(RememberingWindowTest, ChoicesSurviveARestartAndRestoreDefaultsPutsThemBack) {
  startRemembering(*window, settingsPath.string(), false);
  click(kNtscBox);
  click(kFliBox);
  gtk_spin_button_set_value(GTK_SPIN_BUTTON(window->controls[kDitherSpin]), 0);
  choose(paletteItem(2));
  choose(kEyeMatchItem);
  choose(kNoDitherItem);
  choose(kFlickerViewItem);

  restart();
  EXPECT_TRUE(isOn(*window, kNtscBox));
  EXPECT_FALSE(isOn(*window, kFliBox));
  EXPECT_TRUE(sensitive(window->controls[kAssLaceBox])) << "FLI and super flicker are off";
  EXPECT_EQ(spinValue(*window), 0);
  EXPECT_EQ(spinText(*window), "0");
  EXPECT_TRUE(marked(*window, paletteItem(2)) && !marked(*window, paletteItem(0)));
  EXPECT_TRUE(marked(*window, kEyeMatchItem) && !marked(*window, kClassicMatchItem));
  EXPECT_TRUE(marked(*window, kNoDitherItem));
  EXPECT_TRUE(sensitive(window->menuItems[kDiffusionItem])) << "the eye match's items";
  EXPECT_TRUE(marked(*window, kFlickerViewItem));
  EXPECT_TRUE(GTK_WIDGET_VISIBLE(window->flickerLegend));
  EXPECT_EQ(state->chosen.palette, builtinPalettes()[2].colours);
  EXPECT_EQ(state->chosen.match, engine::Match::Eye);
  EXPECT_EQ(state->chosen.eyeDither, EyeDither::None);
  EXPECT_EQ(state->chosen.ditherLevel, 0);

  choose(kRestoreDefaultsItem);
  expectDefaults();
  EXPECT_EQ(textOf(settingsPath), formatWindowChoices(WindowChoices{}));
  restart();
  expectDefaults();
}

// Runs the built program on this display with XDG_CONFIG_HOME at `config` and its standard
// error into `errors`; returns its process id.
pid_t startProgram(const fs::path& config, const fs::path& errors, const char* option) {
  const pid_t child = fork();
  if (child == 0) {
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const int file = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(file, STDERR_FILENO);
    execl(PELTRIX_WINDOW, PELTRIX_WINDOW, option, static_cast<char*>(nullptr));
    _exit(127);
  }
  return child;
}

// What the program printed on standard error by the time its window showed; "" if it
// showed none or did not keep running.
std::string startupErrors(const fs::path& config, const char* option) {
  const fs::path errors = config / "errors.txt";
  const pid_t program = startProgram(config, errors, option);
  EXPECT_GT(program, 0);
  const bool shown = pumpUntil([] { return windowTitled(kWindowTitle); }, 30);
  int status = 0;
  const bool running = waitpid(program, &status, WNOHANG) == 0;
  kill(program, SIGTERM);
  waitpid(program, &status, 0);
  EXPECT_TRUE(shown) << "the window never showed";
  EXPECT_TRUE(running) << "the program ended instead of running its window";
  return textOf(errors);
}

TEST_F(RememberingWindowTest, TheProgramPassesABrokenFileOverAndResetReadsNone) {
  window.reset();  // only the program's own window on the screen
  const fs::path config = scratchDir();
  fs::create_directories(settingsPath.parent_path());
  const std::string junk(
      "\x7f"
      "ELF\x02\x01\x01\0\0\0",
      10);
  std::ofstream(settingsPath, std::ios::binary) << junk;
  // The toolkit may have its own say on standard error; only the program's line counts.
  EXPECT_EQ(startupErrors(config, "--reset").find("settings file"), std::string::npos);
  const std::string warning = "peltrix: ignoring the settings file " + settingsPath.string() +
                              " (its first line is not \"peltrix-window-settings 1\"): the "
                              "window starts with its default choices\n";
  EXPECT_NE(startupErrors(config, "--").find(warning), std::string::npos) << warning;
  EXPECT_EQ(textOf(settingsPath), junk) << "replaced by the next save, not at start";
}

}  // namespace
}  // namespace peltrix::testing
