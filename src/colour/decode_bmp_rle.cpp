// The run-length encodings of 4- and 8-bit BMPs, bounds-checked at every byte.
#include <algorithm>

#include "colour/decode_bmp.hpp"
#include "colour/decode_formats.hpp"

namespace peltrix {

namespace {

// Walks the stream from the bottom row up; only the rows that land in the canvas are
// stored, but all rows below them must be walked to get there.
class RleWalker {
 public:
  RleWalker(const BmpLayout& layout, Canvas& canvas) : layout_(layout), canvas_(canvas) {}

  void put(unsigned index) {
    if (x_ < layout_.width && row_ < layout_.height) {
      canvas_.put(x_, layout_.height - 1 - row_,
                  index < layout_.palette.size() ? layout_.palette[index] : 0);
    }
    ++x_;
  }
  void endOfLine() {
    x_ = 0;
    ++row_;
  }
  void move(unsigned dx, unsigned dy) {
    x_ += dx;
    row_ += dy;
  }
  bool pastTop() const { return row_ >= layout_.height; }
  // A stream may end without its end marker once the top row is complete.
  bool complete() const { return pastTop() || (row_ + 1 == layout_.height && x_ >= layout_.width); }

 private:
  const BmpLayout& layout_;
  Canvas& canvas_;
  uint64_t x_ = 0;
  uint64_t row_ = 0;  // counted from the bottom of the picture, as the stream runs
};

}  // namespace

void decodeBmpRle(PictureBytes& bytes, const BmpLayout& layout, Canvas& canvas,
                  const std::string& name) {
  const bool four = layout.bitsPerPixel == 4;
  RleWalker walker(layout, canvas);
  uint64_t at = layout.pixelOffset;
  const uint64_t end = bytes.size();
  auto available = [&](uint64_t n) { return at <= end && end - at >= n; };
  // The n bytes from `at` on, which available(n) said are there.
  auto read = [&](std::size_t n) {
    const uint8_t* p = bytes.at(at, n);
    if (p == nullptr) failData(name, bytes, "truncated BMP data");
    return p;
  };

  while (!walker.pastTop()) {
    if (!available(2)) {
      if (walker.complete()) return;
      failLoad(name, "truncated BMP data");
    }
    const uint8_t* token = read(2);
    const unsigned count = token[0];
    const unsigned value = token[1];
    at += 2;
    if (count > 0) {  // a run of one index (RLE8) or of two alternating ones (RLE4)
      for (unsigned i = 0; i < count; ++i)
        walker.put(four ? (i % 2 == 0 ? value >> 4 : value & 15) : value);
      continue;
    }
    switch (value) {
      case 0:
        walker.endOfLine();
        break;
      case 1:
        return;  // end of bitmap
      case 2: {
        if (!available(2)) failLoad(name, "truncated BMP data");
        const uint8_t* delta = read(2);
        walker.move(delta[0], delta[1]);
        at += 2;
        break;
      }
      default: {  // `value` literal indices, padded to an even number of bytes
        const uint64_t length = four ? (value + 1) / 2 : value;
        if (!available(length)) failLoad(name, "truncated BMP data");
        const uint8_t* literal = read(static_cast<std::size_t>(length));
        for (unsigned i = 0; i < value; ++i) {
          const uint8_t b = literal[four ? i / 2 : i];
          walker.put(four ? (i % 2 == 0 ? b >> 4 : b & 15) : b);
        }
        at += length + (length & 1);
      }
    }
  }
}

}  // namespace peltrix
