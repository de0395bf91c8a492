// The window's commands. Every menu item, button, checkbox, the spin, the refresh timer and
// the close box reach exactly these functions (window_proc.cpp routes them), so tests can
// drive the window the way a user does. All run on the GUI thread; a command whose
// precondition fails does nothing and shows nothing.
#pragma once

#include <string>

#include "app/win32/main_window.hpp"

namespace peltrix::win32 {

// "Open Bitmap": no job running; asks for a file and opens it.
void onOpenBitmap(MainWindow& main);
// Opens `path` (UTF-8) as the new source picture and shows it in the source view. A file
// that cannot be decoded keeps the previous picture and shows the decoder's reason. Returns
// whether the picture was replaced.
bool openPictureFromPath(MainWindow& main, const std::string& path);

// "Save Raw" / "Save Prg": a finished result and no job running; asks for a path and writes
// the file there, showing any failure. Return false when the precondition failed (no dialog).
bool onSaveRaw(MainWindow& main);
bool onSavePrg(MainWindow& main);

// "Exit" and the close box: ends the process at once with status 0, even mid-job; the
// workers are not waited for.
[[noreturn]] void onExit(MainWindow& main);

// "About": the modal about box.
void onAbout(MainWindow& main);

// "Process": starts a job with the options shown now and the refresh timer; ignored while a
// job runs.
void onProcess(MainWindow& main);
// "Stop": asks the running job's workers to skip their remaining cells.
void onStop(MainWindow& main);

// The spin changed: its text shows the new value and the dither level follows.
void onDitherChanged(MainWindow& main);
// "Per 2 line FLI" or "Super Flicker reduction" clicked: "Ass Lace" is enabled exactly when
// both are off; its own on/off state is kept.
void applyAssLaceRule(MainWindow& main);
// "Luma only mode" clicked: the workers read the new state before their next cell.
void onLumaOnlyToggled(MainWindow& main);

// One tick of the refresh timer: progress bar, previews, completion test and, once every
// worker is done, the completion step. Returns whether the timer keeps running.
bool onRefreshTick(MainWindow& main);

// Starts timer 1 with the window's period (4000 ms); false (and the reason) if Windows
// refuses. Stops it.
bool startRefreshTimer(MainWindow& main, std::string& reason);
void stopRefreshTimer(MainWindow& main);

}  // namespace peltrix::win32
