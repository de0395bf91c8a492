// The pieces createMainWindow() assembles: the window class with its window procedure, the
// menu, and the real dialogs.
#pragma once

#include "frontends/win32/main_window.hpp"

namespace peltrix::win32 {

// Registers the main window's class (once per process): its window procedure routes menu
// items, control notifications, the refresh timer and the close box to the handlers.
void registerWindowClass(HINSTANCE instance);

// "File" ("Open Bitmap", "Save Raw", "Save Prg", "Exit") and "About" ("About"), each item's
// identifier its menu item identifier; no shortcuts, no separators. nullptr on failure.
HMENU buildMenu();

// The real modal dialogs, owned by the main window.
DialogHooks realDialogs(MainWindow& main);

}  // namespace peltrix::win32
