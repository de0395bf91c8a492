#include "core/job.hpp"

#include <algorithm>
#include <exception>
#include <memory>

#include "colour/tables.hpp"
#include "platform/threads.hpp"

namespace peltrix {

namespace {

SearchVariant variantFor(const JobSettings& settings) {
  if (settings.superFlicker) {
    return settings.fli ? SearchVariant::FliSuperFlicker : SearchVariant::SuperFlicker;
  }
  return settings.fli ? SearchVariant::Fli : SearchVariant::Standard;
}

// What the searches read: the source arrays and the job's own copy of its settings.
engine::SearchInputs searchInputs(const SharedState& state) {
  const std::span<const uint8_t> pairs = pairListOf(state.jobSettings);
  engine::SearchInputs inputs;
  inputs.sourceRgb = state.sourceRgb.data();
  inputs.sourceLuma = state.sourceLuma.data();
  inputs.pairs = pairs.data();
  inputs.pairCount = static_cast<int>(pairs.size());
  inputs.exclusions = exclusionListOf(state.jobSettings).data();
  inputs.palette = &state.jobSettings.palette;
  inputs.match = state.jobSettings.match;
  return inputs;
}

CellOutputs cellOutputs(SharedState& state) {
  return {&state.planes, &state.regions, pairListOf(state.jobSettings),
          state.jobSettings.diffuses()};
}

// The source arrays as the job's match and dither ask: the classic darkening ordered dither,
// the eye's centred one, or none where the eye diffuses its error instead.
void prepareJobSource(SharedState& state) {
  const JobSettings& s = state.jobSettings;
  const bool eye = s.match == engine::Match::Eye;
  const int level = eye && s.eyeDither != EyeDither::Ordered ? 0 : s.ditherLevel;
  prepareSource(state.sourceImage, level, state.sourceRgb.data(), state.sourceLuma.data(), s.tone,
                eye ? OrderedDither::Centred : OrderedDither::Darkening);
}

// The whole-picture passes that wait for the workers of a diffusing job: the error diffusion
// over every region's pairs, then the super flicker rotation. A stopped job has regions it
// never reached, and skips them.
void finishDiffusingJob(SharedState& state, bool stopped) {
  const JobSettings& s = state.jobSettings;
  if (!s.diffuses() || stopped) return;
  engine::DiffusionInputs in;
  in.sourceRgb = state.sourceRgb.data();
  in.palette = s.palette;
  in.exclusions = exclusionListOf(s);
  in.bands = s.fli;
  in.lightnessOnly = state.lumaOnly.load();
  engine::diffuseErrors(in, state.regions, state.planes);
  rotateFrames(variantFor(s), state.planes);
}

// The thread body of one worker. With the real engine the worker's CellWork lives on the
// worker's own stack, so nothing outlives the thread; the scratch it refers to lives in
// SharedState for the whole run.
std::function<void()> workerBody(SharedState& state, const WorkerPlan& plan, int worker,
                                 CellWork* substitute) {
  return [&state, plan, worker, substitute] {
    if (substitute != nullptr) {
      runWorker(plan, state.job.workers[worker], &state.job.wakeUp, state.lumaOnly, *substitute);
      return;
    }
    EngineCellWork work(state.workers[worker], cellOutputs(state));
    runWorker(plan, state.job.workers[worker], &state.job.wakeUp, state.lumaOnly, work);
  };
}

// One worker as a step function (JobSeams::startSteps): the work and the loop's position
// live with the function, since there is no thread stack to hold them.
std::function<bool()> workerSteps(SharedState& state, const WorkerPlan& plan, int worker,
                                  CellWork* substitute) {
  struct Held {
    std::unique_ptr<EngineCellWork> engine;
    std::unique_ptr<WorkerSteps> steps;
  };
  auto held = std::make_shared<Held>();
  CellWork* work = substitute;
  if (work == nullptr) {
    held->engine = std::make_unique<EngineCellWork>(state.workers[worker], cellOutputs(state));
    work = held->engine.get();
  }
  held->steps = std::make_unique<WorkerSteps>(plan, state.job.workers[worker], &state.job.wakeUp,
                                              state.lumaOnly, *work);
  return [held] { return held->steps->step(); };
}

void startThread(const JobSeams* seams, std::function<void()> body) {
  if (seams != nullptr && seams->startThread) {
    seams->startThread(std::move(body));
    return;
  }
  startDetachedThread(std::move(body));  // never joined: the worker ends by itself
}

void resetJobFlags(JobFlags& job) {
  job.busy.store(false);
  for (WorkerSignals& worker : job.workers) {
    worker.done.store(false);
    worker.stop.store(false);
  }
}

}  // namespace

std::span<const uint8_t> pairListOf(const JobSettings& settings) {
  if (settings.bruteForce) return kFullPairs;
  return kReducedPairs;
}

std::span<const uint8_t> exclusionListOf(const JobSettings& settings) {
  if (settings.lumaOverload) return kOverloadExclusions;
  return kBasicExclusions;
}

StartResult startJob(SharedState& state, const JobSettings& settings, std::string* error,
                     const JobSeams* seams) {
  JobFlags& job = state.job;
  if (jobRunning(state)) return StartResult::Busy;

  state.jobSettings = settings;
  prepareJobSource(state);
  state.lumaOnly.store(settings.lumaOnly);

  const SearchVariant variant = variantFor(settings);
  // Super flicker always runs on one worker: its post-pass needs the whole picture.
  const int workerCount = (settings.multithread && !isSuperFlicker(variant)) ? 2 : 1;

  const bool realEngine = seams == nullptr || !seams->work;
  if (realEngine) {
    for (int w = 0; w < workerCount; ++w) state.workers[w].searcher.prepare(searchInputs(state));
  }

  resetJobFlags(job);
  for (WorkerSignals& worker : job.workers) worker.rowsDone.store(0);
  job.workerCount.store(workerCount);
  job.busy.store(true);

  for (int w = 0; w < workerCount; ++w) {
    const WorkerPlan plan{variant, w, workerCount};
    CellWork* substitute = realEngine ? nullptr : &seams->work(w);
    if (seams != nullptr && seams->startSteps) {
      seams->startSteps(workerSteps(state, plan, w, substitute));
      continue;
    }
    try {
      startThread(seams, workerBody(state, plan, w, substitute));
    } catch (const std::exception& e) {
      if (w == 1) {
        // Worker A is running already: it must not go on writing while the job is idle, so
        // stop it and wait; it leaves its loop after the cell it is converting.
        WorkerSignals& a = job.workers[0];
        a.stop.store(true);
        job.wakeUp.wait([&a] { return a.done.load(std::memory_order_acquire); });
      }
      resetJobFlags(job);
      job.workerCount.store(0);
      if (error != nullptr) *error = std::string("cannot start a worker thread: ") + e.what();
      return StartResult::WorkerFailed;
    }
  }
  return StartResult::Started;
}

void requestStop(SharedState& state) {
  if (!jobRunning(state)) return;
  for (WorkerSignals& worker : state.job.workers) worker.stop.store(true);
}

bool jobFinished(const SharedState& state) {
  const JobFlags& job = state.job;
  const int count = job.workerCount.load();
  if (count == 0) return false;
  for (int w = 0; w < count; ++w) {
    if (!job.workers[w].done.load(std::memory_order_acquire)) return false;
  }
  return true;
}

int rowsDone(const SharedState& state) {
  return state.job.workers[0].rowsDone.load(std::memory_order_relaxed);
}

bool waitForJob(SharedState& state, int seenRows, std::chrono::milliseconds timeout) {
  // `finished` is read under the wake-up's lock, where the workers store their done flags:
  // once it is true, no worker touches the state again.
  bool finished = false;
  state.job.wakeUp.waitFor(
      [&] {
        finished = jobFinished(state);
        return finished || rowsDone(state) != seenRows;
      },
      timeout);
  return finished;
}

void completeJob(SharedState& state) {
  JobFlags& job = state.job;
  if (!jobRunning(state) || !jobFinished(state)) return;
  finishDiffusingJob(state, job.workers[0].stop.load() || job.workers[1].stop.load());
  resetJobFlags(job);
  state.result.settings = state.jobSettings;
  state.result.c64Data = assembleC64Data(state.planes, state.result.form());
  state.resultReady = true;
}

bool jobRunning(const SharedState& state) {
  return state.job.busy.load();
}

}  // namespace peltrix
