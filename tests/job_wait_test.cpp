// Waiting for the job without polling: a waiter that would sleep for an hour is woken by
// every row a worker begins and by the done flags, and may drop the state at once.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "job_fakes.hpp"

namespace peltrix {
namespace {

using testing::Gate;
using testing::RecordingWork;

constexpr auto kForever = std::chrono::hours(1);  // a missing wake-up hangs the test

JobOptions oneWorker() {
  JobOptions o;
  o.multithread = false;
  o.fli = false;
  return o;
}

TEST(JobWait, AWaiterIsWokenByTheNextRowAndByTheDoneFlag) {
  auto state = std::make_unique<SharedState>();
  RecordingWork a, b;
  Gate rowOneReached, goOn;
  a.onSearch = [&](int index) {
    if (index == kCellColumns) {  // the first cell of row 1: the row was stored and rung
      rowOneReached.open();
      goOn.wait();
    }
  };
  const JobSeams seams = testing::seamsFor(a, b);
  ASSERT_EQ(startJob(*state, oneWorker(), nullptr, &seams), StartResult::Started);

  EXPECT_FALSE(waitForJob(*state, 1, kForever));  // row 0 shows as 1; row 1 wakes us
  EXPECT_EQ(progressValue(*state), 2);
  rowOneReached.wait();
  EXPECT_FALSE(waitForJob(*state, 2, std::chrono::milliseconds(1)));  // nothing new: times out

  goOn.open();
  int rowsSeen = 0;
  while (!waitForJob(*state, progressValue(*state), kForever)) ++rowsSeen;
  EXPECT_LE(rowsSeen, 24);  // at most one wake-up per row, then the done flag
  EXPECT_TRUE(jobFinished(*state));
  completeJob(*state);
  EXPECT_EQ(state->resultReady, 1);
}

TEST(JobWait, TwoWorkersFinishOnlyWhenBothAreDone) {
  auto state = std::make_unique<SharedState>();
  RecordingWork a, b;
  Gate holdB;
  b.onSearch = [&](int index) {
    if (index == 0) holdB.wait();
  };
  JobOptions o = oneWorker();
  o.multithread = true;
  const JobSeams seams = testing::seamsFor(a, b);
  ASSERT_EQ(startJob(*state, o, nullptr, &seams), StartResult::Started);
  // Worker A runs through while B waits: A's done flag alone must not end the wait.
  while (state->job.doneA.load() == 0) waitForJob(*state, progressValue(*state), kForever);
  EXPECT_FALSE(waitForJob(*state, progressValue(*state), std::chrono::milliseconds(1)));
  holdB.open();
  while (!waitForJob(*state, progressValue(*state), kForever)) {
  }
  EXPECT_EQ(state->job.doneB.load(), 1);
  completeJob(*state);
}

// A worker's last word is its done flag: the waiter may complete the job and destroy the
// state right away (ThreadSanitizer in `make test` watches the race this would be).
TEST(JobWait, TheStateMayGoAsSoonAsTheWaiterSeesTheJobDone) {
  for (int round = 0; round < 50; ++round) {
    auto state = std::make_unique<SharedState>();
    RecordingWork a, b;
    const JobSeams seams = testing::seamsFor(a, b);
    JobOptions o = oneWorker();
    o.multithread = round % 2 == 0;
    ASSERT_EQ(startJob(*state, o, nullptr, &seams), StartResult::Started);
    while (!waitForJob(*state, progressValue(*state), kForever)) {
    }
    completeJob(*state);
    state.reset();
  }
}

}  // namespace
}  // namespace peltrix
