// The quality report of a finished conversion as both windows' status line shows it: the
// command line's --report figures, at its precision.
#pragma once

#include <string>

#include "core/shared_state.hpp"
#include "output/quality.hpp"

namespace peltrix {

// "Error 3.79 mean, 10.43 p95 (CIEDE2000); flicker 0.0121 mean, 20.3 % above 0.02".
std::string qualityStatusText(const QualityReport& report);

// The report of the last finished conversion: what the eye sees of its frames against the
// source framed and toned as that conversion prepared it (its own tone and palette, whatever
// has been chosen since).
std::string conversionReportText(const SharedState& state);

}  // namespace peltrix
