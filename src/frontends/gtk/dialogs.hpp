// The dialogs of the main window: the open and save file choosers, the message box for
// failures and the about box. Each "create" function builds the dialog without running it,
// so its set-up can be inspected; each "run" function shows it modally and returns the answer.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "frontends/window/window_layout.hpp"

namespace peltrix::gui {

// "Choose an image": JPEG (*.jpg and *.jpeg, any case), BMP, all files; JPEG selected first.
GtkWidget* createOpenDialog(GtkWindow* parent);
// "Select file to save" with `description` ("RAW (*.raw)" or "PRG (*.prg)") as its one
// filter; the filter lists every file, and an existing file is replaced without a question.
GtkWidget* createSaveDialog(GtkWindow* parent, const char* description);
GtkWidget* createMessageBox(GtkWindow* parent, const std::string& text);
GtkWidget* createAboutBox(GtkWindow* parent);

// The chosen path exactly as the chooser returns it, or "" when cancelled.
std::string runOpenDialog(GtkWindow* parent);
std::string runSaveDialog(GtkWindow* parent, const char* description);
void runMessageBox(GtkWindow* parent, const std::string& text);
void runAboutBox(GtkWindow* parent);

}  // namespace peltrix::gui
