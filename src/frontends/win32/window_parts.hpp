// The pieces createMainWindow() assembles: the window class with its window procedure, the
// menu, and the real dialogs.
#pragma once

#include "frontends/win32/main_window.hpp"

namespace peltrix::win32 {

// Registers the main window's class (once per process): its window procedure routes menu
// items, control notifications, the refresh timer and the close box to the handlers.
void registerWindowClass(HINSTANCE instance);

// "File" ("Open Bitmap", "Save Raw", "Save Prg", "Exit"), "Picture" (the palettes, the match
// and the eye match's dither as radio groups, each with its default marked, then "Adjust…"),
// "View" (the blend or what the eye sees, a radio group) and "About" ("About"), each item's
// identifier its menu item identifier; no shortcuts. nullptr on failure.
HMENU buildMenu();
// Moves the mark of a radio group of the menus to `item`, one of the group.
void markRadioItem(HMENU bar, MenuItemId item);

// The real modal dialogs, owned by the main window.
DialogHooks realDialogs(MainWindow& main);

}  // namespace peltrix::win32
