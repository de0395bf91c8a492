#include "output/viewers/viewers.hpp"

#include <cstddef>

namespace peltrix {

namespace viewer_bytes {
// Defined in the generated viewer_bytes.cpp, in the order of the build's viewer list.
extern const uint8_t viewer0[4096];  // standard, PAL
extern const uint8_t viewer1[4096];  // standard, NTSC
extern const uint8_t viewer2[4096];  // whole-frame
extern const uint8_t viewer3[4608];  // FLI, PAL
extern const uint8_t viewer4[4864];  // FLI, NTSC
extern const uint8_t viewer5[4096];  // mask, PAL
extern const uint8_t viewer6[4096];  // mask, NTSC
}  // namespace viewer_bytes

std::span<const uint8_t> viewerProgram(Viewer viewer) {
  using namespace viewer_bytes;
  switch (viewer) {
    case Viewer::StandardPal:
      return viewer0;
    case Viewer::StandardNtsc:
      return viewer1;
    case Viewer::WholeFrame:
      return viewer2;
    case Viewer::FliPal:
      return viewer3;
    case Viewer::FliNtsc:
      return viewer4;
    case Viewer::MaskPal:
      return viewer5;
    case Viewer::MaskNtsc:
      return viewer6;
  }
  return viewer0;  // unreachable for a valid enumerator
}

Viewer chooseViewer(bool fliData, const ViewerOptions& options) {
  const auto [superFlicker, ntsc, assLace] = options;
  // FLI data needs the FLI viewer whatever the other options say; super flicker
  // reduction alternates whole frames; "Ass Lace" only matters for the standard layout.
  if (fliData) return ntsc ? Viewer::FliNtsc : Viewer::FliPal;
  if (superFlicker) return Viewer::WholeFrame;
  if (assLace) return ntsc ? Viewer::MaskNtsc : Viewer::MaskPal;
  return ntsc ? Viewer::StandardNtsc : Viewer::StandardPal;
}

}  // namespace peltrix
