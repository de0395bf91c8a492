// 32-bit colour values in the two byte orders the converter uses.
#pragma once

#include <cstdint>

namespace peltrix {

// RGB value: red in bits 16-23, green 8-15, blue 0-7, bits 24-31 zero.
constexpr uint32_t packRgb(uint32_t r, uint32_t g, uint32_t b) {
  return ((r << 16) & 0xFF0000u) | ((g << 8) & 0xFF00u) | (b & 0xFFu);
}
constexpr uint32_t red(uint32_t v) { return (v >> 16) & 0xFF; }
constexpr uint32_t green(uint32_t v) { return (v >> 8) & 0xFF; }
constexpr uint32_t blue(uint32_t v) { return v & 0xFF; }

// Display value: the drawing library's order, red in bits 0-7 and blue in 16-23.
// Swapping the outer bytes converts either way; bits 24-31 are dropped.
constexpr uint32_t swapRedBlue(uint32_t v) {
  return ((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16);
}

}  // namespace peltrix
