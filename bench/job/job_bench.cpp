// Whole pictures through the window's job ("Process" to the completion step) with one and
// two workers, per mode and photo: the time a user waits. A plain program, so that it runs
// natively and, built for WebAssembly, under node (two workers there are two pthreads).
//
//   peltrix_job_bench [--runs N] [--filter TEXT] [--motion] [PHOTO ...]
// Default photos: the shared test photos. Prints one line per photo, mode and worker count:
// the fastest of N runs (default 3) and the median, in milliseconds. With --motion the
// waiting thread plays the picture in motion meanwhile, a video frame every 1/60 s as a
// window's view does, to show what a playing view costs a conversion.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "colour/geometry.hpp"
#include "core/commands.hpp"
#include "core/job.hpp"
#include "core/result_views.hpp"
#include "core/shared_state.hpp"

namespace peltrix {
namespace {

struct Mode {
  const char* name;
  bool fli, superFlicker, luma;
};

constexpr Mode kModes[] = {
    {"standard", false, false, false},
    {"standard-luma", false, false, true},
    {"fli", true, false, false},
    {"fli-luma", true, false, true},
    {"superflicker", false, true, false},
    {"superflicker-luma", false, true, true},
    {"fli-superflicker", true, true, false},
    {"fli-superflicker-luma", true, true, true},
};

// One job from "Process" to the completion step, in seconds.
double runOnce(SharedState& state, const Mode& mode, bool multithread, bool motion) {
  JobSettings options;  // the window's start-up states: "Brute Force", "Luma overload reduction"
  options.fli = mode.fli;
  options.superFlicker = mode.superFlicker;
  options.multithread = multithread;
  options.lumaOnly = mode.luma;
  const auto t0 = std::chrono::steady_clock::now();
  std::string error;
  if (startJob(state, options, &error) != StartResult::Started) {
    std::fprintf(stderr, "peltrix_job_bench: %s\n", error.c_str());
    std::exit(1);
  }
  const auto refresh = std::chrono::microseconds(16667);
  auto nextFrame = t0;
  int64_t videoFrame = 0;
  uint32_t sink = 0;
  while (!jobFinished(state)) {
    if (motion && std::chrono::steady_clock::now() >= nextFrame) {
      sink += motionView(state, videoFrame++)[kPixels / 2];
      nextFrame += refresh;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  if (sink == 1) std::fputc(' ', stderr);  // keeps the views from being optimised away
  completeJob(state);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

std::string baseName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int run(int argc, char** argv) {
  int runs = 3;
  std::string filter;
  bool motion = false;
  std::vector<std::string> photos;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--filter" && i + 1 < argc) {
      filter = argv[++i];
    } else if (a == "--motion") {
      motion = true;
    } else if (!a.empty() && a[0] == '-') {
      std::fprintf(stderr,
                   "usage: peltrix_job_bench [--runs N] [--filter TEXT] [--motion] [PHOTO ...]\n");
      return 2;
    } else {
      photos.push_back(a);
    }
  }
  if (photos.empty()) {
    for (const char* f :
         {"fruits.jpg", "baboon.jpg", "butterfly.jpg", "smarties.png", "HappyFish.jpg"}) {
      photos.push_back(std::string(PELTRIX_SHARED_DIR) + "/testdata/" + f);
    }
  }
  auto state = std::make_unique<SharedState>();  // large: the workers' scratch
  std::printf("%-16s %-22s %7s %9s %9s\n", "photo", "mode", "workers", "best_ms", "median_ms");
  for (const std::string& photo : photos) {
    const CommandResult opened = openPicture(*state, photo);
    if (!opened.ok()) {
      std::fprintf(stderr, "peltrix_job_bench: %s\n", opened.message.c_str());
      return 1;
    }
    for (const Mode& mode : kModes) {
      for (int workers : {1, 2}) {
        if (mode.superFlicker && workers == 2) continue;  // always one worker
        const std::string label = baseName(photo) + " " + mode.name + " " + std::to_string(workers);
        if (!filter.empty() && label.find(filter) == std::string::npos) continue;
        std::vector<double> times;
        for (int r = 0; r < runs; ++r) times.push_back(runOnce(*state, mode, workers == 2, motion));
        std::sort(times.begin(), times.end());
        std::printf("%-16s %-22s %7d %9.1f %9.1f\n", baseName(photo).c_str(), mode.name, workers,
                    times.front() * 1e3, times[times.size() / 2] * 1e3);
        std::fflush(stdout);
      }
    }
  }
  return 0;
}

}  // namespace
}  // namespace peltrix

int main(int argc, char** argv) {
  return peltrix::run(argc, argv);
}
