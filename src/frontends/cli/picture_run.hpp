// One picture from its file to its outputs: load and frame it, warn about it, convert it
// with the same job as the window's "Process" (sleeping until the workers are done), and
// write every output beside its target before renaming any into place.
#pragma once

#include <string>

#include "core/shared_state.hpp"
#include "frontends/cli/cli_args.hpp"
#include "frontends/cli/output_plan.hpp"

namespace peltrix::cli {

struct PictureResult {
  enum class Status { Converted, Failed, Interrupted } status = Status::Converted;
  std::string error;  // Failed: one line naming the file and the reason
  double seconds = 0;
};

struct PictureReporting {
  bool progressBar = false;     // draw the bar on stderr (a terminal, without -q)
  bool warnings = true;         // print the picture's warnings (without -q)
  std::string barCounter;       // in front of the bar: a batch's "[2/9] "
  std::string barName;          // and the picture's name, shortened to fit the terminal
  bool barKeepsItsLine = true;  // end the bar's line when done; else blank it for the next
};

// Converts with `state` (one SharedState serves any number of pictures; the dither level
// is set on it beforehand). Nothing is written unless every output could be, and an output
// created by someone else meanwhile is never replaced without -f. Stops the job early when
// interruptRequested is set (Ctrl-C) and then writes nothing.
PictureResult convertPicture(SharedState& state, const PlannedPicture& picture,
                             const Request& request, const PictureReporting& reporting);

}  // namespace peltrix::cli
