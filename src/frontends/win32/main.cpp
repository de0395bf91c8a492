// peltrix.exe: the converter's window on Windows. Creates the one SharedState, builds the
// main window, sets the start-up states and the remembered choices, opens the picture named on the
// command line (as Explorer passes a file dropped on the program's icon) and runs the message loop
// until "Exit" or the close box end the process.
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/shared_state.hpp"
#include "frontends/win32/main_window.hpp"
#include "frontends/window/settings_file.hpp"
#include "frontends/window/start_arguments.hpp"
#include "frontends/window/window_commands.hpp"
#include "platform/text_windows.hpp"

namespace {

int fail(const std::string& reason) {
  MessageBoxW(nullptr, peltrix::toUtf16("Peltrix Converter cannot start: " + reason).c_str(),
              L"Peltrix Converter", MB_OK | MB_ICONERROR);
  return 1;
}

// The program's arguments, from the wide command line, as UTF-8.
std::vector<std::string> arguments() {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; words != nullptr && i < count; ++i) args.push_back(peltrix::toUtf8(words[i]));
  LocalFree(words);
  return args;
}

void tell(const std::string& text, UINT icon) {
  MessageBoxW(nullptr, peltrix::toUtf16(text).c_str(), L"Peltrix Converter", MB_OK | icon);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  const peltrix::WindowStart start = peltrix::parseWindowArguments(arguments());
  switch (start.action) {
    case peltrix::WindowStart::Action::Help:
      tell(peltrix::windowUsage(), MB_ICONINFORMATION);
      return 0;
    case peltrix::WindowStart::Action::Version:
      tell(std::string("peltrix ") + PELTRIX_VERSION, MB_ICONINFORMATION);
      return 0;
    case peltrix::WindowStart::Action::Refused:
      tell("peltrix: " + start.message + "\n\n" + peltrix::windowUsage(), MB_ICONERROR);
      return 2;
    case peltrix::WindowStart::Action::Run:
      break;
  }
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
  peltrix::startRemembering(*window, peltrix::windowSettingsPath(), start.reset);
  ShowWindow(window->window, show);
  UpdateWindow(window->window);
  // A picture that cannot be read says why in the usual message; the window starts anyway.
  if (!start.picture.empty()) peltrix::openPictureFromPath(*window, start.picture);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
