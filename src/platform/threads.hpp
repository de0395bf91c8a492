// Starting a worker thread that nobody joins: it ends by returning from `body`, and the
// process may end while it still runs. threads_posix.cpp and threads_windows.cpp implement
// it with each platform's own threads.
#pragma once

#include <functional>

namespace peltrix {

// Runs `body` on a new detached thread. Throws std::system_error when no thread can be
// started; `body` has then not run.
void startDetachedThread(std::function<void()> body);

}  // namespace peltrix
