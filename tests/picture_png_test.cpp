// PNG decoding: every colour type and bit depth, transparency, Adam7, truncation and
// absurd sizes. PNG is lossless, so every pixel is checked exactly.
#include <gtest/gtest.h>

#include "colour/picture.hpp"
#include "picture_fixtures.hpp"

namespace peltrix {
namespace {

using namespace fixtures;

SourcePicture decode(const Bytes& bytes) {
  return decodePicture(bytes, "test.png");
}

uint32_t over(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  return packRgb((r * a + 127) / 255, (g * a + 127) / 255, (b * a + 127) / 255);
}

struct PngCase {
  const char* label;
  int colourType;
  int bitDepth;
  bool withTransparency = false;  // tRNS (palette alphas, or one transparent grey / RGB)
};

int channelsOf(int colourType) {
  switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
      return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGB:
      return 3;
    default:
      return 4;
  }
}

// A picture of one case: raw samples, their PNG encoding and the expected decode.
class PngPicture {
 public:
  PngPicture(const PngCase& c, int width, int height, bool interlaced)
      : c_(c), width_(width), height_(height), max_((1u << c.bitDepth) - 1) {
    options_.width = width, options_.height = height, options_.colourType = c.colourType;
    options_.bitDepth = c.bitDepth, options_.interlaced = interlaced;
    if (c.colourType == PNG_COLOR_TYPE_PALETTE) {
      for (uint32_t i = 0; i <= max_; ++i)
        options_.palette.push_back({uint8_t(i * 37 + 5), uint8_t(255 - i * 11), uint8_t(i * 71)});
      if (c.withTransparency)
        for (uint32_t i = 0; i <= max_ / 2; ++i) options_.paletteAlpha.push_back(uint8_t(i * 97));
    } else if (c.withTransparency) {
      options_.greyTransparent = true;
      options_.transparent.gray = static_cast<uint16_t>(sample(1, 0, 0));
      options_.transparent.red = static_cast<uint16_t>(sample(1, 0, 0));
      options_.transparent.green = static_cast<uint16_t>(sample(1, 0, 1));
      options_.transparent.blue = static_cast<uint16_t>(sample(1, 0, 2));
    }
  }

  Bytes encode() const {
    return encodePng(options_, [&](int y) { return row(y); });
  }

  std::vector<uint32_t> expected() const {
    return expectedTopLeft(width_, height_, [&](int x, int y) { return pixel(x, y); });
  }

 private:
  // Sample `ch` of pixel (x, y): varied, and covering 0 and the maximum.
  uint32_t sample(int x, int y, int ch) const {
    const uint32_t v = static_cast<uint32_t>(x * 7 + y * 3 + ch * 5 + (x * y) % 11);
    return c_.bitDepth == 16 ? (v * 2654435761u >> 7) & 0xFFFF : v % (max_ + 1);
  }

  uint32_t to8(uint32_t v) const {
    if (c_.bitDepth == 16) return (v * 255 + 32767) / 65535;
    return v * 255 / max_;
  }

  uint32_t pixel(int x, int y) const {
    const int n = channelsOf(c_.colourType);
    uint32_t s[4] = {};
    for (int ch = 0; ch < n; ++ch) s[ch] = sample(x, y, ch);
    switch (c_.colourType) {
      case PNG_COLOR_TYPE_PALETTE: {
        const png_color& p = options_.palette[s[0]];
        const uint32_t a = s[0] < options_.paletteAlpha.size() ? options_.paletteAlpha[s[0]] : 255;
        return over(p.red, p.green, p.blue, a);
      }
      case PNG_COLOR_TYPE_GRAY: {
        const bool clear = c_.withTransparency && s[0] == options_.transparent.gray;
        return over(to8(s[0]), to8(s[0]), to8(s[0]), clear ? 0 : 255);
      }
      case PNG_COLOR_TYPE_GRAY_ALPHA:
        return over(to8(s[0]), to8(s[0]), to8(s[0]), to8(s[1]));
      case PNG_COLOR_TYPE_RGB: {
        const bool clear = c_.withTransparency && s[0] == options_.transparent.red &&
                           s[1] == options_.transparent.green && s[2] == options_.transparent.blue;
        return over(to8(s[0]), to8(s[1]), to8(s[2]), clear ? 0 : 255);
      }
      default:
        return over(to8(s[0]), to8(s[1]), to8(s[2]), to8(s[3]));
    }
  }

  Bytes row(int y) const {
    const int n = channelsOf(c_.colourType);
    Bytes out((static_cast<std::size_t>(width_) * n * c_.bitDepth + 7) / 8, 0);
    std::size_t bit = 0;
    for (int x = 0; x < width_; ++x) {
      for (int ch = 0; ch < n; ++ch, bit += c_.bitDepth) {
        const uint32_t v = sample(x, y, ch);
        if (c_.bitDepth == 16) {
          out[bit / 8] = uint8_t(v >> 8), out[bit / 8 + 1] = uint8_t(v);
        } else {
          out[bit / 8] |= static_cast<uint8_t>(v << (8 - c_.bitDepth - bit % 8));
        }
      }
    }
    return out;
  }

  PngCase c_;
  int width_, height_;
  uint32_t max_;
  PngOptions options_;
};

const PngCase kCases[] = {
    {"palette 1", PNG_COLOR_TYPE_PALETTE, 1},
    {"palette 2", PNG_COLOR_TYPE_PALETTE, 2},
    {"palette 4 tRNS", PNG_COLOR_TYPE_PALETTE, 4, true},
    {"palette 8", PNG_COLOR_TYPE_PALETTE, 8},
    {"palette 8 tRNS", PNG_COLOR_TYPE_PALETTE, 8, true},
    {"grey 1", PNG_COLOR_TYPE_GRAY, 1},
    {"grey 2", PNG_COLOR_TYPE_GRAY, 2},
    {"grey 4", PNG_COLOR_TYPE_GRAY, 4},
    {"grey 8", PNG_COLOR_TYPE_GRAY, 8},
    {"grey 8 tRNS", PNG_COLOR_TYPE_GRAY, 8, true},
    {"grey 16", PNG_COLOR_TYPE_GRAY, 16},
    {"grey 16 tRNS", PNG_COLOR_TYPE_GRAY, 16, true},
    {"grey+alpha 8", PNG_COLOR_TYPE_GRAY_ALPHA, 8},
    {"grey+alpha 16", PNG_COLOR_TYPE_GRAY_ALPHA, 16},
    {"RGB 8", PNG_COLOR_TYPE_RGB, 8},
    {"RGB 8 tRNS", PNG_COLOR_TYPE_RGB, 8, true},
    {"RGB 16", PNG_COLOR_TYPE_RGB, 16},
    {"RGBA 8", PNG_COLOR_TYPE_RGB_ALPHA, 8},
    {"RGBA 16", PNG_COLOR_TYPE_RGB_ALPHA, 16},
};

TEST(PicturePng, EveryColourTypeAndDepthExactly) {
  for (const PngCase& c : kCases) {
    for (bool interlaced : {false, true}) {
      SCOPED_TRACE(std::string(c.label) + (interlaced ? " interlaced" : ""));
      const PngPicture picture(c, 37, 23, interlaced);
      const SourcePicture p = decode(picture.encode());
      EXPECT_EQ(p.width, 37);
      EXPECT_EQ(p.height, 23);
      EXPECT_EQ(p.rgb, picture.expected());
    }
  }
}

TEST(PicturePng, InterlacedPassesLandInPlaceAtEverySize) {
  // Tiny sizes leave some Adam7 passes empty; tall ones end the last pass at row 200.
  const int sizes[][2] = {{1, 1}, {2, 3}, {5, 1}, {1, 9}, {333, 211}, {64, 1000}, {700, 9}};
  for (const auto& s : sizes) {
    SCOPED_TRACE(std::to_string(s[0]) + " x " + std::to_string(s[1]));
    const SourcePicture p = decode(encodeRgbPng(s[0], s[1], distinct, true));
    EXPECT_EQ(p.rgb, expectedTopLeft(s[0], s[1], distinct));
    EXPECT_EQ(p.width, s[0]);
    EXPECT_EQ(p.height, s[1]);
  }
}

TEST(PicturePng, LargePictureIsClippedNotScaled) {
  const SourcePicture p = decode(encodeRgbPng(640, 400, distinct));
  EXPECT_EQ(p.width, 640);
  EXPECT_EQ(p.height, 400);
  EXPECT_EQ(p.rgb, expectedTopLeft(640, 400, distinct));
}

TEST(PicturePng, TruncatedDataIsReported) {
  const Bytes png = encodeRgbPng(50, 40, distinct);
  for (std::size_t cut : {std::size_t{4}, std::size_t{8}, std::size_t{20}, std::size_t{33},
                          std::size_t{60}, png.size() / 2, png.size() - 30}) {
    const Bytes part(png.begin(), png.begin() + static_cast<long>(cut));
    try {
      decode(part);
      ADD_FAILURE() << "cut at " << cut << " decoded";
    } catch (const PictureLoadError& e) {
      EXPECT_STREQ(e.what(), "test.png: truncated PNG data") << "cut at " << cut;
    }
  }
  // Without its end chunk the picture is still whole.
  const Bytes noEnd(png.begin(), png.end() - 12);
  EXPECT_EQ(decode(noEnd).rgb, expectedTopLeft(50, 40, distinct));
}

TEST(PicturePng, CorruptDataIsReported) {
  Bytes png = encodeRgbPng(50, 40, distinct);
  png[20] ^= 1;  // IHDR height, now failing its CRC
  try {
    decode(png);
    ADD_FAILURE() << "decoded";
  } catch (const PictureLoadError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("test.png: cannot decode PNG data (", 0), 0u) << e.what();
  }
}

TEST(PicturePng, AbsurdSizesFailWithoutHugeAllocations) {
  if (!kCanLimitAddressSpace) GTEST_SKIP() << "address-space limits do not work under sanitizers";
  Bytes tall = encodeRgbPng(16, 16, distinct);
  patchPngHeader(tall, 60000, 60000);
  const std::string plain = decodeWithinMemory([&] { decode(tall); }, 64u << 20);
  EXPECT_EQ(plain.rfind("error: test.png: ", 0), 0u) << plain;

  patchPngHeader(tall, 60000, 60000, PNG_INTERLACE_ADAM7);
  EXPECT_EQ(decodeWithinMemory([&] { decode(tall); }, 64u << 20),
            "error: test.png: interlaced PNG too large to decode (60000 x 60000)");

  patchPngHeader(tall, 2000000, 16);
  EXPECT_EQ(decodeWithinMemory([&] { decode(tall); }, 64u << 20),
            "error: test.png: PNG too wide (2000000 x 16; at most 1048576 pixels wide)");
}

// Found by fuzz_png: a text chunk declaring a length of over a gigabyte made libpng allocate
// it before noticing the file ends.
TEST(PicturePng, HugeAncillaryChunkIsNotAllocated) {
  if (!kCanLimitAddressSpace) GTEST_SKIP() << "address-space limits do not work under sanitizers";
  for (const char* name : {"tEXt", "zTXt", "iTXt", "iCCP", "sPLT", "eXIf", "abCd"}) {
    SCOPED_TRACE(name);
    const Bytes png = encodeRgbPng(13, 11, distinct);
    // Signature and IHDR, then the chunk's length and name, and little else.
    Bytes bad(png.begin(), png.begin() + 33);
    const uint8_t header[8] = {0x45,
                               0x4E,
                               0x44,
                               0x25,
                               uint8_t(name[0]),
                               uint8_t(name[1]),
                               uint8_t(name[2]),
                               uint8_t(name[3])};
    bad.resize(33 + sizeof header + 100, 'x');
    std::copy(header, header + sizeof header, bad.begin() + 33);
    EXPECT_EQ(decodeWithinMemory([&] { decode(bad); }, 64u << 20),
              "error: test.png: truncated PNG data");
  }
  // Ignored chunks of sane sizes do not disturb the picture.
  Bytes png = encodeRgbPng(13, 11, distinct);
  const Bytes text = {0, 0, 0, 3, 't', 'E', 'X', 't', 'a', 0, 'b', 0x12, 0x34, 0x56, 0x78};
  png.insert(png.begin() + 33, text.begin(), text.end());  // with a wrong CRC, even
  EXPECT_EQ(decode(png).rgb, expectedTopLeft(13, 11, distinct));
}

TEST(PicturePng, WidestAllowedPictureDecodesWithinItsMemory) {
  if (!kCanLimitAddressSpace) GTEST_SKIP() << "address-space limits do not work under sanitizers";
  // 2^20 pixels of 16-bit RGBA: 8 MiB rows, the most libpng is ever asked to hold.
  const PngCase widest{"RGBA 16", PNG_COLOR_TYPE_RGB_ALPHA, 16};
  for (bool interlaced : {false, true}) {
    const PngPicture picture(widest, 1 << 20, 2, interlaced);
    const Bytes png = picture.encode();
    const std::vector<uint32_t> want = picture.expected();
    EXPECT_EQ(decodeWithinMemory(
                  [&] {
                    if (decode(png).rgb != want) throw std::runtime_error("wrong pixels");
                  },
                  96u << 20),
              "ok");
  }
}

TEST(PicturePng, ManyRowsBeyondTheKeptOnesAreNotRead) {
  // 200 real rows, then a height that claims far more: the missing rows are never needed.
  Bytes png = encodeRgbPng(16, 200, distinct);
  patchPngHeader(png, 16, 1000000);
  EXPECT_EQ(decode(png).rgb, expectedTopLeft(16, 200, distinct));
}

}  // namespace
}  // namespace peltrix
