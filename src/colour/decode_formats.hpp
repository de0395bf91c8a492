// The three decoders behind decodePicture, and what they share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "colour/picture.hpp"

namespace peltrix {

// The bytes of a picture as the PNG and BMP decoders read them: all in memory, or read from
// a file a window at a time as they are asked for, so that a file of any size takes no more
// than the window. Never throws once made: the decoders ask between their libraries' frames.
class PictureBytes {
 public:
  // Copies up to `count` bytes from `offset` on into `out`; fewer only where the data ends.
  // May throw; what() is then the reason the data could not be read.
  using Reader = std::function<std::size_t(uint64_t offset, uint8_t* out, std::size_t count)>;
  static constexpr std::size_t kWindow = std::size_t{1} << 20;

  explicit PictureBytes(std::span<const uint8_t> bytes) : memory_(bytes), size_(bytes.size()) {}
  PictureBytes(uint64_t size, Reader read)
      : size_(size), read_(std::move(read)), window_(kWindow) {}

  uint64_t size() const { return size_; }
  // The `count` bytes (at most kWindow) from `offset` on, valid until the next call; null
  // where the data ends first or cannot be read.
  const uint8_t* at(uint64_t offset, std::size_t count) noexcept;
  // Copies `count` bytes from `offset` on; false where the data ends first or cannot be read.
  bool copy(uint64_t offset, uint8_t* out, std::size_t count) noexcept;
  // Why the file could not be read; empty when it could (a null or false meant its end).
  const std::string& readError() const { return readError_; }

 private:
  std::size_t read(uint64_t offset, uint8_t* out, std::size_t count) noexcept;

  std::span<const uint8_t> memory_;
  uint64_t size_ = 0;
  Reader read_;
  std::vector<uint8_t> window_;
  uint64_t windowStart_ = 0;
  std::size_t windowBytes_ = 0;
  std::string readError_;
};

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
  // A whole picture past the request's bound is refused, or with `mayShrink` (a decoder that
  // stores every pixel of the picture, in any order) reduced by a whole factor as it comes.
  Opened open(uint32_t width, uint32_t height, bool mayShrink = false) noexcept;
  bool keepsWhole() const { return keep_.whole; }
  // The factor a width x height picture past the bound is reduced by.
  uint32_t shrinkFactor(uint32_t width, uint32_t height) const noexcept;

  bool keepsRow(uint64_t y) const { return y >= top_ && y - top_ < rows_; }
  uint64_t endRow() const { return top_ + rows_; }
  uint64_t left() const { return left_; }
  uint64_t endColumn() const { return left_ + columns_; }
  // Stores pixel (x, y) of the picture when the canvas keeps it.
  void put(uint64_t x, uint64_t y, uint32_t rgb) {
    if (keepsRow(y) && x >= left_ && x - left_ < columns_) {
      if (factor_ != 0) {
        addToSquare(static_cast<uint32_t>(x), static_cast<uint32_t>(y), rgb);
      } else {
        pixels_[(y - top_) * columns_ + (x - left_)] = rgb;
      }
    }
  }
  // A kept pixel was composited over black.
  void noteTransparency() { flattened_ = true; }

  DecodedPicture take(uint32_t width, uint32_t height);

 private:
  void addToSquare(uint32_t x, uint32_t y, uint32_t rgb);

  const KeepRequest& keep_;
  uint64_t left_ = 0, top_ = 0;
  uint32_t columns_ = 0, rows_ = 0;  // the picture's pixels it keeps
  std::vector<uint32_t> pixels_;
  bool flattened_ = false;
  // Reducing: each factor_ x factor_ square of the picture (cut short at its right and bottom
  // edges) is one of the shrunk pixels, whose linear-light sums stay here until take().
  uint32_t factor_ = 0;  // 0: not reducing
  uint32_t shrunkColumns_ = 0, shrunkRows_ = 0;
  std::vector<uint64_t> sums_;
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
PictureSize decodePng(PictureBytes& bytes, const std::string& name, Canvas& canvas);
PictureSize decodeBmp(PictureBytes& bytes, const std::string& name, Canvas& canvas);

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
// The error for data that `bytes` could not give: `ended` ("truncated ... data") where it
// ends, else why the file could not be read.
[[noreturn]] void failData(const std::string& name, const PictureBytes& bytes,
                           const std::string& ended);
// The errors of a canvas that could not be opened for a width x height picture.
[[noreturn]] void failOpen(const std::string& name, Canvas::Opened why, uint32_t width,
                           uint32_t height);

// Composites one straight-alpha channel value over the black background.
constexpr uint32_t overBlack(uint32_t value, uint32_t alpha) {
  return (value * alpha + 127) / 255;
}

}  // namespace peltrix
