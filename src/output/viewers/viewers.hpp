// The seven C64 viewer programs, carried as byte blocks exactly as they go into a program
// file after its load address ($0800).
#pragma once

#include <cstdint>
#include <span>

namespace peltrix {

enum class Viewer { StandardPal, StandardNtsc, WholeFrame, FliPal, FliNtsc, MaskPal, MaskNtsc };

// The viewer's bytes, padded with zeros to its fixed length (4,096, or 4,608 / 4,864 for
// the FLI viewers).
std::span<const uint8_t> viewerProgram(Viewer viewer);

// The options a program file reads at the moment it is saved, besides the data's layout.
struct ViewerOptions {
  bool superFlicker = false;  // "Super Flicker reduction"
  bool ntsc = false;          // "NTSC"
  bool assLace = false;       // "Ass Lace" (read even while its box is disabled)
};

// Which viewer shows data of the given layout with these options.
Viewer chooseViewer(bool fliData, const ViewerOptions& options);

// Whether the viewer shows FLI data (the others show the standard layout).
constexpr bool showsFliData(Viewer viewer) {
  return viewer == Viewer::FliPal || viewer == Viewer::FliNtsc;
}

}  // namespace peltrix
