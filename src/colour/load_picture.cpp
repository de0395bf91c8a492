// Reading a picture file and handing its bytes to the decoder its content calls for.
#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <optional>
#include <vector>

#include "colour/decode_formats.hpp"
#include "platform/files.hpp"

namespace peltrix {

void failLoad(const std::string& name, const std::string& what) {
  throw PictureLoadError(name + ": " + what);
}

void failData(const std::string& name, const PictureBytes& bytes, const std::string& ended) {
  if (!bytes.readError().empty()) failLoad(name, "cannot read (" + bytes.readError() + ")");
  failLoad(name, ended);
}

std::size_t PictureBytes::read(uint64_t offset, uint8_t* out, std::size_t count) noexcept {
  try {
    return read_(offset, out, count);
  } catch (const std::exception& e) {
    readError_ = e.what();
    return 0;
  }
}

const uint8_t* PictureBytes::at(uint64_t offset, std::size_t count) noexcept {
  if (offset > size_ || size_ - offset < count || count > kWindow) return nullptr;
  if (!read_) return memory_.data() + offset;
  if (offset < windowStart_ || offset - windowStart_ + count > windowBytes_) {
    windowStart_ = offset;
    windowBytes_ = read(offset, window_.data(), std::min<uint64_t>(kWindow, size_ - offset));
    if (windowBytes_ < count) return nullptr;  // the file ended early or could not be read
  }
  return window_.data() + (offset - windowStart_);
}

bool PictureBytes::copy(uint64_t offset, uint8_t* out, std::size_t count) noexcept {
  if (offset > size_ || size_ - offset < count) return false;
  if (count == 0) return true;
  if (read_ && count > kWindow) return read(offset, out, count) == count;  // past the window
  const uint8_t* from = read_ ? at(offset, count) : memory_.data() + offset;
  if (from == nullptr) return false;
  std::memcpy(out, from, count);
  return true;
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
  PictureBytes inMemory(bytes);
  if (looksLikeJpeg(bytes)) {
    size = decodeJpeg(bytes, name, canvas);
  } else if (looksLikePng(bytes)) {
    size = decodePng(inMemory, name, canvas);
  } else if (looksLikeBmp(bytes)) {
    size = decodeBmp(inMemory, name, canvas);
  } else {
    failLoad(name, "not a JPEG, PNG or BMP picture");
  }
  return canvas.take(size.width, size.height);
}

SourcePicture decodePicture(std::span<const uint8_t> bytes, const std::string& name) {
  return toSourcePicture(decodePictureKeeping(bytes, name, KeepRequest{}));
}

namespace {

// Why a file could not be read, in the words the command line and the windows show.
[[noreturn]] void failFileRead(const std::string& path, const FileReadError& e) {
  using Kind = FileReadError::Kind;
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

std::vector<uint8_t> readPictureFile(const std::string& path) {
  if (path.empty()) throw PictureLoadError("no file name given");
  try {
    return readWholeFile(path, kMaxFileBytes);
  } catch (const FileReadError& e) {
    failFileRead(path, e);
  }
}

}  // namespace

SourcePicture loadPicture(const std::string& path) {
  return toSourcePicture(loadPictureKeeping(path, KeepRequest{}));
}

DecodedPicture loadPictureKeeping(const std::string& path, const KeepRequest& keep) {
  // A PNG or BMP is read as it is decoded, a window at a time; anything else (and any file
  // that cannot be opened, which readPictureFile then reports) is read whole first.
  std::optional<FileReader> file;
  std::array<uint8_t, 18> start{};
  std::size_t started = 0;
  // A file that cannot be opened is reported at once, never opened a second time: a pipe
  // or a device may answer a second open differently (a named pipe is busy by then).
  try {
    if (!path.empty()) file.emplace(path);
    if (file) started = file->read(0, start.data(), start.size());
  } catch (const FileReadError& e) {
    failFileRead(path, e);
  }
  const std::span<const uint8_t> first(start.data(), started);
  if (file && (looksLikePng(first) || looksLikeBmp(first))) {
    FileReader& reader = *file;
    PictureBytes bytes(reader.size(), [&reader](uint64_t offset, uint8_t* out, std::size_t count) {
      return reader.read(offset, out, count);
    });
    Canvas canvas(keep);
    const PictureSize size =
        looksLikePng(first) ? decodePng(bytes, path, canvas) : decodeBmp(bytes, path, canvas);
    return canvas.take(size.width, size.height);
  }
  file.reset();
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
