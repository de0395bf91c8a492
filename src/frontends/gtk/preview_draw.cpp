#include "frontends/gtk/preview_draw.hpp"

#include <stdexcept>

#include "colour/geometry.hpp"
#include "colour/rgb.hpp"

namespace peltrix {
namespace {

// Checks that `image` is the 320 x 200, 8-bit RGB picture the copies below assume.
guchar* pictureRows(GdkPixbuf* image, int& rowStride, int& channels) {
  if (gdk_pixbuf_get_width(image) != kWidth || gdk_pixbuf_get_height(image) != kHeight ||
      gdk_pixbuf_get_bits_per_sample(image) != 8 || gdk_pixbuf_get_n_channels(image) < 3) {
    throw std::invalid_argument("picture image is not 320 x 200 RGB");
  }
  rowStride = gdk_pixbuf_get_rowstride(image);
  channels = gdk_pixbuf_get_n_channels(image);
  return gdk_pixbuf_get_pixels(image);
}

// Writes every pixel of `image` from `rgbAt(index)`, an RGB value per pixel index.
template <typename RgbAt>
void fillPicture(GdkPixbuf* image, RgbAt rgbAt) {
  int rowStride = 0, channels = 0;
  guchar* rows = pictureRows(image, rowStride, channels);
  for (int y = 0; y < kHeight; ++y) {
    guchar* p = rows + y * rowStride;
    for (int x = 0; x < kWidth; ++x, p += channels) {
      const uint32_t v = rgbAt(y * kWidth + x);
      p[0] = static_cast<guchar>(red(v));
      p[1] = static_cast<guchar>(green(v));
      p[2] = static_cast<guchar>(blue(v));
    }
  }
}

}  // namespace

GdkPixbuf* newBlackPicture() {
  GdkPixbuf* image = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, kWidth, kHeight);
  if (image == nullptr) throw std::bad_alloc();
  gdk_pixbuf_fill(image, 0x000000FF);
  return image;
}

void drawRgbPicture(std::span<const uint32_t> rgb, GdkPixbuf* image) {
  if (rgb.size() < static_cast<size_t>(kPixels)) {
    throw std::invalid_argument("RGB picture smaller than 320 x 200");
  }
  fillPicture(image, [&](int i) { return rgb[i]; });
}

}  // namespace peltrix
