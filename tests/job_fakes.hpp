// Test doubles for the conversion job: a CellWork that records every call a worker makes
// (and can act at a chosen call), and helpers to wait for a job.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "colour/tables.hpp"
#include "core/job.hpp"
#include "core/worker.hpp"
#include "engine/frame_planes.hpp"

namespace peltrix::testing {

enum class Call { SearchCell, RenderCell, SearchBand, RenderBand, PostPass };

struct Record {
  Call call;
  SearchVariant variant = SearchVariant::Standard;
  int cx = -1, cy = -1, bandStart = -1;
  engine::Metric metric = engine::Metric::Colour;
};

// Records the calls of one worker. Only that worker touches it while the job runs.
// `onSearch` runs inside every search with the number of searches made so far (0-based).
// With `planes` set, renders write colour indices derived from the cell into the frame planes
// as the real cell and band renders do.
class RecordingWork : public CellWork {
 public:
  std::vector<Record> records;
  std::function<void(int searchIndex)> onSearch;
  engine::FramePlanes* planes = nullptr;

  void searchCell(SearchVariant v, int cx, int cy, engine::Metric m) override {
    search({Call::SearchCell, v, cx, cy, -1, m});
  }
  void renderCell(int cx, int cy) override {
    records.push_back({Call::RenderCell, SearchVariant::Standard, cx, cy});
    if (planes) planes->storeRows(cx, cy, 0, 8, buffersFor(cx, cy));
  }
  void searchBand(SearchVariant v, int cx, int cy, int s, engine::Metric m) override {
    search({Call::SearchBand, v, cx, cy, s, m});
  }
  void renderBand(int cx, int cy, int s) override {
    records.push_back({Call::RenderBand, SearchVariant::Standard, cx, cy, s});
    if (planes) planes->storeRows(cx, cy, s, 2, buffersFor(cx, cy));
  }
  void postPass(SearchVariant v) override { records.push_back({Call::PostPass, v}); }

  std::vector<Record> searches() const {
    std::vector<Record> out;
    for (const Record& r : records) {
      if (r.call == Call::SearchCell || r.call == Call::SearchBand) out.push_back(r);
    }
    return out;
  }

  // The colour index the renders give frame f of cell (cx, cy).
  static uint8_t frameOf(int cx, int cy, int f) { return static_cast<uint8_t>((cx + cy + f) % 16); }

 private:
  void search(const Record& r) {
    const int index = searchCount_++;
    records.push_back(r);
    if (onSearch) onSearch(index);
  }
  static engine::CellBuffers buffersFor(int cx, int cy) {
    engine::CellBuffers b;
    for (int f = 0; f < 3; ++f) b.frames[f].fill(frameOf(cx, cy, f));
    return b;
  }
  int searchCount_ = 0;
};

// Seams that hand out the two recorders and start real (detached) threads.
inline JobSeams seamsFor(RecordingWork& a, RecordingWork& b) {
  JobSeams seams;
  seams.work = [&a, &b](int worker) -> CellWork& { return worker == 0 ? a : b; };
  return seams;
}

// Sleeps until the job's done flags are set, as the command line does, then completes it.
inline void finishJob(SharedState& state) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!waitForJob(state, rowsDone(state), std::chrono::seconds(1))) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "job never finished";
  }
  completeJob(state);
  ASSERT_FALSE(state.job.busy.load());
}

// Runs a whole job with the state's chosen settings and "Per 2 line FLI" as given on two
// recorders that render a known pattern, and completes it.
inline void runRecordedJob(SharedState& state, bool fli) {
  RecordingWork a, b;
  a.planes = b.planes = &state.planes;
  const JobSeams seams = seamsFor(a, b);
  JobSettings options = state.chosen;
  options.fli = fli;
  ASSERT_EQ(startJob(state, options, nullptr, &seams), StartResult::Started);
  finishJob(state);
}

// A one-way gate a worker can wait at until the test opens it.
class Gate {
 public:
  void open() { open_.store(true, std::memory_order_release); }
  void wait() const {
    while (!open_.load(std::memory_order_acquire)) {
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
  }

 private:
  std::atomic<bool> open_{false};
};

}  // namespace peltrix::testing
