// Pixels into images: RGB values reach the views in the right byte order, and the built-in
// banner decodes.
#include <gtest/gtest.h>

#include <vector>

#include "colour/geometry.hpp"
#include "colour/palettes.hpp"
#include "colour/rgb.hpp"
#include "colour/tables.hpp"
#include "frontends/gtk/banner.hpp"
#include "frontends/gtk/preview_draw.hpp"

namespace peltrix::testing {
namespace {

const guchar* pixelAt(GdkPixbuf* picture, int x, int y) {
  return gdk_pixbuf_get_pixels(picture) + y * gdk_pixbuf_get_rowstride(picture) +
         x * gdk_pixbuf_get_n_channels(picture);
}

TEST(PictureDraw, SourceRgbValuesAreCopiedAsTheyAre) {
  std::vector<uint32_t> rgb(kPixels);
  for (int i = 0; i < kPixels; ++i) rgb[i] = packRgb(i % 256, (i / 320) % 256, 255 - i % 256);
  GdkPixbuf* picture = newBlackPicture();
  drawRgbPicture(rgb, picture);
  for (int i : {0, 1, 321, 40000, kPixels - 1}) {
    const guchar* p = pixelAt(picture, i % kWidth, i / kWidth);
    EXPECT_EQ(packRgb(p[0], p[1], p[2]), rgb[i]) << i;
  }
  std::vector<uint32_t> tooSmall(100);
  EXPECT_THROW(drawRgbPicture(tooSmall, picture), std::invalid_argument);
  g_object_unref(picture);
}

TEST(Banner, BuiltInPngDecodesToAColourfulBanner) {
  std::string error;
  GdkPixbuf* banner = gui::decodePngPicture(bannerPngBytes(), error);
  ASSERT_NE(banner, nullptr) << error;
  EXPECT_EQ(gdk_pixbuf_get_width(banner), kBannerWidth);
  EXPECT_EQ(gdk_pixbuf_get_height(banner), kBannerHeight);
  // Every pixel is one of the C64's colours.
  for (int y = 0; y < kBannerHeight; ++y) {
    for (int x = 0; x < kBannerWidth; ++x) {
      const guchar* p = pixelAt(banner, x, y);
      ASSERT_GE(paletteIndex(packRgb(p[0], p[1], p[2])), 0) << x << "," << y;
    }
  }
  g_object_unref(banner);
}

TEST(Banner, BytesThatAreNoPngAreRefusedWithAReason) {
  const uint8_t junk[] = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
  std::string error;
  EXPECT_EQ(gui::decodePngPicture(junk, error), nullptr);
  EXPECT_FALSE(error.empty());
  // A PNG cut short fails too, instead of reading past the end.
  auto png = bannerPngBytes();
  EXPECT_EQ(gui::decodePngPicture(png.first(png.size() / 2), error), nullptr);
}

}  // namespace
}  // namespace peltrix::testing
