// The platform's detached worker threads: the caller goes on at once, the body runs to its
// end and leaves nothing behind, and thread after thread keeps starting (on Windows the
// runtime's own detached threads once hung here when the machine was busy).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "core/job_wake_up.hpp"
#include "job_fakes.hpp"
#include "platform/threads.hpp"

namespace peltrix {
namespace {

// A count that threads raise and the test waits for, with a deadline instead of a hang.
class Counter {
 public:
  void raise() {
    wakeUp_.notifyWith([this] { count_.fetch_add(1); });
  }
  bool reaches(int count) {
    return wakeUp_.waitFor([&] { return count_.load() >= count; }, std::chrono::seconds(60));
  }

 private:
  JobWakeUp wakeUp_;
  std::atomic<int> count_{0};
};

TEST(DetachedThread, TheCallerGoesOnWhileTheBodyRunsAndTheBodyIsReleasedAfter) {
  // Shared with the thread, which may still be leaving raise() when the test has seen it.
  auto go = std::make_shared<testing::Gate>();
  auto ended = std::make_shared<Counter>();
  auto captured = std::make_shared<int>(7);
  startDetachedThread([go, ended, captured] {
    go->wait();  // held until the caller has come back
    ended->raise();
  });
  go->open();
  ASSERT_TRUE(ended->reaches(1));
  // The body and what it captured go with the thread.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (captured.use_count() > 1 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::yield();
  }
  EXPECT_EQ(captured.use_count(), 1);
}

TEST(DetachedThread, ThousandsStartOneAfterAnotherAndAllEnd) {
  auto ended = std::make_shared<Counter>();
  for (int i = 1; i <= 1000; ++i) {
    startDetachedThread([ended] { ended->raise(); });
    ASSERT_TRUE(ended->reaches(i)) << "thread " << i << " never ran";
  }
}

}  // namespace
}  // namespace peltrix
