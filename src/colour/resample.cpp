#include "colour/resample.hpp"

#include <new>

// The implementation lives here alone, its functions static; its own code is not ours to warn
// about.
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image_resize.h>
#pragma GCC diagnostic pop

namespace peltrix {

namespace {

stbir_filter filterFor(double from, int to) {
  return to >= from ? STBIR_FILTER_CATMULLROM : STBIR_FILTER_MITCHELL;
}

}  // namespace

std::vector<uint32_t> resample(const std::vector<uint32_t>& pixels, uint32_t columns, uint32_t rows,
                               const PictureRegion& region, int width, int height) {
  std::vector<uint32_t> out(static_cast<std::size_t>(width) * height, 0);
  // Each RGB value is four bytes of which one is always zero; all four are resampled alike
  // as sRGB channels, so the zero byte stays zero whichever byte order the machine has.
  const float s0 = static_cast<float>(region.left / columns);
  const float t0 = static_cast<float>(region.top / rows);
  const float s1 = static_cast<float>((region.left + region.width) / columns);
  const float t1 = static_cast<float>((region.top + region.height) / rows);
  const int ok = stbir_resize_region(
      pixels.data(), static_cast<int>(columns), static_cast<int>(rows),
      static_cast<int>(columns * 4), out.data(), width, height, width * 4, STBIR_TYPE_UINT8, 4,
      STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, STBIR_EDGE_CLAMP,
      filterFor(region.width, width), filterFor(region.height, height), STBIR_COLORSPACE_SRGB,
      nullptr, s0, t0, s1, t1);
  if (!ok) throw std::bad_alloc();  // its only failure once the arguments are valid
  return out;
}

}  // namespace peltrix
