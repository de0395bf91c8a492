// The loop one worker thread runs over its cells, and the seam it reaches the engine and
// the renders through, so the cell order and the flag handling can be tested on their own.
#pragma once

#include <atomic>
#include <span>

#include "engine/error_diffusion.hpp"
#include "engine/frame_planes.hpp"
#include "engine/search.hpp"

namespace peltrix {

class JobWakeUp;

struct WorkerScratch;

// Which search a job runs, fixed when "Process" starts it.
enum class SearchVariant { Standard, SuperFlicker, Fli, FliSuperFlicker };

constexpr bool isFli(SearchVariant v) {
  return v == SearchVariant::Fli || v == SearchVariant::FliSuperFlicker;
}
constexpr bool isSuperFlicker(SearchVariant v) {
  return v == SearchVariant::SuperFlicker || v == SearchVariant::FliSuperFlicker;
}

// What a worker does with a cell. The job uses EngineCellWork; tests substitute a recorder.
class CellWork {
 public:
  virtual ~CellWork() = default;
  virtual void searchCell(SearchVariant variant, int cx, int cy, engine::Metric metric) = 0;
  virtual void renderCell(int cx, int cy) = 0;
  virtual void searchBand(SearchVariant variant, int cx, int cy, int bandStart,
                          engine::Metric metric) = 0;
  virtual void renderBand(int cx, int cy, int bandStart) = 0;
  // The whole-picture pass after a super flicker job's loop.
  virtual void postPass(SearchVariant variant) = 0;
};

// Where a worker's results go: the frame planes, and the pairs each region chose (by the
// job's pair list). A job whose whole-picture passes wait for its completion (the eye match's
// error diffusion comes before the super flicker rotation) leaves them out of the workers.
struct CellOutputs {
  engine::FramePlanes* planes = nullptr;
  engine::RegionChoices* regions = nullptr;
  std::span<const uint8_t> pairs;
  bool postPassAtCompletion = false;
};

// The real thing: one worker's Searcher and cell buffer set, storing into the frame planes.
// The Searcher must already be prepared with the job's inputs.
class EngineCellWork final : public CellWork {
 public:
  EngineCellWork(WorkerScratch& scratch, const CellOutputs& outputs)
      : scratch_(scratch), out_(outputs) {}
  void searchCell(SearchVariant variant, int cx, int cy, engine::Metric metric) override;
  void renderCell(int cx, int cy) override;
  void searchBand(SearchVariant variant, int cx, int cy, int bandStart,
                  engine::Metric metric) override;
  void renderBand(int cx, int cy, int bandStart) override;
  void postPass(SearchVariant variant) override;

 private:
  void record(int cx, int cy, int band, const engine::SearchResult& r);

  WorkerScratch& scratch_;
  CellOutputs out_;
};

// The super flicker variants' frame rotation over the whole picture; nothing for the others.
void rotateFrames(SearchVariant variant, engine::FramePlanes& planes);

// A worker's share of the job: its search and its columns (first, first + step, ... < 40).
struct WorkerPlan {
  SearchVariant variant = SearchVariant::Standard;
  int firstColumn = 0;
  int columnStep = 1;
};

// The counter and flags of one worker in SharedState::job.
struct WorkerSignals {
  // Rows it has finished, 0..25: the row it converts, 25 once its loop is over. Worker A's
  // drives the progress bar.
  std::atomic<int> rowsDone{0};
  std::atomic<bool> stop{false};  // "Stop": skip the remaining cells
  std::atomic<bool> done{false};  // it has left its loop
};

// Converts the plan's cells row by row. Before each cell it checks the stop flag (a stopped
// worker skips the cell) and reads `lumaOnly` afresh. FLI variants search and render band by
// band (band starts 0, 2, 4, 6). Super flicker variants run their post-pass after the loop,
// also after a stop. Finally stores 1 into the done flag with release, so everything the
// worker wrote is visible to whoever sees the flag with acquire. Rings `wakeUp` after each
// row store and after the done flag (nobody when it is null).
void runWorker(const WorkerPlan& plan, WorkerSignals& signals, JobWakeUp* wakeUp,
               const std::atomic<bool>& lumaOnly, CellWork& work);

// The same loop one row at a time, for a worker that has no thread of its own (the web page
// without threads runs it between its events): each step() converts the next row; the step
// after the last row finishes as runWorker does (post-pass, done flag) and returns false.
class WorkerSteps {
 public:
  WorkerSteps(const WorkerPlan& plan, WorkerSignals& signals, JobWakeUp* wakeUp,
              const std::atomic<bool>& lumaOnly, CellWork& work)
      : plan_(plan), signals_(signals), wakeUp_(wakeUp), lumaOnly_(lumaOnly), work_(work) {}
  // Returns whether more steps remain; false once the done flag is set (and ever after).
  bool step();

 private:
  void ring();
  void convertRow(int row);
  void finish();

  WorkerPlan plan_;
  WorkerSignals& signals_;
  JobWakeUp* wakeUp_;
  const std::atomic<bool>& lumaOnly_;
  CellWork& work_;
  int nextRow_ = 0;  // kCellRows: the finish is next; above it: done
};

}  // namespace peltrix
