// How a thread that waits for the conversion job (the command line) sleeps until there is
// something to see: the workers call notify() when a row begins and when they are done. The
// flags themselves stay lock-free atomics; the mutex only closes the gap between a waiter's
// last look at them and its going to sleep, so no notification is ever lost.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace peltrix {

class JobWakeUp {
 public:
  // Called by a worker after it has stored the flag or counter that changed.
  void notify() {
    { std::lock_guard<std::mutex> lock(mutex_); }
    changed_.notify_all();
  }

  // Makes `change` and notifies, both under the lock: for a worker's last word (its done
  // flag), after which the waiter may end the job and even destroy the state holding this
  // object; the worker touches nothing here once the waiter can run on.
  template <class Change>
  void notifyWith(Change change) {
    std::lock_guard<std::mutex> lock(mutex_);
    change();
    changed_.notify_all();
  }

  // Returns once `seen()` is true, or after `timeout` at the latest; returns `seen()`.
  template <class Predicate>
  bool waitFor(Predicate seen, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, seen);
  }

  // Returns once `seen()` is true, however long that takes.
  template <class Predicate>
  void wait(Predicate seen) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, seen);
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
};

}  // namespace peltrix
