// peltrix.exe: the converter's window on Windows. Creates the one SharedState, builds the
// main window, sets the start-up states and runs the message loop until "Exit" or the close
// box end the process.
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <memory>
#include <new>
#include <stdexcept>

#include "core/shared_state.hpp"
#include "frontends/win32/main_window.hpp"
#include "platform/text_windows.hpp"

namespace {

int fail(const std::string& reason) {
  MessageBoxW(nullptr, peltrix::toUtf16("Peltrix Converter cannot start: " + reason).c_str(),
              L"Peltrix Converter", MB_OK | MB_ICONERROR);
  return 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  // The progress bar and the up-down live in the common controls (version 6 by the manifest).
  const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                     ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&classes);
  std::unique_ptr<peltrix::SharedState> state;
  std::unique_ptr<peltrix::win32::MainWindow> window;
  try {
    // Allocated once and kept until the process ends; "Exit" ends it without freeing.
    state = std::make_unique<peltrix::SharedState>();
    window = peltrix::win32::createMainWindow(*state, instance);
  } catch (const std::bad_alloc&) {
    return fail("not enough memory");
  } catch (const std::runtime_error& e) {
    return fail(e.what());
  }
  peltrix::win32::setInitialStates(*window);
  ShowWindow(window->window, show);
  UpdateWindow(window->window);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
