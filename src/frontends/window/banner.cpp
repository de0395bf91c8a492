#include "frontends/window/banner.hpp"

#include <png.h>

#include <cstring>

namespace peltrix {

// Defined in the banner_png.cpp that the build generates from assets/banner.png.
extern const unsigned char kBannerPng[];
extern const std::size_t kBannerPngSize;

std::span<const uint8_t> bannerPngBytes() {
  return {kBannerPng, kBannerPngSize};
}

std::optional<PngPixels> decodePngPixels(std::span<const uint8_t> png, std::string& error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) {
    error = image.message;
    png_image_free(&image);
    return std::nullopt;
  }
  image.format = PNG_FORMAT_RGB;
  PngPixels pixels;
  pixels.width = static_cast<int>(image.width);
  pixels.height = static_cast<int>(image.height);
  try {
    pixels.rgb.resize(std::size_t{3} * image.width * image.height);
  } catch (...) {
    png_image_free(&image);
    throw;
  }
  if (!png_image_finish_read(&image, nullptr, pixels.rgb.data(), 0, nullptr)) {
    error = image.message;
    png_image_free(&image);
    return std::nullopt;
  }
  return pixels;
}

}  // namespace peltrix
