// The three decoders behind decodePicture, and what they share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "colour/picture.hpp"

namespace peltrix {

// Each decoder keeps the top-left 320 x 200 pixels of the picture in `bytes` and throws
// PictureLoadError ("<name>: <what is wrong>") for anything it cannot decode. None of them
// allocates more than a few rows of the picture, whatever the header claims, except where the
// format forces it (multi-scan JPEG), and there within a fixed bound.
SourcePicture decodeJpeg(std::span<const uint8_t> bytes, const std::string& name);
SourcePicture decodePng(std::span<const uint8_t> bytes, const std::string& name);
SourcePicture decodeBmp(std::span<const uint8_t> bytes, const std::string& name);

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

// Composites one straight-alpha channel value over the black background.
constexpr uint32_t overBlack(uint32_t value, uint32_t alpha) {
  return (value * alpha + 127) / 255;
}

}  // namespace peltrix
