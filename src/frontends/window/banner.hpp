// The banner at the top of the main window: a 980 x 80 picture that the program carries as
// PNG bytes (generated at build time from assets/banner.png). It is decoded here, once for
// both skins; each skin only copies the pixels into its own kind of image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace peltrix {

constexpr int kBannerWidth = 980;
constexpr int kBannerHeight = 80;

// The PNG bytes built into the program.
std::span<const uint8_t> bannerPngBytes();

// A decoded PNG picture: red, green and blue bytes per pixel, rows without padding.
struct PngPixels {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;

  const uint8_t* row(int y) const { return rgb.data() + std::size_t{3} * width * y; }
};

// Decodes PNG bytes with libpng. Returns nothing and sets `error` to libpng's reason when the
// bytes are not a PNG picture.
std::optional<PngPixels> decodePngPixels(std::span<const uint8_t> png, std::string& error);

}  // namespace peltrix
