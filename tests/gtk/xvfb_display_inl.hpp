#pragma once

#include <glib.h>

namespace peltrix::testing {

template <typename Predicate>
bool pumpUntil(Predicate done, double seconds) {
  const gint64 deadline = g_get_monotonic_time() + static_cast<gint64>(seconds * 1e6);
  while (!done()) {
    if (g_get_monotonic_time() > deadline) return done();
    // Non-blocking, so a quiet main loop cannot outlast the deadline.
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(1000);
  }
  return true;
}

}  // namespace peltrix::testing
