// A private X server for the window tests: Xvfb on a display number it picks itself, so the
// tests never draw on the developer's screen and never clash with another test process.
#pragma once

#include <string>

namespace peltrix::testing {

// Starts Xvfb (once per process), points DISPLAY at it and initialises GTK. Returns "" when
// the window can be tested, otherwise why not (for GTEST_SKIP).
const std::string& gtkUnavailableReason();

// Runs the GTK main loop until `done()` holds or `seconds` have passed; returns done().
template <typename Predicate>
bool pumpUntil(Predicate done, double seconds);

// Handles every event that is already waiting.
void pumpPending();

}  // namespace peltrix::testing

#include "xvfb_display_inl.hpp"
