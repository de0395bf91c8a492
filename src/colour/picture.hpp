// Loading a source picture file (JPEG, PNG, BMP) and keeping what the converter reads of it.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "colour/geometry.hpp"

namespace peltrix {

// A decoded picture, kept only as far as the converter ever reads it: 320 x 200 pixels, the
// picture's top-left ones unless it was framed otherwise. Pixels outside a smaller picture
// are black.
struct SourcePicture {
  int width = kWidth;  // the file's own dimensions
  int height = kHeight;
  bool transparencyFlattened = false;  // a kept pixel was not opaque and went onto black
  std::vector<uint32_t> rgb = std::vector<uint32_t>(kPixels, 0);  // RGB values, y * 320 + x
};

// A whole picture as decoded is bounded, whatever its header claims: 128 MiB of pixels.
constexpr uint64_t kMaxWholePixels = uint64_t{1} << 25;
// A picture reduced while decoded holds 24 bytes a pixel until it is done: 48 MiB at most.
constexpr uint64_t kMaxShrunkPixels = uint64_t{1} << 21;

// What a decode keeps of a picture: the 320 x 200 window from (left, top), or the whole
// picture (to be scaled), which a JPEG may deliver at 1/2, 1/4 or 1/8 of its size as long as
// it stays at least as large as `minimumSize` asks for the picture's own size. A whole PNG or
// BMP of more than `maxWholePixels` is reduced while it is decoded instead: each square of
// n x n pixels is averaged (in linear light) into one, n the largest whole number that leaves
// it as large as `minimumSize` asks, or a larger one where only that keeps it within
// kMaxShrunkPixels.
struct KeepRequest {
  bool whole = false;
  uint32_t left = 0, top = 0;
  struct Size {
    uint64_t width = 0, height = 0;
  };
  std::function<Size(uint32_t width, uint32_t height)> minimumSize;  // empty: full size
  uint64_t maxWholePixels = kMaxWholePixels;
};

// The pixels a decode kept.
struct DecodedPicture {
  uint32_t width = 0, height = 0;  // the file's own dimensions
  uint32_t columns = 0, rows = 0;  // the kept pixels: the window, or the whole picture as decoded
  std::vector<uint32_t> rgb;       // columns x rows RGB values, black where the picture ends
  bool transparencyFlattened = false;
};

// Why a file could not be loaded; what() names the file and the reason.
class PictureLoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Decodes the file at `path`, recognising the format by its content, not its name.
// Throws PictureLoadError; never exits, never reads out of bounds.
SourcePicture loadPicture(const std::string& path);

// The same for bytes already in memory (`name` is used in error messages).
SourcePicture decodePicture(std::span<const uint8_t> bytes, const std::string& name);

// The same, keeping what `keep` asks for. A whole JPEG larger than keep.maxWholePixels even at
// 1/8 of its size is refused with PictureLoadError before anything is allocated for it. A PNG
// or BMP file is read a piece at a time as it is decoded, so that it may be of any size;
// another file is read whole first, up to kMaxFileBytes.
DecodedPicture loadPictureKeeping(const std::string& path, const KeepRequest& keep);
DecodedPicture decodePictureKeeping(std::span<const uint8_t> bytes, const std::string& name,
                                    const KeepRequest& keep);

// A kept window as the source picture (a whole picture gives its top-left 320 x 200).
SourcePicture toSourcePicture(DecodedPicture&& kept);

}  // namespace peltrix
