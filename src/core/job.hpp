// The conversion job: "Process" starts one or two worker threads that convert every cell
// into the frame planes; the GUI thread (or the command line) polls for completion and
// then assembles the C64 data. No locks: flags and counters in SharedState::job.
#pragma once

#include <chrono>
#include <functional>
#include <span>
#include <string>

#include "core/job_settings.hpp"
#include "core/shared_state.hpp"
#include "core/worker.hpp"

namespace peltrix {

enum class StartResult { Started, Busy, WorkerFailed };

// Lets tests replace what the workers run and how their threads start. Empty members mean
// the real engine and a detached thread of the platform (platform/threads.hpp).
struct JobSeams {
  std::function<CellWork&(int worker)> work;  // worker 0 is A, 1 is B
  // Runs `body` on a new thread; throws (e.g. std::system_error) when it cannot.
  std::function<void(std::function<void()> body)> startThread;
  // Where there are no threads: instead of a thread, each worker is handed over as a step
  // function that converts one row per call and returns false once the worker is done; the
  // caller calls it on its own schedule. Takes precedence over startThread.
  std::function<void(std::function<bool()> step)> startSteps;
};

// "Process": ignored while a job runs (not even a source preparation). Otherwise keeps a copy
// of `settings` as the job's own, prepares the source arrays with its tone and dither, sets
// "Luma only mode" to its start state and starts one worker (super flicker, or "Multithread"
// off) or two (worker A on the even columns, B on the odd ones). If a worker cannot be started,
// returns WorkerFailed with the reason in `error` and leaves the job idle: a worker A that did
// start is stopped and waited for (it ends after its current cell), and no result is marked ready.
// The caller starts its refresh timer only on Started.
StartResult startJob(SharedState& state, const JobSettings& settings, std::string* error = nullptr,
                     const JobSeams* seams = nullptr);

// The pair list and exclusion list a job with these settings searches with.
std::span<const uint8_t> pairListOf(const JobSettings& settings);
std::span<const uint8_t> exclusionListOf(const JobSettings& settings);

// "Stop": both workers skip their remaining cells (a super flicker job still runs its
// post-pass). Does nothing while idle.
void requestStop(SharedState& state);

// True from "Process" until the completion step.
bool jobRunning(const SharedState& state);

// True once every worker started for the running job has set its done flag.
bool jobFinished(const SharedState& state);

// Progress: the rows worker A has finished, 0..25 (the window's bar shows it + 1).
int rowsDone(const SharedState& state);

// Sleeps until the job has finished, rowsDone() differs from `seenRows`, or
// `timeout` has passed, whichever comes first; returns whether the job has finished. Once it
// returns true no worker touches the state any more, so the caller may even destroy it. For a
// thread that waits for the job (the command line, tests) instead of polling; the window
// keeps its timer.
bool waitForJob(SharedState& state, int seenRows, std::chrono::milliseconds timeout);

// The completion step: resets the job flags, assembles the C64 data from the planes in the
// layout of the job's own mode and keeps it, with the job's settings, as the result ready to
// save. Does nothing unless jobFinished() is true.
void completeJob(SharedState& state);

}  // namespace peltrix
