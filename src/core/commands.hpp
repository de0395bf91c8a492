// The window's commands that touch the shared state, free of any GUI code so the window and
// the command line run the very same steps. All run on the GUI (main) thread.
#pragma once

#include <string>

#include "colour/framing.hpp"
#include "core/shared_state.hpp"
#include "output/viewers/viewers.hpp"

namespace peltrix {

// How a command ended. Refused: its precondition failed (e.g. a job is running, or there is
// no result to save); nothing changed and, as with every refused command, the window shows
// nothing. Failed: it was tried and went wrong; `message` names the file and the reason,
// ready to show to the user.
enum class Outcome { Done, Refused, Failed };

struct CommandResult {
  Outcome outcome = Outcome::Done;
  std::string message;  // only for Failed
  bool ok() const { return outcome == Outcome::Done; }
};

// "Open Bitmap" once a path was chosen. Refused while a job runs. Loads the file (JPEG, PNG
// or BMP, recognised by content); on success replaces the source image, which the next
// "Process" prepares. On failure the previous picture stays exactly as it was. The result is
// never touched: the previous result stays saveable.
CommandResult openPicture(SharedState& state, const std::string& path);
// The same with the picture framed before the preparation (the command line's --fit, --fill
// and --offset); the window always uses the top-left 320 x 200 as above.
CommandResult openPicture(SharedState& state, const std::string& path, const Framing& framing);

// The "Dithering" spin changed to `level` (clamped to 0..3): the next "Process" prepares the
// source with it; a running job keeps the level it started with.
void setDitherLevel(SharedState& state, int level);

// Whether "Save Raw" and "Save Prg" may act: a finished result exists and no job runs.
// The window asks before it shows the save dialog.
bool canSave(const SharedState& state);

// "Save Raw" once a path was chosen: the result's C64 data, 27,648 bytes (non-FLI result)
// or 36,864 bytes (FLI result) — the form the result was made in, whatever "Per 2 line
// FLI" says now. Refused without a finished result or while a job runs. The file is written
// beside the target and renamed over it, so a failure never leaves a truncated file.
CommandResult saveRaw(SharedState& state, const std::string& path);

// "Save Prg" once a path was chosen: load address $0800, the viewer chosen by the result's
// form and `options`, then the assembled data. Same preconditions and failure handling.
CommandResult saveProgram(SharedState& state, const std::string& path,
                          const ViewerOptions& options);

}  // namespace peltrix
