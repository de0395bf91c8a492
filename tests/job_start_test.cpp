// "Process", "Stop" and the completion step with real worker threads running recording
// CellWorks: worker split, single-worker super flicker, busy refusal, working tables,
// failed thread starts, the deferred dither preparation and the job's own data form.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <system_error>
#include <thread>

#include "colour/rgb.hpp"
#include "core/commands.hpp"
#include "job_fakes.hpp"
#include "platform/threads.hpp"

namespace peltrix {
namespace {

using testing::Call;
using testing::finishJob;
using testing::Gate;
using testing::RecordingWork;

std::unique_ptr<SharedState> newState() {
  return std::make_unique<SharedState>();
}

JobSettings standardTwoWorkers() {
  JobSettings o;
  o.fli = false;
  return o;
}

TEST(JobStart, TwoWorkersCoverAllCellsExactlyOnceByColumnParity) {
  auto state = newState();
  RecordingWork a, b;
  a.planes = b.planes = &state->planes;
  const JobSeams seams = testing::seamsFor(a, b);
  // A reader polls the planes the whole time, as the window's refresh does.
  std::atomic<bool> stopReading{false};
  std::thread reader([&] {
    unsigned sink = 0;
    while (!stopReading.load()) {
      for (int i = 0; i < kPixels; i += 7) sink += state->planes.frames[i % 3].load(i);
    }
    EXPECT_NE(sink, 0xFFFFFFFFu);  // keeps the loads
  });
  ASSERT_EQ(startJob(*state, standardTwoWorkers(), nullptr, &seams), StartResult::Started);
  EXPECT_EQ(state->job.workerCount.load(), 2);
  finishJob(*state);
  stopReading.store(true);
  reader.join();

  std::set<std::pair<int, int>> seen;
  for (const auto& r : a.searches()) {
    EXPECT_EQ(r.cx % 2, 0);
    EXPECT_TRUE(seen.insert({r.cx, r.cy}).second) << "cell converted twice";
  }
  for (const auto& r : b.searches()) {
    EXPECT_EQ(r.cx % 2, 1);
    EXPECT_TRUE(seen.insert({r.cx, r.cy}).second) << "cell converted twice";
  }
  EXPECT_EQ(seen.size(), 1000u);
  // Every pixel of the three planes came through its own cell's render.
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      for (int f = 0; f < 3; ++f) {
        ASSERT_EQ(state->planes.frames[f].at(x, y), RecordingWork::frameOf(x / 8, y / 8, f));
      }
    }
  }
  EXPECT_TRUE(state->resultReady);
}

TEST(JobStart, SuperFlickerRunsOneWorkerEvenWithMultithreadOn) {
  for (bool fli : {false, true}) {
    auto state = newState();
    RecordingWork a, b;
    const JobSeams seams = testing::seamsFor(a, b);
    JobSettings o;
    o.multithread = true;
    o.superFlicker = true;
    o.fli = fli;
    ASSERT_EQ(startJob(*state, o, nullptr, &seams), StartResult::Started);
    EXPECT_EQ(state->job.workerCount.load(), 1);
    finishJob(*state);
    EXPECT_TRUE(b.records.empty());
    EXPECT_EQ(a.searches().size(), fli ? 4000u : 1000u);
    ASSERT_FALSE(a.records.empty());
    EXPECT_EQ(a.records.back().call, Call::PostPass);
    EXPECT_EQ(a.records.back().variant,
              fli ? SearchVariant::FliSuperFlicker : SearchVariant::SuperFlicker);
  }
}

TEST(JobStart, MultithreadOffRunsOneWorkerOverAllColumns) {
  auto state = newState();
  RecordingWork a, b;
  const JobSeams seams = testing::seamsFor(a, b);
  JobSettings o;
  o.multithread = false;
  ASSERT_EQ(startJob(*state, o, nullptr, &seams), StartResult::Started);
  finishJob(*state);
  EXPECT_TRUE(b.records.empty());
  EXPECT_EQ(a.searches().size(), 4000u);  // FLI: four bands for each of 1000 cells
  EXPECT_EQ(a.searches().front().variant, SearchVariant::Fli);
}

TEST(JobStart, SecondProcessWhileBusyIsIgnoredWithoutPreparingTheSource) {
  auto state = newState();
  RecordingWork a, b;
  Gate gate;
  a.onSearch = [&](int) { gate.wait(); };
  const JobSeams seams = testing::seamsFor(a, b);
  JobSettings first;
  first.bruteForce = true;
  first.lumaOverload = true;
  ASSERT_EQ(startJob(*state, first, nullptr, &seams), StartResult::Started);

  // While it runs: a new picture is in the source image and the options change.
  state->sourceImage.rgb.assign(kPixels, 0xFFFFFF);
  JobSettings second;
  second.bruteForce = false;
  second.lumaOverload = false;
  second.superFlicker = true;
  EXPECT_EQ(startJob(*state, second, nullptr, &seams), StartResult::Busy);
  EXPECT_EQ(state->sourceRgb[0], 0u) << "a refused Process must not prepare the source";
  EXPECT_EQ(state->jobSettings, first);
  EXPECT_EQ(state->job.workerCount.load(), 2);

  gate.open();
  finishJob(*state);
  EXPECT_EQ(a.searches().size() + b.searches().size(), 4000u);
  for (const auto& r : a.searches()) EXPECT_EQ(r.variant, SearchVariant::Fli);
}

TEST(JobStart, TheListsFollowTheSettings) {
  JobSettings o;
  EXPECT_EQ(pairListOf(o).size(), 121u);
  EXPECT_EQ(exclusionListOf(o).data(), kOverloadExclusions.data());
  o.bruteForce = false;
  o.lumaOverload = false;
  ASSERT_EQ(pairListOf(o).size(), 75u);
  EXPECT_TRUE(std::equal(kReducedPairs.begin(), kReducedPairs.end(), pairListOf(o).begin()));
  EXPECT_EQ(exclusionListOf(o).data(), kBasicExclusions.data());
}

TEST(JobStart, StopReachesBothWorkersAndIsIgnoredWhenIdle) {
  auto state = newState();
  requestStop(*state);
  EXPECT_FALSE(state->job.workers[0].stop.load());
  EXPECT_FALSE(state->job.workers[1].stop.load());

  RecordingWork a, b;
  Gate gate;
  a.onSearch = [&](int) { gate.wait(); };
  b.onSearch = [&](int) { gate.wait(); };
  const JobSeams seams = testing::seamsFor(a, b);
  ASSERT_EQ(startJob(*state, standardTwoWorkers(), nullptr, &seams), StartResult::Started);
  requestStop(*state);
  gate.open();
  finishJob(*state);
  // Each worker finishes the cell it was in, at most, and skips the rest.
  EXPECT_LE(a.searches().size(), 1u);
  EXPECT_LE(b.searches().size(), 1u);
  EXPECT_FALSE(state->job.workers[0].stop.load());  // cleared by the completion step
  EXPECT_TRUE(state->resultReady);                  // a stopped job's result may be saved
}

TEST(JobStart, CompletionWaitsForBothDoneFlags) {
  auto state = newState();
  RecordingWork a, b;
  Gate gate;
  b.onSearch = [&](int) { gate.wait(); };
  const JobSeams seams = testing::seamsFor(a, b);
  ASSERT_EQ(startJob(*state, standardTwoWorkers(), nullptr, &seams), StartResult::Started);
  while (!state->job.workers[0].done.load()) std::this_thread::yield();
  EXPECT_FALSE(jobFinished(*state));
  completeJob(*state);  // too early: must change nothing
  EXPECT_TRUE(state->job.busy.load());
  EXPECT_FALSE(state->resultReady);
  EXPECT_EQ(rowsDone(*state), 25);  // worker A has left its loop
  gate.open();
  finishJob(*state);
}

TEST(JobStart, FailingToStartTheFirstWorkerLeavesTheJobIdle) {
  auto state = newState();
  RecordingWork a, b;
  JobSeams seams = testing::seamsFor(a, b);
  seams.startThread = [](std::function<void()>) {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  };
  std::string error;
  EXPECT_EQ(startJob(*state, JobSettings{}, &error, &seams), StartResult::WorkerFailed);
  EXPECT_NE(error.find("worker"), std::string::npos) << error;
  EXPECT_FALSE(state->job.busy.load());
  EXPECT_FALSE(jobFinished(*state));
  EXPECT_FALSE(state->resultReady);
  EXPECT_TRUE(a.records.empty());
}

TEST(JobStart, FailingToStartWorkerBStopsWorkerAAndLeavesTheJobIdle) {
  auto state = newState();
  RecordingWork a, b;
  // Worker A holds its first cell until startJob tells it to stop (or 10 s have passed).
  a.onSearch = [&](int) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!state->job.workers[0].stop.load() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::yield();
    }
  };
  JobSeams seams = testing::seamsFor(a, b);
  int started = 0;
  seams.startThread = [&started](std::function<void()> body) {
    if (started++ == 1) throw std::system_error(std::make_error_code(std::errc::not_enough_memory));
    startDetachedThread(std::move(body));
  };
  std::string error;
  EXPECT_EQ(startJob(*state, standardTwoWorkers(), &error, &seams), StartResult::WorkerFailed);
  EXPECT_FALSE(error.empty());
  // Worker A has ended (startJob waited for it) and everything is back to idle.
  EXPECT_FALSE(state->job.busy.load());
  EXPECT_FALSE(state->job.workers[0].done.load());
  EXPECT_FALSE(state->job.workers[0].stop.load());
  EXPECT_FALSE(state->resultReady);
  EXPECT_LE(a.searches().size(), 1u) << "worker A was not stopped";
  EXPECT_TRUE(b.records.empty());

  // The next "Process" works normally.
  RecordingWork a2, b2;
  const JobSeams fresh = testing::seamsFor(a2, b2);
  ASSERT_EQ(startJob(*state, standardTwoWorkers(), nullptr, &fresh), StartResult::Started);
  finishJob(*state);
  EXPECT_EQ(a2.searches().size() + b2.searches().size(), 1000u);
}

// Settings changed during a job wait for the next: the job keeps its copy, its source
// arrays are not prepared again under the workers, and its result carries its own settings.
TEST(JobStart, ChangesDuringAJobWaitForTheNext) {
  auto state = newState();
  state->sourceImage.rgb.assign(kPixels, 0xFFFFFF);
  const Palette colodore = findPalette("colodore")->colours;
  RecordingWork a, b;
  Gate gate;
  a.onSearch = [&](int) { gate.wait(); };
  const JobSeams seams = testing::seamsFor(a, b);
  ASSERT_EQ(startJob(*state, state->chosen, nullptr, &seams), StartResult::Started);
  const std::vector<uint32_t> duringJob = state->sourceRgb;  // prepared at level 2

  setDitherLevel(*state, 0);
  state->chosen.palette = colodore;
  EXPECT_EQ(state->sourceRgb, duringJob) << "the workers' source changed under them";
  EXPECT_EQ(state->jobSettings.palette, kPalette);
  gate.open();
  finishJob(*state);
  EXPECT_EQ(state->result.settings.palette, kPalette);
  EXPECT_EQ(state->result.settings.ditherLevel, 2);

  testing::runRecordedJob(*state, true);
  EXPECT_EQ(state->result.settings.palette, colodore) << "the next job takes the new palette";
  EXPECT_EQ(state->sourceRgb, std::vector<uint32_t>(kPixels, 0xFFFFFF));  // level 0: no dither
}

TEST(JobStart, ResultIsAssembledInTheFormTheJobRanIn) {
  for (bool fli : {true, false}) {
    auto state = newState();
    testing::runRecordedJob(*state, fli);
    const DataForm form = fli ? DataForm::Fli : DataForm::NonFli;
    EXPECT_EQ(state->result.form(), form);
    EXPECT_EQ(state->result.c64Data, assembleC64Data(state->planes, form));
  }
}

// The real engine behind the job: two workers stopped at once end cleanly. Under the
// ThreadSanitizer build this checks the real worker path for races.
TEST(JobStart, RealEngineJobStoppedAtOnceEndsCleanly) {
  auto state = newState();
  JobSettings o;
  o.fli = true;
  ASSERT_EQ(startJob(*state, o), StartResult::Started);
  requestStop(*state);
  finishJob(*state);
  EXPECT_TRUE(state->resultReady);
  EXPECT_EQ(state->result.form(), DataForm::Fli);
}

}  // namespace
}  // namespace peltrix
