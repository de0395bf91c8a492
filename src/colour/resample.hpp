// Scaling a picture with stb_image_resize: in linear light (sRGB decoded and encoded by
// stb's tables), Catmull-Rom along an axis that is enlarged or kept, Mitchell along one that
// shrinks, edges clamped. Plain float arithmetic in a fixed order, so the same inputs give the
// same bytes on every compiler that keeps IEEE float (no fast-math, no fused multiply-adds).
#pragma once

#include <cstdint>
#include <vector>

namespace peltrix {

// A rectangle of a picture in picture pixels; fractional edges are sampled as such.
struct PictureRegion {
  double left = 0, top = 0, width = 0, height = 0;
};

// The region of the columns x rows RGB values in `pixels` (row-major), scaled to
// width x height RGB values. Throws std::bad_alloc when stb cannot get its buffers.
std::vector<uint32_t> resample(const std::vector<uint32_t>& pixels, uint32_t columns, uint32_t rows,
                               const PictureRegion& region, int width, int height);

}  // namespace peltrix
