// The canvas the decoders fill: a fixed 320 x 200 window, or a whole picture within a bound.
#include <new>

#include "colour/decode_formats.hpp"

namespace peltrix {

namespace {

uint64_t ceilDiv(uint64_t a, uint64_t b) {
  return (a + b - 1) / b;
}

}  // namespace

unsigned Canvas::jpegDenominator(uint32_t width, uint32_t height) const noexcept {
  if (!keep_.whole) return 1;
  const KeepRequest::Size need =
      keep_.minimumSize ? keep_.minimumSize(width, height) : KeepRequest::Size{width, height};
  unsigned best = 1;
  for (unsigned d = 2; d <= 8; d *= 2) {
    const uint64_t w = ceilDiv(width, d), h = ceilDiv(height, d);
    const bool bigEnough = w >= need.width && h >= need.height;
    const bool overBound = ceilDiv(width, best) * ceilDiv(height, best) > kMaxWholePixels;
    if (bigEnough || overBound) best = d;
  }
  return best;
}

Canvas::Opened Canvas::open(uint32_t width, uint32_t height) noexcept {
  if (keep_.whole) {
    if (uint64_t{width} * height > kMaxWholePixels) return Opened::TooLarge;
    left_ = top_ = 0;
    columns_ = width;
    rows_ = height;
  } else {
    left_ = keep_.left;
    top_ = keep_.top;
    columns_ = kWidth;
    rows_ = kHeight;
  }
  try {
    pixels_.assign(std::size_t{columns_} * rows_, 0);
  } catch (const std::bad_alloc&) {
    return Opened::NoMemory;
  }
  return Opened::Ok;
}

DecodedPicture Canvas::take(uint32_t width, uint32_t height) {
  DecodedPicture out;
  out.width = width;
  out.height = height;
  out.columns = columns_;
  out.rows = rows_;
  out.rgb = std::move(pixels_);
  out.transparencyFlattened = flattened_;
  return out;
}

void failOpen(const std::string& name, Canvas::Opened why, uint32_t width, uint32_t height) {
  const std::string size = std::to_string(width) + " x " + std::to_string(height);
  if (why == Canvas::Opened::NoMemory) failLoad(name, "not enough memory for " + size + " pixels");
  failLoad(name, "picture too large to scale (" + size + "; at most " +
                     std::to_string(kMaxWholePixels) + " pixels)");
}

}  // namespace peltrix
