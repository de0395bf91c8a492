// Detached threads on Linux and in the browser build: POSIX threads through std::thread.
#include <thread>

#include "platform/threads.hpp"

namespace peltrix {

void startDetachedThread(std::function<void()> body) {
  std::thread(std::move(body)).detach();
}

}  // namespace peltrix
