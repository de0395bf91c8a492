// peltrix: the converter's window. Creates the one SharedState, builds the main window,
// sets the start-up states and runs the event loop until "Exit" or the close box.
#include <gtk/gtk.h>

#include <cstdio>
#include <memory>

#include "frontends/gtk/main_window.hpp"
#include "core/shared_state.hpp"

int main(int argc, char** argv) {
  if (!gtk_init_check(&argc, &argv)) {
    std::fprintf(stderr, "peltrix: cannot open the display; is DISPLAY set?\n");
    return 1;
  }
  // Allocated once and kept until the process ends; "Exit" ends it without freeing.
  auto state = std::make_unique<peltrix::SharedState>();
  auto window = peltrix::gui::createMainWindow(*state);
  peltrix::gui::setInitialStates(*window);
  gtk_widget_show_all(window->window);
  gtk_main();
  return 0;
}
