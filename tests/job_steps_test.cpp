// A job whose workers run as step functions on the caller's thread (the web page without
// threads): one row per step, "Stop" between steps, the post-pass and done flag on the last
// step, and the very same pictures and C64 data as worker threads give.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "colour/rgb.hpp"
#include "core/job.hpp"
#include "job_fakes.hpp"

namespace peltrix {
namespace {

using testing::Call;
using testing::finishJob;
using testing::RecordingWork;

// Seams that collect the step functions instead of starting threads.
struct SteppedSeams {
  std::vector<std::function<bool()>> steps;
  JobSeams seams;
  explicit SteppedSeams(RecordingWork* a = nullptr, RecordingWork* b = nullptr) {
    if (a != nullptr) {
      seams.work = [a, b](int worker) -> CellWork& { return worker == 0 ? *a : *b; };
    }
    seams.startSteps = [this](std::function<bool()> step) { steps.push_back(std::move(step)); };
  }
  // Steps every worker in turn until all are done; returns the number of rounds.
  int runAll() {
    int rounds = 0;
    for (bool more = true; more; ++rounds) {
      more = false;
      for (auto& step : steps) more = step() || more;
    }
    return rounds;
  }
};

int searchesInRow(const RecordingWork& work, int row) {
  int n = 0;
  for (const auto& r : work.searches()) n += r.cy == row ? 1 : 0;
  return n;
}

TEST(JobSteps, EachStepConvertsOneRowAndTheLastSetsTheDoneFlag) {
  auto state = std::make_unique<SharedState>();
  RecordingWork a, b;
  SteppedSeams stepped(&a, &b);
  JobSettings options;
  options.fli = false;
  ASSERT_EQ(startJob(*state, options, nullptr, &stepped.seams), StartResult::Started);
  ASSERT_EQ(stepped.steps.size(), 2u);
  EXPECT_TRUE(jobRunning(*state));

  for (int row = 0; row < kCellRows; ++row) {
    ASSERT_TRUE(stepped.steps[0]());
    EXPECT_EQ(rowsDone(*state), row);
    EXPECT_EQ(searchesInRow(a, row), kCellColumns / 2) << "row " << row;
    EXPECT_EQ(static_cast<int>(a.searches().size()), (row + 1) * kCellColumns / 2);
    EXPECT_FALSE(jobFinished(*state));
  }
  EXPECT_TRUE(b.searches().empty());  // nothing runs behind the caller's back
  EXPECT_FALSE(stepped.steps[0]());   // the finish: done flag, no more cells
  EXPECT_TRUE(state->job.workers[0].done.load());
  EXPECT_FALSE(stepped.steps[0]());  // and nothing ever after
  EXPECT_EQ(static_cast<int>(a.searches().size()), kCellRows * kCellColumns / 2);
  EXPECT_FALSE(jobFinished(*state));  // worker B has not run yet

  while (stepped.steps[1]()) {
  }
  ASSERT_TRUE(jobFinished(*state));
  completeJob(*state);
  EXPECT_TRUE(state->resultReady);
  EXPECT_FALSE(jobRunning(*state));
}

TEST(JobSteps, StopBetweenStepsSkipsTheRestAndSuperFlickerStillRunsItsPostPass) {
  auto state = std::make_unique<SharedState>();
  RecordingWork a, b;
  SteppedSeams stepped(&a, &b);
  JobSettings options;
  options.fli = true;
  options.superFlicker = true;
  ASSERT_EQ(startJob(*state, options, nullptr, &stepped.seams), StartResult::Started);
  ASSERT_EQ(stepped.steps.size(), 1u);  // super flicker: one worker
  ASSERT_TRUE(stepped.steps[0]());
  ASSERT_TRUE(stepped.steps[0]());
  requestStop(*state);
  EXPECT_EQ(stepped.runAll(), kCellRows - 2 + 1);
  EXPECT_EQ(a.searches().size(), 2u * kCellColumns * 4);  // two rows of four bands a cell
  ASSERT_FALSE(a.records.empty());
  EXPECT_EQ(a.records.back().call, Call::PostPass);
  EXPECT_EQ(a.records.back().variant, SearchVariant::FliSuperFlicker);
  ASSERT_TRUE(jobFinished(*state));
  completeJob(*state);
  EXPECT_TRUE(state->resultReady);
  EXPECT_EQ(state->result.form(), DataForm::Fli);
}

// A picture with some structure, so that every search has work to do.
void loadGradient(SharedState& state) {
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      state.sourceImage.rgb[y * kWidth + x] =
          packRgb(static_cast<uint8_t>(x * 255 / (kWidth - 1)), static_cast<uint8_t>(y + 40),
                  static_cast<uint8_t>((x ^ y) & 0xFF));
    }
  }
}

TEST(JobSteps, RealEngineInStepsGivesTheThreadsPicturesAndData) {
  for (const bool fli : {false, true}) {
    for (const bool superFlicker : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "fli " << fli << " super flicker " << superFlicker);
      JobSettings options;
      options.fli = fli;
      options.superFlicker = superFlicker;

      auto threaded = std::make_unique<SharedState>();
      loadGradient(*threaded);
      ASSERT_EQ(startJob(*threaded, options), StartResult::Started);
      finishJob(*threaded);

      auto stepped = std::make_unique<SharedState>();
      loadGradient(*stepped);
      SteppedSeams seams;
      ASSERT_EQ(startJob(*stepped, options, nullptr, &seams.seams), StartResult::Started);
      seams.runAll();
      ASSERT_TRUE(jobFinished(*stepped));
      completeJob(*stepped);

      EXPECT_EQ(threaded->result.c64Data, stepped->result.c64Data);
      int differing = 0;
      for (int i = 0; i < kPixels; ++i) {
        for (int f = 0; f < 3; ++f) {
          differing += threaded->planes.frames[f].load(i) != stepped->planes.frames[f].load(i);
        }
      }
      EXPECT_EQ(differing, 0);
    }
  }
}

}  // namespace
}  // namespace peltrix
