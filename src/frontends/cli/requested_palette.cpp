#include "frontends/cli/requested_palette.hpp"

namespace peltrix::cli {

Palette loadRequestedPalette(const Request& request) {
  if (!request.paletteName) return request.job.palette;
  try {
    return loadPalette(*request.paletteName);
  } catch (const PaletteError& e) {
    throw UsageError(std::string("--palette: ") + e.what());
  }
}

}  // namespace peltrix::cli
