// What the file layer does alike on every platform, over the platform's own calls in
// files_posix.cpp and files_windows.cpp.
#include <algorithm>

#include "platform/files.hpp"

namespace peltrix {

std::vector<uint8_t> readWholeFile(const std::string& path, std::size_t maxBytes) {
  using Kind = FileReadError::Kind;
  FileReader file(path);
  if (file.size() > maxBytes) throw FileReadError(Kind::TooLarge, "file too large");

  std::vector<uint8_t> bytes(static_cast<std::size_t>(file.size()));
  std::size_t filled = 0;
  for (;;) {
    // The file may grow while we read; keep going (within the bound) until the end.
    if (filled == bytes.size()) {
      if (bytes.size() > maxBytes) throw FileReadError(Kind::TooLarge, "file too large");
      bytes.resize(std::min(maxBytes + 1, bytes.size() + 65536));
    }
    const std::size_t got = file.read(filled, bytes.data() + filled, bytes.size() - filled);
    if (got == 0) break;
    filled += got;
  }
  bytes.resize(filled);
  return bytes;
}

}  // namespace peltrix
