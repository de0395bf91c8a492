// Waiting for the job without polling: a waiter that would sleep for an hour is woken by
// every row a worker begins and by the done flags, and may drop the state at once.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <thread>

#include "core/commands.hpp"
#include "frontends/cli/picture_run.hpp"
#include "job_fakes.hpp"
#include "picture_fixtures.hpp"
#include "platform/files.hpp"

namespace peltrix {
namespace {

using testing::Gate;
using testing::RecordingWork;

constexpr auto kForever = std::chrono::hours(1);  // a missing wake-up hangs the test

JobSettings oneWorker() {
  JobSettings o;
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

  EXPECT_FALSE(waitForJob(*state, 0, kForever));  // on row 0, no row done; row 1 wakes us
  EXPECT_EQ(rowsDone(*state), 1);
  rowOneReached.wait();
  EXPECT_FALSE(waitForJob(*state, 1, std::chrono::milliseconds(1)));  // nothing new: times out

  goOn.open();
  int rowsSeen = 0;
  while (!waitForJob(*state, rowsDone(*state), kForever)) ++rowsSeen;
  EXPECT_LE(rowsSeen, 24);  // at most one wake-up per row, then the done flag
  EXPECT_TRUE(jobFinished(*state));
  completeJob(*state);
  EXPECT_TRUE(state->resultReady);
}

TEST(JobWait, TwoWorkersFinishOnlyWhenBothAreDone) {
  auto state = std::make_unique<SharedState>();
  RecordingWork a, b;
  Gate holdB;
  b.onSearch = [&](int index) {
    if (index == 0) holdB.wait();
  };
  JobSettings o = oneWorker();
  o.multithread = true;
  const JobSeams seams = testing::seamsFor(a, b);
  ASSERT_EQ(startJob(*state, o, nullptr, &seams), StartResult::Started);
  // Worker A runs through while B waits; its done flag rings, but alone does not finish the job.
  state->job.wakeUp.wait([&] { return state->job.workers[0].done.load(); });
  EXPECT_FALSE(waitForJob(*state, rowsDone(*state), std::chrono::milliseconds(1)));
  holdB.open();
  while (!waitForJob(*state, rowsDone(*state), kForever)) {
  }
  EXPECT_TRUE(state->job.workers[1].done.load());
  completeJob(*state);
}

// A worker's last word is its done flag: the waiter may complete the job and destroy the
// state right away (ThreadSanitizer in `make test` watches the race this would be).
TEST(JobWait, TheStateMayGoAsSoonAsTheWaiterSeesTheJobDone) {
  for (int round = 0; round < 50; ++round) {
    auto state = std::make_unique<SharedState>();
    RecordingWork a, b;
    const JobSeams seams = testing::seamsFor(a, b);
    JobSettings o = oneWorker();
    o.multithread = round % 2 == 0;
    ASSERT_EQ(startJob(*state, o, nullptr, &seams), StartResult::Started);
    while (!waitForJob(*state, rowsDone(*state), kForever)) {
    }
    completeJob(*state);
    state.reset();
  }
}

// The command line's whole run with the real engine on two workers: it sleeps until they are
// done, then reads the frame pictures and writes them (ThreadSanitizer checks the hand-over).
TEST(JobWait, ACommandLineRunWritesWhatTheWorkersMade) {
  fixtures::ScratchDir dir;
  const std::string input =
      dir.write("in.png", fixtures::encodeRgbPng(320, 200, fixtures::distinct));
  cli::Request r;
  r.job.fli = false;
  const std::string raw = (dir.path() / "out.raw").string();
  const std::string png = (dir.path() / "blend.png").string();
  const cli::PlannedPicture picture{input,
                                    {{raw, cli::OutputKind::Raw}, {png, cli::OutputKind::Png}}};
  auto state = std::make_unique<SharedState>();
  cli::PictureReporting silent;
  silent.warnings = false;
  const cli::PictureResult result = cli::convertPicture(*state, picture, r, silent);
  ASSERT_EQ(result.status, cli::PictureResult::Status::Converted) << result.error;
  EXPECT_FALSE(jobRunning(*state));
  EXPECT_EQ(std::filesystem::file_size(raw), 27648u);
  // The same state converts again to the same bytes: nothing of one run leaks into the next.
  const std::vector<uint8_t> first = readWholeFile(raw, 1 << 20);
  r.force = true;
  ASSERT_EQ(cli::convertPicture(*state, picture, r, silent).status,
            cli::PictureResult::Status::Converted);
  EXPECT_EQ(readWholeFile(raw, 1 << 20), first);
}

}  // namespace
}  // namespace peltrix
