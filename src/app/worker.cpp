#include "app/worker.hpp"

#include "app/job_wake_up.hpp"
#include "app/shared_state.hpp"
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

void runWorker(const WorkerPlan& plan, WorkerFlags flags, const std::atomic<int>& lumaOnly,
               CellWork& work) {
  auto ring = [&flags] {
    if (flags.wakeUp != nullptr) flags.wakeUp->notify();
  };
  for (int row = 0; row < kCellRows; ++row) {
    flags.row.store(row, std::memory_order_relaxed);
    ring();
    for (int column = plan.firstColumn; column < kCellColumns; column += plan.columnStep) {
      if (flags.stop.load(std::memory_order_relaxed) != 0) continue;
      flags.column.store(column, std::memory_order_relaxed);
      const engine::Metric metric = lumaOnly.load(std::memory_order_relaxed) != 0
                                        ? engine::Metric::Luma
                                        : engine::Metric::Colour;
      if (!isFli(plan.variant)) {
        work.searchCell(plan.variant, column, row, metric);
        work.renderCell(column, row);
        continue;
      }
      for (int bandStart = 0; bandStart < 8; bandStart += 2) {
        work.searchBand(plan.variant, column, row, bandStart, metric);
        work.renderBand(column, row, bandStart);
      }
    }
  }
  flags.row.store(kCellRows, std::memory_order_relaxed);  // the progress bar shows full
  ring();
  if (isSuperFlicker(plan.variant)) work.postPass(plan.variant);
  if (flags.wakeUp == nullptr) {
    flags.done.store(1, std::memory_order_release);
  } else {
    flags.wakeUp->notifyWith([&flags] { flags.done.store(1, std::memory_order_release); });
  }
}

}  // namespace peltrix
