// The banner at the top of the main window: a 980 x 80 picture that the program carries as
// PNG bytes (generated at build time from assets/banner.png) and decodes at start-up.
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace peltrix::gui {

constexpr int kBannerWidth = 980;
constexpr int kBannerHeight = 80;

// The PNG bytes built into the program.
std::span<const uint8_t> bannerPngBytes();

// Decodes PNG bytes with libpng into a new RGB image. Returns nullptr and sets `error`
// when the bytes are not a PNG picture.
GdkPixbuf* decodePngPicture(std::span<const uint8_t> png, std::string& error);

// The banner image: the built-in PNG decoded, or a black 980 x 80 picture (with a warning
// on stderr) should the built-in bytes ever fail to decode.
GdkPixbuf* loadBanner();

}  // namespace peltrix::gui
