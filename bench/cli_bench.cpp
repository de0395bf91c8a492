// Whole conversions as peltrix-convert runs them, against the engine's own time.
//
// "single/<mode>": each iteration runs, back to back so both see the same machine load, the
// conversion job alone on a picture already loaded (start, sleep until the workers are done:
// the engine's time, "engine_ms") and then the whole single-picture run of the command line
// (read and decode fruits.jpg, prepare, the same job, assemble, write and commit the .prg:
// "whole_ms"). Both are the minimum over the iterations; "overhead_ms" is their difference,
// which the command line keeps within 5 ms in every mode. Both run on one worker, so that
// load on the machine's other core (these machines are shared) does not blur the comparison;
// what the command line adds around the job does not depend on the number of workers.
// "fli_colodore_toned" is "fli" with another palette and a tone, which must cost no more.
// "*_eye" are the same modes in the eye match (with its error diffusion), which must take at
// most twice the classic match's time.
// "batch/five_photos": the five shared photos converted by one batch, one SharedState.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/commands.hpp"
#include "core/job.hpp"
#include "frontends/cli/batch_run.hpp"
#include "frontends/cli/picture_run.hpp"

namespace peltrix::cli {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kPhotos = std::string(PELTRIX_SHARED_DIR) + "/testdata/";

struct Mode {
  const char* name;
  bool fli, superFlicker, luma;
  const char* palette = "pepto-pal";
  Tone tone{};
  engine::Match match = engine::Match::Classic;
};

const Mode kModes[] = {
    {"standard", false, false, false},
    {"fli", true, false, false},
    {"superflicker", false, true, false},
    {"fli_superflicker", true, true, false},
    {"standard_luma", false, false, true},
    {"fli_luma", true, false, true},
    {"fli_colodore_toned", true, false, false, "colodore", {-5, 25, 130, 120}},
    {"standard_eye", false, false, false, "pepto-pal", {}, engine::Match::Eye},
    {"fli_eye", true, false, false, "pepto-pal", {}, engine::Match::Eye},
    {"fli_superflicker_eye", true, true, false, "pepto-pal", {}, engine::Match::Eye},
};

// A scratch folder of the benchmark's own.
fs::path scratchFolder() {
  std::string pattern = (fs::temp_directory_path() / "peltrix-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

Request requestFor(const Mode& mode) {
  Request r;
  r.quiet = true;
  r.force = true;  // the same .prg every iteration
  r.job.multithread = false;
  r.job.fli = mode.fli;
  r.job.superFlicker = mode.superFlicker;
  r.job.lumaOnly = mode.luma;
  r.job.palette = loadPalette(mode.palette);
  r.job.tone = mode.tone;
  r.job.match = mode.match;
  return r;
}

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void singleRun(benchmark::State& st, const Mode* mode) {
  const std::string photo = kPhotos + "fruits.jpg";
  const fs::path folder = scratchFolder();
  if (!fs::exists(photo) || folder.empty()) {
    st.SkipWithError(("needs " + photo + " and a temporary folder").c_str());
    return;
  }
  const Request r = requestFor(*mode);
  const PlannedPicture picture{photo, {{(folder / "fruits.prg").string(), OutputKind::Program}}};
  auto state = std::make_unique<SharedState>();
  double engine = 1e30, whole = 1e30;
  for (auto _ : st) {
    // The engine alone, on the picture the previous whole run loaded.
    if (!openPicture(*state, photo).ok()) st.SkipWithError("cannot load the photo");
    Clock::time_point start = Clock::now();
    startJob(*state, r.job);
    while (!waitForJob(*state, rowsDone(*state), std::chrono::seconds(10))) {
    }
    engine = std::min(engine, millisecondsSince(start));
    completeJob(*state);

    start = Clock::now();
    PictureReporting silent;
    silent.warnings = false;
    const PictureResult result = convertPicture(*state, picture, r, silent);
    const double ms = millisecondsSince(start);
    if (result.status != PictureResult::Status::Converted) st.SkipWithError(result.error.c_str());
    whole = std::min(whole, ms);
    st.SetIterationTime(ms / 1000);
  }
  st.counters["engine_ms"] = engine;
  st.counters["whole_ms"] = whole;
  st.counters["overhead_ms"] = whole - engine;
  fs::remove_all(folder);
}

void batchRun(benchmark::State& st) {
  const fs::path folder = scratchFolder();
  Request r;
  r.quiet = true;
  r.force = true;
  r.outdir = folder.string();
  std::vector<PlannedPicture> pictures;
  for (const char* name :
       {"fruits.jpg", "baboon.jpg", "butterfly.jpg", "smarties.png", "HappyFish.jpg"}) {
    if (!fs::exists(kPhotos + name) || folder.empty()) {
      st.SkipWithError("needs the five photos of ../shared/testdata");
      return;
    }
    const std::string stem = fs::path(name).stem().string();
    pictures.push_back(
        {kPhotos + name, {{(folder / (stem + ".prg")).string(), OutputKind::Program}}});
  }
  auto state = std::make_unique<SharedState>();
  setDitherLevel(*state, r.job.ditherLevel);
  double best = 1e30;
  for (auto _ : st) {
    const Clock::time_point start = Clock::now();
    const BatchResult result = runBatch(*state, pictures, r, false);
    const double ms = millisecondsSince(start);
    if (result.converted != 5) st.SkipWithError("a picture failed");
    best = std::min(best, ms);
    st.SetIterationTime(ms / 1000);
  }
  st.counters["batch_ms"] = best;
  st.counters["per_picture_ms"] = best / 5;
  fs::remove_all(folder);
}

}  // namespace
}  // namespace peltrix::cli

int main(int argc, char** argv) {
  using namespace peltrix::cli;
  for (const Mode& mode : kModes) {
    benchmark::RegisterBenchmark((std::string("single/") + mode.name).c_str(), singleRun, &mode)
        ->Iterations(mode.superFlicker ? 60 : 30)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("batch/five_photos", batchRun)
      ->Iterations(5)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
