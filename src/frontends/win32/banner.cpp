#include "frontends/win32/banner.hpp"

namespace peltrix::win32 {

DibPicture decodePngPicture(std::span<const uint8_t> png, std::string& error) {
  const std::optional<PngPixels> pixels = decodePngPixels(png, error);
  if (!pixels) return {};
  DibPicture picture(pixels->width, pixels->height);
  // A DIB's rows hold blue, green, red, and are padded.
  for (int y = 0; y < pixels->height; ++y) {
    const uint8_t* from = pixels->row(y);
    uint8_t* to = picture.pixels() + std::size_t(picture.rowBytes()) * y;
    for (int x = 0; x < pixels->width; ++x, from += 3, to += 3) {
      to[0] = from[2];
      to[1] = from[1];
      to[2] = from[0];
    }
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
