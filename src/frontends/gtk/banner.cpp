#include "frontends/gtk/banner.hpp"

#include <glib.h>

#include <algorithm>
#include <new>

namespace peltrix::gui {

GdkPixbuf* decodePngPicture(std::span<const uint8_t> png, std::string& error) {
  const std::optional<PngPixels> pixels = decodePngPixels(png, error);
  if (!pixels) return nullptr;
  GdkPixbuf* picture = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, pixels->width, pixels->height);
  if (picture == nullptr) throw std::bad_alloc();
  // The pixbuf's rows are padded; its bytes are in the same order, red first.
  guchar* rows = gdk_pixbuf_get_pixels(picture);
  const int stride = gdk_pixbuf_get_rowstride(picture);
  for (int y = 0; y < pixels->height; ++y)
    std::copy_n(pixels->row(y), std::size_t{3} * pixels->width, rows + std::size_t(stride) * y);
  return picture;
}

GdkPixbuf* loadBanner() {
  std::string error;
  GdkPixbuf* banner = decodePngPicture(bannerPngBytes(), error);
  if (banner != nullptr) return banner;
  g_warning("built-in banner cannot be decoded: %s", error.c_str());
  banner = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, kBannerWidth, kBannerHeight);
  if (banner == nullptr) throw std::bad_alloc();
  gdk_pixbuf_fill(banner, 0x000000FF);
  return banner;
}

}  // namespace peltrix::gui
