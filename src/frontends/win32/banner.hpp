// The banner at the top of the main window: a 980 x 80 picture that the program carries as
// PNG bytes (generated at build time from assets/banner.png) and decodes at start-up.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "frontends/win32/preview_draw.hpp"

namespace peltrix::win32 {

constexpr int kBannerWidth = 980;
constexpr int kBannerHeight = 80;

// The PNG bytes built into the program.
std::span<const uint8_t> bannerPngBytes();

// Decodes PNG bytes with libpng into a new picture. Returns an empty picture (no bitmap) and
// sets `error` when the bytes are not a PNG picture.
DibPicture decodePngPicture(std::span<const uint8_t> png, std::string& error);

// The banner picture: the built-in PNG decoded, or a black 980 x 80 picture should the
// built-in bytes ever fail to decode.
DibPicture loadBanner();

}  // namespace peltrix::win32
