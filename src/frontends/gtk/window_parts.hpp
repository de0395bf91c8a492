// The pieces createMainWindow() assembles: the menu bar and the signal connections.
#pragma once

#include "frontends/gtk/main_window.hpp"

namespace peltrix::gui {

// "File" ("Open Bitmap", "Save Raw", "Save Prg", "Exit"), "Picture" (the palettes, the match
// and the eye match's dither as radio groups, each with its default chosen, then "Adjust…"),
// "View" (the blend or what the eye sees, a radio group) and "About" ("About"); no shortcuts.
// Fills main.menuItems.
GtkWidget* buildMenuBar(MainWindow& main);

// Connects the menu items, the controls with commands and the close box to their handlers.
void connectSignals(MainWindow& main);

// The real modal dialogs, parented to the main window.
DialogHooks realDialogs(MainWindow& main);

}  // namespace peltrix::gui
