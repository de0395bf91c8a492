// The worker loop on its own: cell order, band order, the per-cell stop and "Luma only
// mode" checks, the super flicker post-pass and the done flag, with a recording CellWork.
#include <gtest/gtest.h>

#include "job_fakes.hpp"

namespace peltrix {
namespace {

using testing::Call;
using testing::Record;
using testing::RecordingWork;

TEST(JobWorker, OneWorkerConvertsEveryCellRowMajor) {
  WorkerSignals flags;
  std::atomic<bool> luma{false};
  RecordingWork work;
  runWorker({SearchVariant::Standard, 0, 1}, flags, nullptr, luma, work);

  ASSERT_EQ(work.records.size(), 2000u);
  for (int i = 0; i < 1000; ++i) {
    const Record& search = work.records[2 * i];
    const Record& render = work.records[2 * i + 1];
    EXPECT_EQ(search.call, Call::SearchCell);
    EXPECT_EQ(search.variant, SearchVariant::Standard);
    EXPECT_EQ(search.cx, i % 40);
    EXPECT_EQ(search.cy, i / 40);
    EXPECT_EQ(render.call, Call::RenderCell);
    EXPECT_EQ(render.cx, search.cx);
    EXPECT_EQ(render.cy, search.cy);
  }
  EXPECT_EQ(flags.rowsDone.load(), 25);  // every row done: the progress bar shows full
  EXPECT_TRUE(flags.done.load());
}

TEST(JobWorker, SecondOfTwoWorkersTakesTheOddColumns) {
  WorkerSignals flags;
  std::atomic<bool> luma{false};
  RecordingWork work;
  runWorker({SearchVariant::Standard, 1, 2}, flags, nullptr, luma, work);
  const auto searches = work.searches();
  ASSERT_EQ(searches.size(), 500u);
  for (int i = 0; i < 500; ++i) {
    EXPECT_EQ(searches[i].cx, 2 * (i % 20) + 1);
    EXPECT_EQ(searches[i].cy, i / 20);
  }
}

TEST(JobWorker, FliSearchesAndRendersBandByBandInBandOrder) {
  for (SearchVariant variant : {SearchVariant::Fli, SearchVariant::FliSuperFlicker}) {
    WorkerSignals flags;
    std::atomic<bool> luma{false};
    RecordingWork work;
    runWorker({variant, 0, 1}, flags, nullptr, luma, work);
    const bool superFlicker = variant == SearchVariant::FliSuperFlicker;
    ASSERT_EQ(work.records.size(), 8000u + (superFlicker ? 1 : 0));
    for (int cell = 0; cell < 1000; ++cell) {
      for (int band = 0; band < 4; ++band) {
        const Record& search = work.records[cell * 8 + band * 2];
        const Record& render = work.records[cell * 8 + band * 2 + 1];
        ASSERT_EQ(search.call, Call::SearchBand);
        EXPECT_EQ(search.variant, variant);
        EXPECT_EQ(search.bandStart, band * 2);
        EXPECT_EQ(search.cx, cell % 40);
        EXPECT_EQ(search.cy, cell / 40);
        ASSERT_EQ(render.call, Call::RenderBand);
        EXPECT_EQ(render.bandStart, band * 2);
        EXPECT_EQ(render.cx, cell % 40);
      }
    }
    if (superFlicker) {
      EXPECT_EQ(work.records.back().call, Call::PostPass);
      EXPECT_EQ(work.records.back().variant, SearchVariant::FliSuperFlicker);
    }
  }
}

TEST(JobWorker, SuperFlickerRunsItsPostPassOnceAfterTheLastCellAndBeforeTheDoneFlag) {
  WorkerSignals flags;
  std::atomic<bool> luma{false};
  int doneDuringPostPass = -1;
  struct PostPassProbe : RecordingWork {
    WorkerSignals* flags;
    int* seen;
    void postPass(SearchVariant v) override {
      *seen = flags->done.load();
      RecordingWork::postPass(v);
    }
  } probe;
  probe.flags = &flags;
  probe.seen = &doneDuringPostPass;
  runWorker({SearchVariant::SuperFlicker, 0, 1}, flags, nullptr, luma, probe);
  ASSERT_EQ(probe.records.size(), 2001u);
  EXPECT_EQ(probe.records[1998].cx, 39);
  EXPECT_EQ(probe.records[1998].cy, 24);
  EXPECT_EQ(probe.records.back().call, Call::PostPass);
  EXPECT_EQ(probe.records.back().variant, SearchVariant::SuperFlicker);
  EXPECT_EQ(doneDuringPostPass, 0);
  EXPECT_TRUE(flags.done.load());
}

TEST(JobWorker, StopSkipsTheRemainingCellsButStillRunsThePostPass) {
  for (SearchVariant variant : {SearchVariant::SuperFlicker, SearchVariant::Standard}) {
    WorkerSignals flags;
    std::atomic<bool> luma{false};
    RecordingWork work;
    work.onSearch = [&](int index) {
      if (index == 57) flags.stop.store(true);  // "Stop" while cell 57 is being converted
    };
    runWorker({variant, 0, 1}, flags, nullptr, luma, work);
    const auto searches = work.searches();
    ASSERT_EQ(searches.size(), 58u) << "cells after the stop must be skipped";
    EXPECT_EQ(searches.back().cx, 57 % 40);
    EXPECT_EQ(searches.back().cy, 1);
    const bool superFlicker = variant == SearchVariant::SuperFlicker;
    EXPECT_EQ(work.records.back().call, superFlicker ? Call::PostPass : Call::RenderCell);
    EXPECT_EQ(flags.rowsDone.load(), 25);
    EXPECT_TRUE(flags.done.load());
  }
}

TEST(JobWorker, StopDuringAnFliCellFinishesItsBandsThenSkips) {
  WorkerSignals flags;
  std::atomic<bool> luma{false};
  RecordingWork work;
  work.onSearch = [&](int index) {
    if (index == 1) flags.stop.store(true);  // during band 2 of cell (0, 0)
  };
  runWorker({SearchVariant::Fli, 0, 1}, flags, nullptr, luma, work);
  const auto searches = work.searches();
  ASSERT_EQ(searches.size(), 4u);  // the cell is never left half converted
  EXPECT_EQ(searches.back().bandStart, 6);
}

TEST(JobWorker, LumaOnlyIsReadAfreshBeforeEveryCell) {
  WorkerSignals flags;
  std::atomic<bool> luma{false};
  RecordingWork work;
  work.onSearch = [&](int index) {
    if (index == 500) luma.store(true);  // ticked while cell 500 is converted
    if (index == 700) luma.store(false);
  };
  runWorker({SearchVariant::Standard, 0, 1}, flags, nullptr, luma, work);
  const auto searches = work.searches();
  ASSERT_EQ(searches.size(), 1000u);
  for (int i = 0; i < 1000; ++i) {
    const bool luma = i > 500 && i <= 700;
    EXPECT_EQ(searches[i].metric, luma ? engine::Metric::Luma : engine::Metric::Colour)
        << "cell " << i;
  }
}

TEST(JobWorker, LumaChangeDuringAnFliCellTakesEffectFromTheNextCell) {
  WorkerSignals flags;
  std::atomic<bool> luma{false};
  RecordingWork work;
  work.onSearch = [&](int index) {
    if (index == 4 * 10) luma.store(true);  // band 0 of cell 10
  };
  runWorker({SearchVariant::Fli, 0, 1}, flags, nullptr, luma, work);
  const auto searches = work.searches();
  for (int band = 0; band < 4; ++band) {
    EXPECT_EQ(searches[40 + band].metric, engine::Metric::Colour);
    EXPECT_EQ(searches[44 + band].metric, engine::Metric::Luma);
  }
}

}  // namespace
}  // namespace peltrix
