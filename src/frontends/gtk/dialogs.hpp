// The dialogs of the main window: the open and save file choosers, the message box for
// failures, the about box and the tone dialog. Each "create" function builds the dialog without
// running it, so its set-up can be inspected; each "run" function shows it modally and returns the
// answer.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>

#include "colour/tone.hpp"
#include "frontends/window/window_layout.hpp"

namespace peltrix::gui {

// "Choose an image": JPEG (*.jpg and *.jpeg, any case), BMP, all files; JPEG selected first.
GtkWidget* createOpenDialog(GtkWindow* parent);
// "Select file to save" with `description` ("RAW (*.raw)" or "PRG (*.prg)") as its one
// filter; the filter lists every file, and an existing file is replaced without a question.
GtkWidget* createSaveDialog(GtkWindow* parent, const char* description);
GtkWidget* createMessageBox(GtkWindow* parent, const std::string& text);
GtkWidget* createAboutBox(GtkWindow* parent);
// "Adjust": a slider per tone value (brightness, contrast, saturation, gamma) with its value
// beside it, "Reset" and OK. Every move calls `changed` with the whole tone; "Reset" moves
// all four back to neutral. The dialog keeps its own copy of `changed`.
GtkWidget* createAdjustDialog(GtkWindow* parent, const Tone& start,
                              std::function<void(const Tone&)> changed);
GtkRange* adjustSlider(GtkWidget* adjustDialog, int slider);  // 0..3, in the order above
GtkLabel* adjustValueLabel(GtkWidget* adjustDialog, int slider);
constexpr gint kResetResponse = 1;

// The chosen path exactly as the chooser returns it, or "" when cancelled.
std::string runOpenDialog(GtkWindow* parent);
std::string runSaveDialog(GtkWindow* parent, const char* description);
void runMessageBox(GtkWindow* parent, const std::string& text);
void runAboutBox(GtkWindow* parent);
// Returns once OK or the close box ends it; "Reset" keeps it open. `at`: where on the screen
// its top-left corner goes (the window puts it over the blend view, clear of the source view).
void runAdjustDialog(GtkWindow* parent, const Tone& start,
                     const std::function<void(const Tone&)>& changed, const GdkPoint* at = nullptr);

}  // namespace peltrix::gui
