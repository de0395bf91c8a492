#include "frontends/gtk/banner.hpp"

#include <glib.h>
#include <png.h>

#include <cstring>
#include <new>

namespace peltrix::gui {

// Defined in the banner_png.cpp that the build generates from assets/banner.png.
extern const unsigned char kBannerPng[];
extern const std::size_t kBannerPngSize;

std::span<const uint8_t> bannerPngBytes() {
  return {kBannerPng, kBannerPngSize};
}

GdkPixbuf* decodePngPicture(std::span<const uint8_t> png, std::string& error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) {
    error = image.message;
    png_image_free(&image);
    return nullptr;
  }
  image.format = PNG_FORMAT_RGB;
  GdkPixbuf* picture = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, static_cast<int>(image.width),
                                      static_cast<int>(image.height));
  if (picture == nullptr) {
    png_image_free(&image);
    throw std::bad_alloc();
  }
  // libpng writes straight into the image's rows, honouring the pixbuf's row padding.
  if (!png_image_finish_read(&image, nullptr, gdk_pixbuf_get_pixels(picture),
                             gdk_pixbuf_get_rowstride(picture), nullptr)) {
    error = image.message;
    png_image_free(&image);
    g_object_unref(picture);
    return nullptr;
  }
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
