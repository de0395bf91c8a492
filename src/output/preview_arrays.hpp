// The four whole-picture preview arrays: the blend picture and the three frame pictures.
// Workers write them cell by cell while the GUI thread reads them at any moment, so every
// element is accessed as a whole 32-bit atomic (relaxed): a reader never sees half a pixel.
#pragma once

#include <cstdint>
#include <vector>

#include "colour/geometry.hpp"
#include "platform/relaxed_atomic.hpp"

namespace peltrix {

// One 320 x 200 picture of RGB values (colour/rgb.hpp), pixel (x, y) at element y * 320 + x.
class PixelPlane {
 public:
  PixelPlane() : pixels_(kPixels, 0) {}
  uint32_t load(int i) const { return relaxedLoad(pixels_[i]); }
  void store(int i, uint32_t v) { relaxedStore(pixels_[i], v); }
  uint32_t at(int x, int y) const { return load(y * kWidth + x); }

 private:
  mutable std::vector<uint32_t> pixels_;
};

struct PreviewArrays {
  PixelPlane blend;
  PixelPlane frames[3];  // frame 1, frame 2, frame 3
};

}  // namespace peltrix
