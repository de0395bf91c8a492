// The refresh timer: runs from "Process" until the tick that completes the job.
#include "app/gui/handlers.hpp"

namespace peltrix::gui {

void startRefreshTimer(MainWindow& main) {
  stopRefreshTimer(main);
  main.refreshTimer = g_timeout_add(
      main.refreshPeriodMs,
      +[](gpointer data) -> gboolean {
        return onRefreshTick(*static_cast<MainWindow*>(data)) ? TRUE : FALSE;
      },
      &main);
}

void stopRefreshTimer(MainWindow& main) {
  // Removing the source from inside its own tick is allowed; GLib then skips it.
  if (main.refreshTimer != 0) g_source_remove(main.refreshTimer);
  main.refreshTimer = 0;
}

}  // namespace peltrix::gui
