// Reading a picture file and handing its bytes to the decoder its content calls for.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

#include "colour/decode_formats.hpp"

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

SourcePicture decodePicture(std::span<const uint8_t> bytes, const std::string& name) {
  if (bytes.empty()) failLoad(name, "empty file");
  if (looksLikeJpeg(bytes)) return decodeJpeg(bytes, name);
  if (looksLikePng(bytes)) return decodePng(bytes, name);
  if (looksLikeBmp(bytes)) return decodeBmp(bytes, name);
  failLoad(name, "not a JPEG, PNG or BMP picture");
}

namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

std::string systemError(const char* action, int error) {
  return std::string(action) + " (" + std::strerror(error) + ")";
}

std::vector<uint8_t> readWholeFile(const std::string& path) {
  if (path.empty()) throw PictureLoadError("no file name given");
  // O_NONBLOCK: opening a FIFO must not wait for a writer.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) failLoad(path, systemError("cannot open", errno));
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) failLoad(path, systemError("cannot read", errno));
  if (S_ISDIR(info.st_mode)) failLoad(path, "is a directory, not a picture file");
  if (!S_ISREG(info.st_mode)) failLoad(path, "not a regular file");
  if (static_cast<uint64_t>(info.st_size) > kMaxFileBytes)
    failLoad(path,
             "file too large for a picture (over " + std::to_string(kMaxFileBytes >> 20) + " MiB)");

  std::vector<uint8_t> bytes(static_cast<std::size_t>(info.st_size));
  std::size_t filled = 0;
  for (;;) {
    // The file may grow while we read; keep going (within the bound) until the end.
    if (filled == bytes.size()) {
      if (bytes.size() > kMaxFileBytes) failLoad(path, "file too large for a picture");
      bytes.resize(std::min(kMaxFileBytes + 1, bytes.size() + 65536));
    }
    const ssize_t got = ::read(file.get(), bytes.data() + filled, bytes.size() - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      failLoad(path, systemError("cannot read", errno));
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  bytes.resize(filled);
  return bytes;
}

}  // namespace

SourcePicture loadPicture(const std::string& path) {
  const std::vector<uint8_t> bytes = readWholeFile(path);
  return decodePicture(bytes, path);
}

}  // namespace peltrix
