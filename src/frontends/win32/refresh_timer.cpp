// The refresh timer: timer 1 of the main window, from "Process" until the tick that completes
// the job.
#include "frontends/win32/main_window.hpp"
#include "platform/text_windows.hpp"

namespace peltrix::win32 {

bool startRefreshTimer(MainWindow& main, std::string& reason) {
  // Setting a running timer again restarts its period.
  main.refreshTimerRunning =
      SetTimer(main.window, kRefreshTimerId, main.refreshPeriodMs, nullptr) != 0;
  if (!main.refreshTimerRunning) reason = systemMessage(GetLastError());
  return main.refreshTimerRunning;
}

void stopRefreshTimer(MainWindow& main) {
  if (main.refreshTimerRunning) KillTimer(main.window, kRefreshTimerId);
  main.refreshTimerRunning = false;
}

}  // namespace peltrix::win32
