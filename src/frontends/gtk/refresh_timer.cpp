// The refresh timer: runs from "Process" until the tick that completes the job.
#include "frontends/gtk/main_window.hpp"
#include "frontends/window/window_commands.hpp"

namespace peltrix::gui {

bool startRefreshTimer(MainWindow& main, std::string&) {
  stopRefreshTimer(main);
  main.refreshTimer = g_timeout_add(
      main.refreshPeriodMs,
      +[](gpointer data) -> gboolean {
        return onRefreshTick(*static_cast<MainWindow*>(data)) ? TRUE : FALSE;
      },
      &main);
  return true;  // GLib's timeouts cannot be refused
}

void stopRefreshTimer(MainWindow& main) {
  // Removing the source from inside its own tick is allowed; GLib then skips it.
  if (main.refreshTimer != 0) g_source_remove(main.refreshTimer);
  main.refreshTimer = 0;
}

}  // namespace peltrix::gui
