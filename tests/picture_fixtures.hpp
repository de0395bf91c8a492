// Test pictures made on the spot: JPEGs and PNGs through the libraries' encoders, BMPs byte by
// byte, so every decoded pixel can be checked against the pixel that went in.
#pragma once

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// clang-format off
#include <jpeglib.h>
// clang-format on

#include "colour/geometry.hpp"
#include "colour/picture.hpp"
#include "colour/rgb.hpp"
#include "decode_within_memory.hpp"
#include "scratch_folder.hpp"

namespace peltrix::fixtures {

using Bytes = std::vector<uint8_t>;
using PixelFn = std::function<uint32_t(int x, int y)>;  // RGB value of pixel (x, y)

// A smooth, position-dependent colour that survives JPEG well.
inline uint32_t gradient(int x, int y) {
  return packRgb((x * 255 / 639) & 0xFF, (y * 255 / 399) & 0xFF, ((x + y) / 4) & 0xFF);
}

// A colour that tells every pixel apart (for lossless formats).
inline uint32_t distinct(int x, int y) {
  return packRgb((x * 7 + y) & 0xFF, (y * 13 + x * 3) & 0xFF, (x ^ (y * 5)) & 0xFF);
}

// What the decoder should keep of a picture drawn by `f`: its top-left 320 x 200, black
// outside it.
inline std::vector<uint32_t> expectedTopLeft(int width, int height, const PixelFn& f) {
  std::vector<uint32_t> out(kPixels, 0);
  for (int y = 0; y < std::min(height, kHeight); ++y)
    for (int x = 0; x < std::min(width, kWidth); ++x) out[y * kWidth + x] = f(x, y);
  return out;
}

// What loading `path` says: the error's message, or "loaded".
inline std::string loadError(const std::string& path) {
  try {
    loadPicture(path);
  } catch (const PictureLoadError& e) {
    return e.what();
  }
  return "loaded";
}

// Largest per-channel difference between two 320 x 200 pictures.
inline int maxChannelDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  int worst = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    worst = std::max({worst, std::abs(int(red(a[i])) - int(red(b[i]))),
                      std::abs(int(green(a[i])) - int(green(b[i]))),
                      std::abs(int(blue(a[i])) - int(blue(b[i])))});
  }
  return worst;
}

// Mean absolute per-channel difference, for lossy formats.
inline double meanChannelDifference(const std::vector<uint32_t>& a,
                                    const std::vector<uint32_t>& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    sum += std::abs(int(red(a[i])) - int(red(b[i]))) +
           std::abs(int(green(a[i])) - int(green(b[i]))) +
           std::abs(int(blue(a[i])) - int(blue(b[i])));
  }
  return a.empty() ? 0 : sum / (3.0 * a.size());
}

// ---- JPEG ----

enum class JpegKind { kRgb, kGrey, kCmykAdobe, kYcckAdobe };

struct JpegOptions {
  int width = 64;
  int height = 48;
  JpegKind kind = JpegKind::kRgb;
  bool progressive = false;
  bool subsample = false;  // 4:2:0 instead of 4:4:4
  int quality = 100;
  int restartRows = 0;      // restart marker every n MCU rows
  bool arithmetic = false;  // arithmetic instead of Huffman coding
};

inline Bytes encodeJpeg(const JpegOptions& o, const PixelFn& f) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = o.width;
  c.image_height = o.height;
  const bool cmyk = o.kind == JpegKind::kCmykAdobe || o.kind == JpegKind::kYcckAdobe;
  c.input_components = o.kind == JpegKind::kGrey ? 1 : cmyk ? 4 : 3;
  c.in_color_space = o.kind == JpegKind::kGrey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&c);
  if (o.kind == JpegKind::kYcckAdobe) jpeg_set_colorspace(&c, JCS_YCCK);
  jpeg_set_quality(&c, o.quality, TRUE);
  if (!o.subsample) {
    for (int i = 0; i < c.num_components; ++i)
      c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
  }
  c.restart_in_rows = o.restartRows;
  c.arith_code = o.arithmetic ? TRUE : FALSE;
  if (o.progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(o.width) * c.input_components);
  while (c.next_scanline < c.image_height) {
    const int y = static_cast<int>(c.next_scanline);
    for (int x = 0; x < o.width; ++x) {
      const uint32_t v = f(x, y);
      JSAMPLE* p = &row[static_cast<std::size_t>(x) * c.input_components];
      if (o.kind == JpegKind::kGrey) {
        p[0] = static_cast<JSAMPLE>(green(v));
      } else if (cmyk) {
        // Adobe writes CMYK inverted: 255 - ink. With K = 0 that is simply R, G, B, 255.
        p[0] = red(v), p[1] = green(v), p[2] = blue(v), p[3] = 255;
      } else {
        p[0] = red(v), p[1] = green(v), p[2] = blue(v);
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

// Overwrites the dimensions in the first SOFn marker (0xFFC0..0xFFC2).
inline void patchJpegSize(Bytes& jpeg, int width, int height) {
  for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] >= 0xC0 && jpeg[i + 1] <= 0xC2) {
      jpeg[i + 5] = height >> 8, jpeg[i + 6] = height & 0xFF;
      jpeg[i + 7] = width >> 8, jpeg[i + 8] = width & 0xFF;
      return;
    }
  }
  ADD_FAILURE() << "no SOF marker";
}

// Offset of the n-th (0-based) restart marker, or 0.
inline std::size_t restartMarkerOffset(const Bytes& jpeg, int n) {
  for (std::size_t i = 2; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] >= 0xD0 && jpeg[i + 1] <= 0xD7 && n-- == 0) return i;
  }
  return 0;
}

// ---- PNG ----

struct PngOptions {
  int width = 0;
  int height = 0;
  int colourType = PNG_COLOR_TYPE_RGB;
  int bitDepth = 8;
  bool interlaced = false;
  std::vector<png_color> palette;
  std::vector<png_byte> paletteAlpha;  // tRNS for a palette
  bool greyTransparent = false;        // tRNS for grey or RGB: `transparent`
  png_color_16 transparent{};
};

// `row(y)` returns the raw bytes of row y as libpng expects them (big-endian samples,
// packed low bit depths).
inline Bytes encodePng(const PngOptions& o, const std::function<Bytes(int y)>& row) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);  // the widest test pictures
  png_set_compression_level(png, 1);
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t n) {
        auto* o = static_cast<Bytes*>(png_get_io_ptr(p));
        o->insert(o->end(), data, data + n);
      },
      nullptr);
  png_set_IHDR(png, info, o.width, o.height, o.bitDepth, o.colourType,
               o.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!o.palette.empty())
    png_set_PLTE(png, info, o.palette.data(), static_cast<int>(o.palette.size()));
  if (!o.paletteAlpha.empty())
    png_set_tRNS(png, info, o.paletteAlpha.data(), static_cast<int>(o.paletteAlpha.size()),
                 nullptr);
  if (o.greyTransparent) png_set_tRNS(png, info, nullptr, 0, &o.transparent);
  png_write_info(png, info);
  if (o.interlaced) {
    std::vector<Bytes> rows;
    for (int y = 0; y < o.height; ++y) rows.push_back(row(y));
    std::vector<png_bytep> pointers;
    for (auto& r : rows) pointers.push_back(r.data());
    png_write_image(png, pointers.data());
  } else {
    // A row at a time, none of the picture held whole: the largest test pictures need it.
    for (int y = 0; y < o.height; ++y) png_write_row(png, row(y).data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

// An 8-bit RGB PNG of `f`.
inline Bytes encodeRgbPng(int width, int height, const PixelFn& f, bool interlaced = false) {
  PngOptions o;
  o.width = width, o.height = height, o.interlaced = interlaced;
  return encodePng(o, [&](int y) {
    Bytes r;
    for (int x = 0; x < width; ++x) {
      const uint32_t v = f(x, y);
      r.insert(r.end(), {uint8_t(red(v)), uint8_t(green(v)), uint8_t(blue(v))});
    }
    return r;
  });
}

// Rewrites IHDR's width, height and (optionally) interlace flag, with a fresh CRC.
inline void patchPngHeader(Bytes& png, uint32_t width, uint32_t height, int interlace = -1) {
  auto put32 = [&](std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) png[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
  };
  put32(16, width);
  put32(20, height);
  if (interlace >= 0) png[28] = static_cast<uint8_t>(interlace);
  put32(29, static_cast<uint32_t>(crc32(0, png.data() + 12, 17)));
}

// ---- BMP ----

// Builds a BMP file: file header, an info header of `headerSize` bytes (12: OS/2 core), the
// bit-field masks after a 40-byte header, the palette, then the pixel data as given.
struct BmpBuilder {
  uint32_t headerSize = 40;
  int32_t width = 0;
  int32_t height = 0;  // negative: top-down
  uint16_t bitsPerPixel = 24;
  uint32_t compression = 0;
  std::vector<uint32_t> masks;    // written into the header (>= 52) or after a 40-byte one
  std::vector<uint32_t> palette;  // RGB values
  uint32_t coloursUsed = 0;
  Bytes pixels;  // rows (or RLE stream) exactly as stored

  Bytes build() const {
    Bytes b;
    auto put16 = [&](uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); };
    auto put32 = [&](uint32_t v) {
      b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
    };
    const bool core = headerSize == 12;
    const std::size_t entry = core ? 3 : 4;
    const std::size_t maskBytes = headerSize == 40 ? masks.size() * 4 : 0;
    const uint32_t offset =
        static_cast<uint32_t>(14 + headerSize + maskBytes + palette.size() * entry);
    b.insert(b.end(), {'B', 'M'});
    put32(static_cast<uint32_t>(offset + pixels.size()));
    put32(0);
    put32(offset);
    put32(headerSize);
    if (core) {
      put16(static_cast<uint16_t>(width)), put16(static_cast<uint16_t>(height)), put16(1),
          put16(bitsPerPixel);
    } else {
      put32(static_cast<uint32_t>(width)), put32(static_cast<uint32_t>(height)), put16(1),
          put16(bitsPerPixel);
      put32(compression), put32(static_cast<uint32_t>(pixels.size())), put32(2835), put32(2835);
      put32(coloursUsed), put32(0);
      if (headerSize == 40) {
        for (uint32_t m : masks) put32(m);
      } else {
        const std::size_t slots = std::min<std::size_t>(4, (headerSize - 40) / 4);
        for (std::size_t i = 0; i < slots; ++i) put32(i < masks.size() ? masks[i] : 0);
        while (b.size() < 14 + headerSize) b.push_back(0);
      }
    }
    for (uint32_t c : palette) {
      b.insert(b.end(), {uint8_t(blue(c)), uint8_t(green(c)), uint8_t(red(c))});
      if (!core) b.push_back(0);
    }
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
  }
};

// Pixel rows of `bitsPerPixel` packed samples from `sample(x, y)`, padded to 4 bytes,
// bottom-up unless topDown.
inline Bytes bmpRows(int width, int height, int bitsPerPixel, bool topDown,
                     const std::function<uint32_t(int x, int y)>& sample) {
  const std::size_t stride = (static_cast<std::size_t>(width) * bitsPerPixel + 31) / 32 * 4;
  Bytes out(stride * height, 0);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = &out[stride * (topDown ? y : height - 1 - y)];
    for (int x = 0; x < width; ++x) {
      const uint32_t s = sample(x, y);
      if (bitsPerPixel < 8) {
        const int bit = x * bitsPerPixel;
        row[bit / 8] |= static_cast<uint8_t>(s << (8 - bitsPerPixel - bit % 8));
      } else {
        for (int i = 0; i < bitsPerPixel / 8; ++i)
          row[x * bitsPerPixel / 8 + i] = uint8_t(s >> (8 * i));
      }
    }
  }
  return out;
}

struct LosslessPicture {
  const char* label;
  Bytes bytes;
};

// The same 700 x 500 picture in the lossless layouts every decoder path reads: PNG, interlaced
// PNG, and 24-bit BMP stored bottom-up and top-down.
inline std::vector<LosslessPicture> losslessPictures(const PixelFn& f) {
  constexpr int w = 700, h = 500;
  std::vector<LosslessPicture> out;
  out.push_back({"png", encodeRgbPng(w, h, f)});
  out.push_back({"interlaced png", encodeRgbPng(w, h, f, true)});
  BmpBuilder bottomUp;
  bottomUp.width = w, bottomUp.height = h;
  bottomUp.pixels = bmpRows(w, h, 24, false, f);  // stored blue, green, red: an RGB value
  out.push_back({"bmp bottom-up", bottomUp.build()});
  BmpBuilder topDown = bottomUp;
  topDown.height = -h;
  topDown.pixels = bmpRows(w, h, 24, true, f);
  out.push_back({"bmp top-down", topDown.build()});
  return out;
}

// ---- files and memory ----

// A scratch directory of its own for each test, removed afterwards.
class ScratchDir {
 public:
  ScratchDir() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = peltrix::testing::makeScratchFolder("peltrix-" + std::string(test->name()));
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  std::string write(const std::string& name, const Bytes& bytes) const {
    const std::string p = (path_ / name).string();
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return p;
  }
  std::filesystem::path path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace peltrix::fixtures
