// Loading a source picture file (JPEG, PNG, BMP) and keeping what the converter reads of it.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "colour/geometry.hpp"

namespace peltrix {

// A decoded picture, kept only as far as the converter ever reads it: the top-left
// 320 x 200 pixels. Pixels outside a smaller picture are black.
struct SourcePicture {
  int width = kWidth;    // the file's own dimensions
  int height = kHeight;
  std::vector<uint32_t> rgb = std::vector<uint32_t>(kPixels, 0);  // RGB values, y * 320 + x
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

}  // namespace peltrix
