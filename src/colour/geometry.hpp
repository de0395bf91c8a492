// The C64 bitmap's geometry: 320 x 200 pixels in 40 x 25 cells of 8 x 8.
#pragma once

namespace peltrix {

constexpr int kWidth = 320;
constexpr int kHeight = 200;
constexpr int kPixels = kWidth * kHeight;
constexpr int kCellColumns = 40;
constexpr int kCellRows = 25;

}  // namespace peltrix
