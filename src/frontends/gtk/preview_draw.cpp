#include "frontends/gtk/preview_draw.hpp"

#include <stdexcept>

#include "colour/geometry.hpp"
#include "colour/rgb.hpp"

namespace peltrix {
namespace {

// Writes every pixel of a width x height 8-bit RGB `image` from `rgbAt(index)`, an RGB value
// per pixel index.
template <typename RgbAt>
void fillPicture(GdkPixbuf* image, int width, int height, RgbAt rgbAt) {
  if (gdk_pixbuf_get_width(image) != width || gdk_pixbuf_get_height(image) != height ||
      gdk_pixbuf_get_bits_per_sample(image) != 8 || gdk_pixbuf_get_n_channels(image) < 3) {
    throw std::invalid_argument("picture image is not of the expected size");
  }
  const int rowStride = gdk_pixbuf_get_rowstride(image);
  const int channels = gdk_pixbuf_get_n_channels(image);
  guchar* rows = gdk_pixbuf_get_pixels(image);
  for (int y = 0; y < height; ++y) {
    guchar* p = rows + y * rowStride;
    for (int x = 0; x < width; ++x, p += channels) {
      const uint32_t v = rgbAt(y * width + x);
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
  fillPicture(image, kWidth, kHeight, [&](int i) { return rgb[i]; });
}

GdkPixbuf* newRgbPicture(std::span<const uint32_t> rgb, int width, int height) {
  if (rgb.size() < static_cast<size_t>(width) * height) {
    throw std::invalid_argument("RGB picture smaller than its image");
  }
  GdkPixbuf* image = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height);
  if (image == nullptr) throw std::bad_alloc();
  fillPicture(image, width, height, [&](int i) { return rgb[i]; });
  return image;
}

}  // namespace peltrix
