#include "frontends/window/quality_status.hpp"

#include <cstdio>
#include <vector>

#include "colour/tone.hpp"

namespace peltrix {

std::string qualityStatusText(const QualityReport& q) {
  char text[160];
  std::snprintf(text, sizeof text,
                "Error %.2f mean, %.2f p95 (CIEDE2000); flicker %.4f mean, %.1f %% above 0.02",
                q.errorMean, q.errorP95, q.flickerMean, 100 * q.flickerShareAbove002);
  return text;
}

std::string conversionReportText(const SharedState& state) {
  const JobSettings& made = state.result.settings;
  const std::vector<uint32_t> source = tonedPixels(state.sourceImage.rgb, made.tone);
  return qualityStatusText(qualityReport(source, state.planes, made.palette));
}

}  // namespace peltrix
