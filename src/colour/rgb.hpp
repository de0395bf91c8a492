// 32-bit RGB colour values, the one form every picture of the converter holds.
#pragma once

#include <cstdint>

namespace peltrix {

// RGB value: red in bits 16-23, green 8-15, blue 0-7, bits 24-31 zero.
constexpr uint32_t packRgb(uint32_t r, uint32_t g, uint32_t b) {
  return ((r << 16) & 0xFF0000u) | ((g << 8) & 0xFF00u) | (b & 0xFFu);
}
constexpr uint32_t red(uint32_t v) {
  return (v >> 16) & 0xFF;
}
constexpr uint32_t green(uint32_t v) {
  return (v >> 8) & 0xFF;
}
constexpr uint32_t blue(uint32_t v) {
  return v & 0xFF;
}

}  // namespace peltrix
