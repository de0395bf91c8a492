// The three decoders behind decodePicture, and what they share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "colour/picture.hpp"

namespace peltrix {

// Where a decoder puts the pixels it keeps. It asks open() once it knows the picture's size
// (as it decodes it), then stores each kept pixel; rows past endRow() are never needed.
class Canvas {
 public:
  explicit Canvas(const KeepRequest& keep) : keep_(keep) {}

  // For a JPEG of width x height: 1, 2, 4 or 8, the largest reduction that still gives the
  // size the request asks for (and, failing the pixel bound, a larger one).
  unsigned jpegDenominator(uint32_t width, uint32_t height) const noexcept;

  enum class Opened { Ok, TooLarge, NoMemory };
  // Sizes the canvas for a picture of width x height pixels as decoded. Allocates nothing
  // unless it returns Ok. Never throws: decoders call it between their libraries' C frames.
  Opened open(uint32_t width, uint32_t height) noexcept;

  bool keepsRow(uint64_t y) const { return y >= top_ && y - top_ < rows_; }
  uint64_t endRow() const { return top_ + rows_; }
  uint64_t left() const { return left_; }
  uint64_t endColumn() const { return left_ + columns_; }
  // Stores pixel (x, y) of the picture when the canvas keeps it.
  void put(uint64_t x, uint64_t y, uint32_t rgb) {
    if (keepsRow(y) && x >= left_ && x - left_ < columns_) {
      pixels_[(y - top_) * columns_ + (x - left_)] = rgb;
    }
  }
  // A kept pixel was composited over black.
  void noteTransparency() { flattened_ = true; }

  DecodedPicture take(uint32_t width, uint32_t height);

 private:
  const KeepRequest& keep_;
  uint64_t left_ = 0, top_ = 0;
  uint32_t columns_ = 0, rows_ = 0;
  std::vector<uint32_t> pixels_;
  bool flattened_ = false;
};

// Each decoder fills `canvas` with what it keeps of the picture in `bytes` and returns the
// picture's own width and height; it throws PictureLoadError ("<name>: <what is wrong>") for
// anything it cannot decode. None of them allocates more than a few rows of the picture
// beyond the canvas, whatever the header claims, except where the format forces it
// (multi-scan JPEG, interlaced PNG), and there within a fixed bound.
struct PictureSize {
  uint32_t width = 0, height = 0;
};
PictureSize decodeJpeg(std::span<const uint8_t> bytes, const std::string& name, Canvas& canvas);
PictureSize decodePng(std::span<const uint8_t> bytes, const std::string& name, Canvas& canvas);
PictureSize decodeBmp(std::span<const uint8_t> bytes, const std::string& name, Canvas& canvas);

// Format recognition by the first bytes of the file.
bool looksLikeJpeg(std::span<const uint8_t> bytes);
bool looksLikePng(std::span<const uint8_t> bytes);
bool looksLikeBmp(std::span<const uint8_t> bytes);

// Bounds the decoders share.
constexpr std::size_t kMaxFileBytes = std::size_t{256} << 20;
// A multi-scan JPEG holds every coefficient of the picture until its last scan.
constexpr std::size_t kMaxJpegCoefficientBytes = std::size_t{256} << 20;
// Beyond a few hundred scans a JPEG is an attack on the decoder's time, not a picture.
constexpr int kMaxJpegScans = 256;
// libpng keeps full-width rows; an interlaced PNG must be inflated almost entirely.
constexpr uint32_t kMaxPngWidth = 1u << 20;
constexpr std::size_t kMaxInterlacedPngBytes = std::size_t{512} << 20;
// All libpng may hold at once: three rows of at most 8 MiB and its small tables fit well.
constexpr std::size_t kMaxPngMemory = std::size_t{64} << 20;

// "<name>: <what>" as the error every decoder throws.
[[noreturn]] void failLoad(const std::string& name, const std::string& what);
// The errors of a canvas that could not be opened for a width x height picture.
[[noreturn]] void failOpen(const std::string& name, Canvas::Opened why, uint32_t width,
                           uint32_t height);

// Composites one straight-alpha channel value over the black background.
constexpr uint32_t overBlack(uint32_t value, uint32_t alpha) {
  return (value * alpha + 127) / 255;
}

}  // namespace peltrix
