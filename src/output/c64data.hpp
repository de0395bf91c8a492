// C64 frame data assembly: the three planes of colour indices become three hires bitmaps with
// their screen (colour) memories, in the byte layout the viewer programs read.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/frame_planes.hpp"

namespace peltrix {

// The two layouts of assembled C64 data: one screen memory per frame (one colour pair per
// 8 x 8 cell), or four per frame (one colour pair per band of two pixel rows).
enum class DataForm { NonFli, Fli };

// Offset of band b's screen memory (pixel rows 2b and 2b + 1 of every cell) inside an FLI
// frame block: the viewer shows the memory at 0x000 for the last band, so bands 0..2
// follow it.
inline constexpr int kFliScreenOffset[4] = {0x400, 0x800, 0xC00, 0x000};

constexpr int kNonFliFrameBlock = 0x2400;
constexpr int kFliFrameBlock = 0x3000;
constexpr int kNonFliDataSize = 3 * kNonFliFrameBlock;  // 27,648 bytes
constexpr int kFliDataSize = 3 * kFliFrameBlock;        // 36,864 bytes

constexpr int dataSize(DataForm form) {
  return form == DataForm::Fli ? kFliDataSize : kNonFliDataSize;
}

// The frame 1, 2 and 3 planes assembled into dataSize(form) bytes. The indices are written
// as the search chose them, so a palette with two equal colours keeps both apart.
std::vector<uint8_t> assembleC64Data(const engine::FramePlanes& planes, DataForm form);

}  // namespace peltrix
