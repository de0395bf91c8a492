// The four whole-picture preview arrays: the blend picture and the three frame pictures.
// Workers write them cell by cell while the GUI thread reads them at any moment, so every
// element is accessed as a whole 32-bit atomic (relaxed): a reader never sees half a pixel.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "colour/geometry.hpp"

namespace peltrix {

// One 320 x 200 picture of display values, pixel (x, y) at element y * 320 + x.
class PixelPlane {
 public:
  PixelPlane() : pixels_(kPixels, 0) {}
  uint32_t load(int i) const {
    return std::atomic_ref<uint32_t>(pixels_[i]).load(std::memory_order_relaxed);
  }
  void store(int i, uint32_t v) {
    std::atomic_ref<uint32_t>(pixels_[i]).store(v, std::memory_order_relaxed);
  }
  uint32_t at(int x, int y) const { return load(y * kWidth + x); }

 private:
  mutable std::vector<uint32_t> pixels_;
};

struct PreviewArrays {
  PixelPlane blend;
  PixelPlane frames[3];  // frame 1, frame 2, frame 3
};

}  // namespace peltrix
