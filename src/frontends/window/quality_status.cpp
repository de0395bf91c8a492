#include "frontends/window/quality_status.hpp"

#include "core/result_views.hpp"

namespace peltrix {

std::string qualityStatusText(const QualityReport& q) {
  return "Error " + qualityFigures(q);
}

std::string conversionReportText(const SharedState& state) {
  return qualityStatusText(resultQuality(state));
}

}  // namespace peltrix
