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

// Which viewer shows data of the given layout with these options.
Viewer chooseViewer(bool fliData, bool superFlicker, bool ntsc, bool assLace);

}  // namespace peltrix
