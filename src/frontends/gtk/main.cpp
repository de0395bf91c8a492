// peltrix: the converter's window. Creates the one SharedState, builds the main window,
// sets the start-up states and the remembered choices, opens the picture named on the
// command line and runs the event loop until "Exit" or the close box.
#include <gtk/gtk.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/shared_state.hpp"
#include "frontends/gtk/main_window.hpp"
#include "frontends/window/settings_file.hpp"
#include "frontends/window/start_arguments.hpp"
#include "frontends/window/window_commands.hpp"

int main(int argc, char** argv) {
  // GTK's own options (--display and the like) first, so that --help needs no display.
  gtk_parse_args(&argc, &argv);
  const peltrix::WindowStart start =
      peltrix::parseWindowArguments(std::vector<std::string>(argv + 1, argv + argc));
  switch (start.action) {
    case peltrix::WindowStart::Action::Help:
      std::fputs(peltrix::windowUsage().c_str(), stdout);
      return 0;
    case peltrix::WindowStart::Action::Version:
      std::printf("peltrix %s\n", PELTRIX_VERSION);
      return 0;
    case peltrix::WindowStart::Action::Refused:
      std::fprintf(stderr, "peltrix: %s\nTry 'peltrix --help'.\n", start.message.c_str());
      return 2;
    case peltrix::WindowStart::Action::Run:
      break;
  }
  if (!gtk_init_check(&argc, &argv)) {
    std::fprintf(stderr, "peltrix: cannot open the display; is DISPLAY set?\n");
    return 1;
  }
  // Allocated once and kept until the process ends; "Exit" ends it without freeing.
  auto state = std::make_unique<peltrix::SharedState>();
  auto window = peltrix::gui::createMainWindow(*state);
  peltrix::gui::setInitialStates(*window);
  peltrix::startRemembering(*window, peltrix::windowSettingsPath(), start.reset);
  gtk_widget_show_all(window->window);
  // A picture that cannot be read says why in the usual message; the window starts anyway.
  if (!start.picture.empty()) peltrix::openPictureFromPath(*window, start.picture);
  gtk_main();
  return 0;
}
