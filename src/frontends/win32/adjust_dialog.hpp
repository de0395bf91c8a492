// "Adjust": the tone dialog of the resources, a slider per tone value with its value beside
// it, "Reset" and OK. Every move reaches `changed` with the whole tone at once.
#pragma once

#include <windows.h>

#include <functional>

#include "colour/tone.hpp"

namespace peltrix::win32 {

// Modal over `owner`; returns once OK, Escape or the close box ends it.
void runAdjustDialog(HINSTANCE instance, HWND owner, const Tone& start,
                     const std::function<void(const Tone&)>& changed);

}  // namespace peltrix::win32
