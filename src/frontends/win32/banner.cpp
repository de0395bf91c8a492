#include "frontends/win32/banner.hpp"

#include <png.h>

#include <cstring>

namespace peltrix::win32 {

// Defined in the banner_png.cpp that the build generates from assets/banner.png.
extern const unsigned char kBannerPng[];
extern const std::size_t kBannerPngSize;

std::span<const uint8_t> bannerPngBytes() {
  return {kBannerPng, kBannerPngSize};
}

DibPicture decodePngPicture(std::span<const uint8_t> png, std::string& error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) {
    error = image.message;
    png_image_free(&image);
    return {};
  }
  // A DIB's rows hold blue, green, red: libpng writes them in that order straight in.
  image.format = PNG_FORMAT_BGR;
  DibPicture picture(static_cast<int>(image.width), static_cast<int>(image.height));
  if (!png_image_finish_read(&image, nullptr, picture.pixels(), picture.rowBytes(), nullptr)) {
    error = image.message;
    png_image_free(&image);
    return {};
  }
  return picture;
}

DibPicture loadBanner() {
  std::string error;
  DibPicture banner = decodePngPicture(bannerPngBytes(), error);
  if (banner.bitmap() != nullptr) return banner;
  OutputDebugStringA(("peltrix: built-in banner cannot be decoded: " + error + "\n").c_str());
  return DibPicture(kBannerWidth, kBannerHeight);
}

}  // namespace peltrix::win32
