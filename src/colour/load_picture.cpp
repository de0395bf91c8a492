// Reading a picture file and handing its bytes to the decoder its content calls for.
#include <algorithm>
#include <array>
#include <vector>

#include "colour/decode_formats.hpp"
#include "platform/files.hpp"

namespace peltrix {

void failLoad(const std::string& name, const std::string& what) {
  throw PictureLoadError(name + ": " + what);
}

bool looksLikeJpeg(std::span<const uint8_t> bytes) {
  return bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
}

bool looksLikePng(std::span<const uint8_t> bytes) {
  static constexpr std::array<uint8_t, 8> kSignature = {0x89, 'P',  'N',  'G',
                                                        '\r', '\n', 0x1A, '\n'};
  // A file cut inside the signature is still a (truncated) PNG.
  const std::size_t n = std::min(bytes.size(), kSignature.size());
  return n >= 2 && std::equal(bytes.begin(), bytes.begin() + n, kSignature.begin());
}

bool looksLikeBmp(std::span<const uint8_t> bytes) {
  if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M') return false;
  if (bytes.size() < 18) return true;  // too short to tell: the BMP reader calls it truncated
  // "BM" alone is too weak (a text file may start so); the info header size must be one
  // that some BMP writer uses.
  const uint32_t headerSize =
      bytes[14] | bytes[15] << 8 | bytes[16] << 16 | uint32_t{bytes[17]} << 24;
  return headerSize == 12 || (headerSize >= 16 && headerSize <= 64) || headerSize == 108 ||
         headerSize == 124;
}

DecodedPicture decodePictureKeeping(std::span<const uint8_t> bytes, const std::string& name,
                                    const KeepRequest& keep) {
  if (bytes.empty()) failLoad(name, "empty file");
  Canvas canvas(keep);
  PictureSize size;
  if (looksLikeJpeg(bytes)) {
    size = decodeJpeg(bytes, name, canvas);
  } else if (looksLikePng(bytes)) {
    size = decodePng(bytes, name, canvas);
  } else if (looksLikeBmp(bytes)) {
    size = decodeBmp(bytes, name, canvas);
  } else {
    failLoad(name, "not a JPEG, PNG or BMP picture");
  }
  return canvas.take(size.width, size.height);
}

SourcePicture decodePicture(std::span<const uint8_t> bytes, const std::string& name) {
  return toSourcePicture(decodePictureKeeping(bytes, name, KeepRequest{}));
}

namespace {

std::vector<uint8_t> readPictureFile(const std::string& path) {
  if (path.empty()) throw PictureLoadError("no file name given");
  using Kind = FileReadError::Kind;
  try {
    return readWholeFile(path, kMaxFileBytes);
  } catch (const FileReadError& e) {
    switch (e.kind()) {
      case Kind::Open:
        failLoad(path, std::string("cannot open (") + e.what() + ")");
      case Kind::Read:
        failLoad(path, std::string("cannot read (") + e.what() + ")");
      case Kind::Directory:
        failLoad(path, "is a directory, not a picture file");
      case Kind::NotRegular:
        failLoad(path, "not a regular file");
      case Kind::TooLarge:
        break;
    }
    failLoad(path,
             "file too large for a picture (over " + std::to_string(kMaxFileBytes >> 20) + " MiB)");
  }
}

}  // namespace

SourcePicture loadPicture(const std::string& path) {
  const std::vector<uint8_t> bytes = readPictureFile(path);
  return decodePicture(bytes, path);
}

DecodedPicture loadPictureKeeping(const std::string& path, const KeepRequest& keep) {
  const std::vector<uint8_t> bytes = readPictureFile(path);
  return decodePictureKeeping(bytes, path, keep);
}

SourcePicture toSourcePicture(DecodedPicture&& window) {
  SourcePicture picture;
  picture.width = static_cast<int>(window.width);
  picture.height = static_cast<int>(window.height);
  picture.transparencyFlattened = window.transparencyFlattened;
  if (window.columns == kWidth && window.rows == kHeight) {
    picture.rgb = std::move(window.rgb);
  } else {
    // A whole picture: its top-left corner, as a window would have kept it.
    for (uint32_t y = 0; y < std::min<uint32_t>(window.rows, kHeight); ++y) {
      for (uint32_t x = 0; x < std::min<uint32_t>(window.columns, kWidth); ++x) {
        picture.rgb[y * kWidth + x] = window.rgb[std::size_t{y} * window.columns + x];
      }
    }
  }
  return picture;
}

}  // namespace peltrix
