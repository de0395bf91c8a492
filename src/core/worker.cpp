#include "core/worker.hpp"

#include "core/job_wake_up.hpp"
#include "core/shared_state.hpp"

namespace peltrix {

void EngineCellWork::record(int cx, int cy, int band, const engine::SearchResult& r) {
  out_.regions->set(cx, cy, band, {out_.pairs[r.j], out_.pairs[r.k], out_.pairs[r.l]});
}

void EngineCellWork::searchCell(SearchVariant variant, int cx, int cy, engine::Metric metric) {
  engine::Searcher& s = scratch_.searcher;
  record(cx, cy, 0,
         isSuperFlicker(variant) ? s.superFlickerCell(cx, cy, metric, scratch_.cell)
                                 : s.standardCell(cx, cy, metric, scratch_.cell));
}

void EngineCellWork::renderCell(int cx, int cy) {
  out_.planes->storeRows(cx, cy, 0, 8, scratch_.cell);
}

void EngineCellWork::searchBand(SearchVariant variant, int cx, int cy, int bandStart,
                                engine::Metric metric) {
  engine::Searcher& s = scratch_.searcher;
  record(cx, cy, bandStart / 2,
         isSuperFlicker(variant) ? s.fliSuperFlickerBand(cx, cy, bandStart, metric, scratch_.cell)
                                 : s.fliBand(cx, cy, bandStart, metric, scratch_.cell));
}

void EngineCellWork::renderBand(int cx, int cy, int bandStart) {
  out_.planes->storeRows(cx, cy, bandStart, 2, scratch_.cell);
}

void EngineCellWork::postPass(SearchVariant variant) {
  if (out_.postPassAtCompletion) return;
  rotateFrames(variant, *out_.planes);
}

void rotateFrames(SearchVariant variant, engine::FramePlanes& planes) {
  if (variant == SearchVariant::FliSuperFlicker) {
    engine::horizontalFrameRotation(planes);
  } else if (variant == SearchVariant::SuperFlicker) {
    engine::superFlickerPostPass(planes);
  }
}

void WorkerSteps::ring() {
  if (wakeUp_ != nullptr) wakeUp_->notify();
}

void WorkerSteps::convertRow(int row) {
  signals_.rowsDone.store(row, std::memory_order_relaxed);
  ring();
  for (int column = plan_.firstColumn; column < kCellColumns; column += plan_.columnStep) {
    if (signals_.stop.load(std::memory_order_relaxed)) continue;
    const engine::Metric metric =
        lumaOnly_.load(std::memory_order_relaxed) ? engine::Metric::Luma : engine::Metric::Colour;
    if (!isFli(plan_.variant)) {
      work_.searchCell(plan_.variant, column, row, metric);
      work_.renderCell(column, row);
      continue;
    }
    for (int bandStart = 0; bandStart < 8; bandStart += 2) {
      work_.searchBand(plan_.variant, column, row, bandStart, metric);
      work_.renderBand(column, row, bandStart);
    }
  }
}

void WorkerSteps::finish() {
  signals_.rowsDone.store(kCellRows, std::memory_order_relaxed);  // the progress bar shows full
  ring();
  if (isSuperFlicker(plan_.variant)) work_.postPass(plan_.variant);
  WorkerSignals& signals = signals_;
  const auto markDone = [&signals] { signals.done.store(true, std::memory_order_release); };
  if (wakeUp_ == nullptr) {
    markDone();
  } else {
    wakeUp_->notifyWith(markDone);
  }
}

bool WorkerSteps::step() {
  if (nextRow_ < kCellRows) {
    convertRow(nextRow_++);
    return true;
  }
  if (nextRow_ == kCellRows) {
    ++nextRow_;
    finish();
  }
  return false;
}

void runWorker(const WorkerPlan& plan, WorkerSignals& signals, JobWakeUp* wakeUp,
               const std::atomic<bool>& lumaOnly, CellWork& work) {
  WorkerSteps steps(plan, signals, wakeUp, lumaOnly, work);
  while (steps.step()) {
  }
}

}  // namespace peltrix
