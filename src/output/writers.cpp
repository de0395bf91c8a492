#include "output/writers.hpp"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cassert>
#include <cerrno>
#include <cstring>
#include <utility>

#include "output/viewers/viewers.hpp"

namespace peltrix {

namespace {

std::string reasonOf(int error) {
  return std::strerror(error);
}

// The temporary file sits in the target's own folder, so the final rename never crosses a
// file system; the leading dot keeps it out of ordinary listings while it exists.
std::string temporaryPathFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return folder + "." + name + ".tmp-" + std::to_string(getpid()) + "-" +
         std::to_string(counter.fetch_add(1));
}

}  // namespace

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {
  if (path_.empty()) throw FileWriteError("cannot write a file with an empty name");
  struct stat target {};
  const bool replacing = ::stat(path_.c_str(), &target) == 0;
  if (replacing && S_ISDIR(target.st_mode)) fail(reasonOf(EISDIR));
  for (int attempt = 0; fd_ < 0; ++attempt) {
    tempPath_ = temporaryPathFor(path_);
    fd_ = ::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && (errno != EEXIST || attempt > 100)) {
      const int error = errno;
      tempPath_.clear();
      fail(reasonOf(error));
    }
  }
  if (replacing) ::fchmod(fd_, target.st_mode & 07777);  // best effort: keep the old mode
}

AtomicFile::~AtomicFile() {
  discard();
}

void AtomicFile::discard() noexcept {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
  tempPath_.clear();
}

void AtomicFile::fail(const std::string& reason) {
  discard();
  throw FileWriteError("cannot write " + path_ + ": " + reason);
}

void AtomicFile::write(std::span<const uint8_t> bytes) {
  if (fd_ < 0) fail("the file is already closed");
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) fail(reasonOf(n < 0 ? errno : EIO));
    bytes = bytes.subspan(static_cast<size_t>(n));
  }
}

void AtomicFile::finish() {
  if (fd_ < 0) fail("the file is already closed");
  // A full disk may only show at fsync or close; the target stays untouched until both pass.
  if (::fsync(fd_) != 0 && errno != EINVAL) fail(reasonOf(errno));
  const int fd = std::exchange(fd_, -1);
  if (::close(fd) != 0) fail(reasonOf(errno));
}

void AtomicFile::commit() {
  if (fd_ >= 0) finish();
  if (tempPath_.empty()) fail("the file is already closed");
  if (::rename(tempPath_.c_str(), path_.c_str()) != 0) fail(reasonOf(errno));
  tempPath_.clear();
}

void writeFile(const std::string& path, std::span<const uint8_t> bytes) {
  AtomicFile file(path);
  file.write(bytes);
  file.commit();
}

std::span<const uint8_t> rawFileBytes(std::span<const uint8_t> outputBuffer, DataForm form) {
  assert(outputBuffer.size() >= static_cast<size_t>(dataSize(form)));
  return outputBuffer.first(static_cast<size_t>(dataSize(form)));
}

std::vector<uint8_t> programFileBytes(std::span<const uint8_t> outputBuffer, DataForm form,
                                      bool superFlicker, bool ntsc, bool assLace) {
  const std::span<const uint8_t> viewer =
      viewerProgram(chooseViewer(form == DataForm::Fli, superFlicker, ntsc, assLace));
  const std::span<const uint8_t> data = rawFileBytes(outputBuffer, form);
  std::vector<uint8_t> bytes{0x00, 0x08};  // load address $0800, low byte first
  bytes.reserve(2 + viewer.size() + data.size());
  bytes.insert(bytes.end(), viewer.begin(), viewer.end());
  bytes.insert(bytes.end(), data.begin(), data.end());
  return bytes;
}

namespace {

void appendToVector(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

}  // namespace

std::vector<uint8_t> pngFileBytes(const PixelPlane& picture) {
  // Rows are converted up front so that nothing below needs cleaning up after a longjmp.
  std::vector<uint8_t> pixels(static_cast<size_t>(kPixels) * 3);
  for (int i = 0; i < kPixels; ++i) {
    const uint32_t v = picture.load(i);  // display value: red in bits 0-7
    pixels[i * 3 + 0] = static_cast<uint8_t>(v & 0xFF);
    pixels[i * 3 + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
    pixels[i * 3 + 2] = static_cast<uint8_t>((v >> 16) & 0xFF);
  }
  std::vector<png_bytep> rows(kHeight);
  for (int y = 0; y < kHeight; ++y) rows[y] = pixels.data() + y * kWidth * 3;

  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    throw FileWriteError("cannot encode PNG picture: out of memory");
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw FileWriteError("cannot encode PNG picture");
  }
  png_set_write_fn(png, &out, appendToVector, nullptr);
  png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_rows(png, info, rows.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

}  // namespace peltrix
