// A batch (--outdir): every planned picture converted in turn with one SharedState; a
// picture that fails is reported and the rest go on. On a terminal (without -q) each picture
// gets a line with its name, result and time, and the batch a summary line.
#pragma once

#include <string>
#include <vector>

#include "core/shared_state.hpp"
#include "frontends/cli/cli_args.hpp"
#include "frontends/cli/output_plan.hpp"

namespace peltrix::cli {

struct BatchResult {
  int converted = 0;
  int failed = 0;
  bool interrupted = false;
  double seconds = 0;
};

BatchResult runBatch(SharedState& state, const std::vector<PlannedPicture>& pictures,
                     const Request& request, bool onTerminal);

// The lines a terminal shows: "[2/5] cat.jpg: 0.06 s", "[3/5] dog.jpg: failed: <why>" and
// "4 of 5 pictures converted in 0.31 s, 1 failed".
std::string pictureLine(int index, int count, const std::string& input, bool ok,
                        const std::string& error, double seconds);
std::string summaryLine(const BatchResult& result, int count);

}  // namespace peltrix::cli
