#include "core/worker.hpp"

#include "core/job_wake_up.hpp"
#include "core/shared_state.hpp"
#include "output/preview_render.hpp"

namespace peltrix {

void EngineCellWork::searchCell(SearchVariant variant, int cx, int cy, engine::Metric metric) {
  if (isSuperFlicker(variant)) {
    scratch_.searcher.superFlickerCell(cx, cy, metric, scratch_.cell);
  } else {
    scratch_.searcher.standardCell(cx, cy, metric, scratch_.cell);
  }
}

void EngineCellWork::renderCell(int cx, int cy) {
  peltrix::renderCell(pictures_, cx, cy, scratch_.cell);
}

void EngineCellWork::searchBand(SearchVariant variant, int cx, int cy, int bandStart,
                                engine::Metric metric) {
  if (isSuperFlicker(variant)) {
    scratch_.searcher.fliSuperFlickerBand(cx, cy, bandStart, metric, scratch_.cell);
  } else {
    scratch_.searcher.fliBand(cx, cy, bandStart, metric, scratch_.cell);
  }
}

void EngineCellWork::renderBand(int cx, int cy, int bandStart) {
  peltrix::renderBand(pictures_, cx, cy, bandStart, scratch_.cell);
}

void EngineCellWork::postPass(SearchVariant variant) {
  if (variant == SearchVariant::FliSuperFlicker) {
    engine::horizontalFrameRotation(pictures_);
  } else if (variant == SearchVariant::SuperFlicker) {
    engine::superFlickerPostPass(pictures_);
  }
}

void WorkerSteps::ring() {
  if (flags_.wakeUp != nullptr) flags_.wakeUp->notify();
}

void WorkerSteps::convertRow(int row) {
  flags_.row.store(row, std::memory_order_relaxed);
  ring();
  for (int column = plan_.firstColumn; column < kCellColumns; column += plan_.columnStep) {
    if (flags_.stop.load(std::memory_order_relaxed) != 0) continue;
    flags_.column.store(column, std::memory_order_relaxed);
    const engine::Metric metric = lumaOnly_.load(std::memory_order_relaxed) != 0
                                      ? engine::Metric::Luma
                                      : engine::Metric::Colour;
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
  flags_.row.store(kCellRows, std::memory_order_relaxed);  // the progress bar shows full
  ring();
  if (isSuperFlicker(plan_.variant)) work_.postPass(plan_.variant);
  if (flags_.wakeUp == nullptr) {
    flags_.done.store(1, std::memory_order_release);
  } else {
    WorkerFlags& flags = flags_;
    flags_.wakeUp->notifyWith([&flags] { flags.done.store(1, std::memory_order_release); });
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

void runWorker(const WorkerPlan& plan, WorkerFlags flags, const std::atomic<int>& lumaOnly,
               CellWork& work) {
  WorkerSteps steps(plan, flags, lumaOnly, work);
  while (steps.step()) {
  }
}

}  // namespace peltrix
