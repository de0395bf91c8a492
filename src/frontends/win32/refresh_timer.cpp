// The refresh timer: timer 1 of the main window, from "Process" until the tick that completes
// the job; and the picture in motion's, timer 2, while that is shown.
#include <windows.h>
// After windows.h, whose types it uses.
#include <mmsystem.h>

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

// The display's refresh rate where Windows knows it (60 Hz where it does not); the system
// timer is asked for 1 ms resolution meanwhile, or a 16 ms timer would tick every 31 ms.
void startMotionTimer(MainWindow& main) {
  if (main.motionTimerRunning) return;
  HDC screen = GetDC(nullptr);
  const int hertz = GetDeviceCaps(screen, VREFRESH);
  ReleaseDC(nullptr, screen);
  const UINT periodMs = 1000 / (hertz > 1 ? hertz : 60);
  timeBeginPeriod(1);
  main.motionTimerRunning = SetTimer(main.window, kMotionTimerId, periodMs, nullptr) != 0;
  if (!main.motionTimerRunning) timeEndPeriod(1);
}

void stopMotionTimer(MainWindow& main) {
  if (!main.motionTimerRunning) return;
  KillTimer(main.window, kMotionTimerId);
  timeEndPeriod(1);
  main.motionTimerRunning = false;
}

}  // namespace peltrix::win32
