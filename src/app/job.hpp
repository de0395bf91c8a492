// The conversion job: "Process" starts one or two worker threads that convert every cell
// into the preview arrays; the GUI thread (or the command line) polls for completion and
// then assembles the C64 data. No locks: flags and counters in SharedState::job.
#pragma once

#include <string>

#include "app/shared_state.hpp"

namespace peltrix {

// Option states read when "Process" starts a job.
struct JobOptions {
  bool multithread = true;    // "Multithread"
  bool bruteForce = true;     // "Brute Force": 121 pairs instead of 75
  bool lumaOverload = true;   // "Luma overload reduction": the overload exclusion list
  bool fli = true;            // "Per 2 line FLI"
  bool superFlicker = false;  // "Super Flicker reduction"
};

enum class StartResult { Started, Busy, WorkerFailed };

// "Process": ignored while a job runs (not even a source preparation). Otherwise prepares
// the source, copies the pair and exclusion lists and starts the workers. If a worker cannot
// be started, returns WorkerFailed with the reason in `error` and leaves the job idle.
StartResult startJob(SharedState& state, const JobOptions& options, std::string* error = nullptr);

// "Stop": both workers skip their remaining cells (a super flicker job still runs its
// post-pass). Does nothing while idle.
void requestStop(SharedState& state);

// True once every worker started for the running job has set its done flag.
bool jobFinished(const SharedState& state);

// Progress bar value 0..26: worker A's row + 1.
int progressValue(const SharedState& state);

// The completion step: resets the job flags, marks a result ready, assembles the C64 data
// in the layout of the job's own mode, and runs a source preparation deferred by a dither
// change during the job. Call only after jobFinished() returned true.
void completeJob(SharedState& state);

}  // namespace peltrix
