// The files the converter writes: the raw file (the assembled C64 data alone), the C64
// program file (load address $0800, a viewer program, the C64 data) and PNG pictures of the
// preview arrays. Every file is written to a temporary file beside the target and renamed
// over it when complete, so an existing file is never left truncated.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "output/c64data.hpp"
#include "output/preview_arrays.hpp"

namespace peltrix {

// A file that could not be created or written; what() names the path and the reason.
class FileWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file being written: a temporary file in the target's folder until commit() renames it
// over the target. Destroying an uncommitted AtomicFile removes the temporary file, so a
// failed or abandoned write leaves no partial file behind. Replacing an existing file keeps
// its permission bits. All failures throw FileWriteError.
class AtomicFile {
 public:
  explicit AtomicFile(std::string path);  // creates the temporary file at once
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  void write(std::span<const uint8_t> bytes);
  // Flushes the content to disk and closes it; a full disk shows here at the latest.
  void finish();
  void commit();  // finishes if need be, then renames: the file is then in place

  const std::string& path() const { return path_; }

 private:
  [[noreturn]] void fail(const std::string& reason);
  void discard() noexcept;

  std::string path_;
  std::string tempPath_;
  int fd_ = -1;
};

// Writes `bytes` as the whole content of the file at `path` (created or replaced).
void writeFile(const std::string& path, std::span<const uint8_t> bytes);

// The raw file: exactly the assembled data of `form`, no header.
std::span<const uint8_t> rawFileBytes(std::span<const uint8_t> outputBuffer, DataForm form);

// The program file: load address $0800, the viewer that shows `form` with these options,
// then the assembled data of `form`.
std::vector<uint8_t> programFileBytes(std::span<const uint8_t> outputBuffer, DataForm form,
                                      bool superFlicker, bool ntsc, bool assLace);

// A 320 x 200 8-bit RGB PNG of a preview picture (display values).
std::vector<uint8_t> pngFileBytes(const PixelPlane& picture);

}  // namespace peltrix
