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
#include "output/preview_render.hpp"

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
// With `pictures` set, renders write a colour derived from the cell into the preview arrays
// through the real cell and band renders.
class RecordingWork : public CellWork {
 public:
  std::vector<Record> records;
  std::function<void(int searchIndex)> onSearch;
  PreviewArrays* pictures = nullptr;

  void searchCell(SearchVariant v, int cx, int cy, engine::Metric m) override {
    search({Call::SearchCell, v, cx, cy, -1, m});
  }
  void renderCell(int cx, int cy) override {
    records.push_back({Call::RenderCell, SearchVariant::Standard, cx, cy});
    if (pictures) peltrix::renderCell(*pictures, cx, cy, buffersFor(cx, cy));
  }
  void searchBand(SearchVariant v, int cx, int cy, int s, engine::Metric m) override {
    search({Call::SearchBand, v, cx, cy, s, m});
  }
  void renderBand(int cx, int cy, int s) override {
    records.push_back({Call::RenderBand, SearchVariant::Standard, cx, cy, s});
    if (pictures) peltrix::renderBand(*pictures, cx, cy, s, buffersFor(cx, cy));
  }
  void postPass(SearchVariant v) override { records.push_back({Call::PostPass, v}); }

  std::vector<Record> searches() const {
    std::vector<Record> out;
    for (const Record& r : records) {
      if (r.call == Call::SearchCell || r.call == Call::SearchBand) out.push_back(r);
    }
    return out;
  }

  // The colour the renders give cell (cx, cy): a palette colour per frame, blend by cell.
  static uint32_t blendOf(int cx, int cy) { return 0x010000u * cx + 0x000100u * cy + 0x55u; }
  static uint32_t frameOf(int cx, int cy, int f) { return kPalette[(cx + cy + f) % 16]; }

 private:
  void search(const Record& r) {
    const int index = searchCount_++;
    records.push_back(r);
    if (onSearch) onSearch(index);
  }
  static engine::CellBuffers buffersFor(int cx, int cy) {
    engine::CellBuffers b;
    b.blend.fill(blendOf(cx, cy));
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

// Runs a whole job with "Per 2 line FLI" as given on two recorders that render a known
// pattern, and completes it.
inline void runRecordedJob(SharedState& state, bool fli) {
  RecordingWork a, b;
  a.pictures = b.pictures = &state.preview;
  const JobSeams seams = seamsFor(a, b);
  JobOptions options;
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
