// A BMP reader of our own: Windows (BITMAPINFOHEADER, V2-V5) and OS/2 (1.x core, 2.x)
// headers; 1/2/4/8-bit palettes, 16 (555 or bit fields), 24 and 32 bits (plain or bit
// fields), bottom-up and top-down rows, RLE4 and RLE8. Every byte is bounds-checked before
// it is read. Alpha is ignored, as the Windows screen shows a BMP.
#include "colour/decode_bmp.hpp"

#include <algorithm>
#include <bit>

#include "colour/decode_formats.hpp"
#include "colour/rgb.hpp"

namespace peltrix {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;  // OS/2 1.x
constexpr uint32_t kInfoHeaderSize = 40;  // Windows 3

enum Compression : uint32_t {
  kRgb = 0,
  kRle8 = 1,
  kRle4 = 2,
  kBitFields = 3,  // OS/2 2.x: Huffman 1D
  kJpeg = 4,       // OS/2 2.x: RLE24
  kPng = 5,
  kAlphaBitFields = 6,
};

uint32_t le16(std::span<const uint8_t> b, uint64_t at) {
  return b[at] | b[at + 1] << 8;
}
uint32_t le32(std::span<const uint8_t> b, uint64_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t{b[at + 3]} << 24;
}

// One colour channel as a bit field of a 16- or 32-bit pixel, widened to 0..255.
class Channel {
 public:
  Channel() = default;
  explicit Channel(uint32_t mask)
      : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0), max_(mask >> shift_) {}
  bool contiguous() const { return (max_ & (max_ + 1)) == 0; }
  uint32_t operator()(uint32_t pixel) const {
    if (max_ == 0) return 0;
    const uint64_t v = (pixel & mask_) >> shift_;
    return static_cast<uint32_t>((v * 255 + max_ / 2) / max_);
  }

 private:
  uint32_t mask_ = 0;
  int shift_ = 0;
  uint32_t max_ = 0;
};

struct BmpFormat {
  BmpLayout layout;
  uint32_t compression = kRgb;
  Channel red, green, blue;
};

std::string compressionName(uint32_t compression, bool os2) {
  switch (compression) {
    case kBitFields:
      return "Huffman 1D";  // only reached for OS/2 headers
    case kJpeg:
      return os2 ? "RLE24" : "JPEG";
    case kPng:
      return "PNG";
    case 11:
    case 12:
    case 13:
      return "CMYK";
    default:
      return "type " + std::to_string(compression);
  }
}

BmpFormat readHeaders(std::span<const uint8_t> b, const std::string& name) {
  if (b.size() < kFileHeaderSize + 4) failLoad(name, "truncated BMP data");
  const uint32_t headerSize = le32(b, 14);
  if (headerSize != kCoreHeaderSize && (headerSize < 16 || headerSize > 64) && headerSize != 108 &&
      headerSize != 124)
    failLoad(name, "unsupported BMP header (" + std::to_string(headerSize) + " bytes)");
  if (b.size() < kFileHeaderSize + headerSize) failLoad(name, "truncated BMP data");

  BmpFormat f;
  BmpLayout& l = f.layout;
  int64_t width = 0, height = 0;
  uint32_t coloursUsed = 0;
  unsigned paletteEntrySize = 4;
  const bool core = headerSize == kCoreHeaderSize;
  // OS/2 2.x headers are 16 to 64 bytes; Windows uses 40, 52, 56, 108 and 124.
  const bool os2 = core || (headerSize != kInfoHeaderSize && headerSize != 52 && headerSize != 56 &&
                            headerSize <= 64);
  if (core) {
    width = le16(b, 18);
    height = le16(b, 20);
    l.bitsPerPixel = le16(b, 24);
    paletteEntrySize = 3;
  } else {
    width = static_cast<int32_t>(le32(b, 18));
    height = static_cast<int32_t>(le32(b, 22));
    l.bitsPerPixel = le16(b, 28);
    if (headerSize >= 20) f.compression = le32(b, 30);
    if (headerSize >= 36) coloursUsed = le32(b, 46);
  }
  if (width <= 0 || height == 0 || height < -INT32_MAX)
    failLoad(name, "invalid BMP dimensions (" + std::to_string(width) + " x " +
                       std::to_string(height) + ")");
  l.width = static_cast<uint32_t>(width);
  l.topDown = height < 0;
  l.height = static_cast<uint32_t>(height < 0 ? -height : height);

  const unsigned bpp = l.bitsPerPixel;
  uint64_t paletteStart = kFileHeaderSize + headerSize;
  switch (f.compression) {
    case kRgb:
      if (bpp != 1 && bpp != 2 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        failLoad(name, "unsupported BMP bit depth (" + std::to_string(bpp) + ")");
      if (bpp == 16) f.red = Channel(0x7C00), f.green = Channel(0x03E0), f.blue = Channel(0x001F);
      if (bpp == 32) f.red = Channel(0xFF0000), f.green = Channel(0xFF00), f.blue = Channel(0xFF);
      break;
    case kRle8:
    case kRle4:
      if (bpp != (f.compression == kRle8 ? 8u : 4u))
        failLoad(name, "invalid BMP: RLE" + std::to_string(f.compression == kRle8 ? 8 : 4) +
                           " with " + std::to_string(bpp) + " bits per pixel");
      if (l.topDown) failLoad(name, "invalid BMP: compressed rows cannot run top-down");
      break;
    case kBitFields:
    case kAlphaBitFields: {
      if (os2)
        failLoad(name, "unsupported BMP compression (" + compressionName(f.compression, os2) + ")");
      if (bpp != 16 && bpp != 32)
        failLoad(name, "unsupported BMP bit depth (" + std::to_string(bpp) + " with bit fields)");
      // The masks sit in the larger headers, or right after a 40-byte one.
      if (headerSize == kInfoHeaderSize) paletteStart += f.compression == kBitFields ? 12 : 16;
      if (b.size() < 66) failLoad(name, "truncated BMP data");
      const uint32_t masks[3] = {le32(b, 54), le32(b, 58), le32(b, 62)};
      for (uint32_t m : masks) {
        if ((bpp == 16 && m > 0xFFFF) || !Channel(m).contiguous())
          failLoad(name, "invalid BMP colour masks");
      }
      f.red = Channel(masks[0]), f.green = Channel(masks[1]), f.blue = Channel(masks[2]);
      break;
    }
    default:
      failLoad(name, "unsupported BMP compression (" + compressionName(f.compression, os2) + ")");
  }

  const uint32_t pixelOffset = le32(b, 10);
  if (bpp <= 8) {
    // The palette ends where the pixel data begins, whatever the header counts.
    uint64_t entries = coloursUsed == 0 || coloursUsed > (1u << bpp) ? 1u << bpp : coloursUsed;
    if (pixelOffset > paletteStart)
      entries = std::min<uint64_t>(entries, (pixelOffset - paletteStart) / paletteEntrySize);
    if (paletteStart + entries * paletteEntrySize > b.size()) failLoad(name, "truncated BMP data");
    for (uint64_t i = 0; i < entries; ++i) {
      const uint64_t at = paletteStart + i * paletteEntrySize;
      l.palette.push_back(packRgb(b[at + 2], b[at + 1], b[at]));  // stored blue, green, red
    }
    paletteStart += entries * paletteEntrySize;
  }
  // A pixel offset inside the headers is a broken writer's; the data then follows the palette.
  l.pixelOffset = pixelOffset >= paletteStart ? pixelOffset : paletteStart;
  return f;
}

uint32_t pixelAt(const BmpFormat& f, const uint8_t* row, uint32_t x) {
  const BmpLayout& l = f.layout;
  switch (l.bitsPerPixel) {
    case 1:
    case 2:
    case 4: {
      const unsigned bpp = l.bitsPerPixel;
      const unsigned bit = x * bpp;
      const unsigned index = (row[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
      return index < l.palette.size() ? l.palette[index] : 0;
    }
    case 8:
      return row[x] < l.palette.size() ? l.palette[row[x]] : 0;
    case 16: {
      const uint32_t p = row[2 * x] | row[2 * x + 1] << 8;
      return packRgb(f.red(p), f.green(p), f.blue(p));
    }
    case 24:
      return packRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    default: {
      const uint8_t* q = row + 4 * x;
      const uint32_t p = q[0] | q[1] << 8 | q[2] << 16 | uint32_t{q[3]} << 24;
      return packRgb(f.red(p), f.green(p), f.blue(p));
    }
  }
}

// Reads only the kept rows, each where its index puts it, in the order the file holds them;
// a row the file does not reach means the file is truncated. A row is read in pieces, so that
// a row of any width takes no more than a piece.
void readRows(PictureBytes& b, const BmpFormat& f, Canvas& canvas, const std::string& name) {
  const BmpLayout& l = f.layout;
  const uint64_t stride = (uint64_t{l.width} * l.bitsPerPixel + 31) / 32 * 4;
  const uint64_t columns = std::min<uint64_t>(l.width, canvas.endColumn());
  const uint64_t needed = (columns * l.bitsPerPixel + 7) / 8;
  const uint64_t rows = std::min<uint64_t>(l.height, canvas.endRow());
  // Pixels a piece: a multiple of 8, so that every piece starts on a whole byte.
  constexpr uint64_t kPiece = 8192;
  for (uint64_t i = 0; i < rows; ++i) {
    const uint64_t y = l.topDown ? i : rows - 1 - i;
    if (!canvas.keepsRow(y)) continue;
    const uint64_t fileRow = l.topDown ? y : l.height - 1 - y;
    // fileRow * stride cannot overflow once fileRow is below size / stride + 1.
    if (fileRow > b.size() / stride) failLoad(name, "truncated BMP data");
    const uint64_t start = l.pixelOffset + fileRow * stride;
    if (start > b.size() || b.size() - start < needed) failLoad(name, "truncated BMP data");
    for (uint64_t first = canvas.left() / 8 * 8; first < columns; first += kPiece) {
      const uint64_t end = std::min(columns, first + kPiece);
      const uint64_t from = first * l.bitsPerPixel / 8;
      const uint8_t* piece =
          b.at(start + from, static_cast<std::size_t>((end * l.bitsPerPixel + 7) / 8 - from));
      if (piece == nullptr) failData(name, b, "truncated BMP data");
      for (uint64_t x = std::max(first, canvas.left()); x < end; ++x)
        canvas.put(x, y, pixelAt(f, piece, static_cast<uint32_t>(x - first)));
    }
  }
}

}  // namespace

PictureSize decodeBmp(PictureBytes& bytes, const std::string& name, Canvas& canvas) {
  // The headers, bit fields and palette all lie within the first 1,200 bytes.
  const std::size_t headed = static_cast<std::size_t>(std::min<uint64_t>(bytes.size(), 4096));
  const uint8_t* head = bytes.at(0, headed);
  if (head == nullptr) failData(name, bytes, "truncated BMP data");
  const BmpFormat format = readHeaders({head, headed}, name);
  const BmpLayout& l = format.layout;
  const Canvas::Opened opened = canvas.open(l.width, l.height, true);
  if (opened != Canvas::Opened::Ok) failOpen(name, opened, l.width, l.height);
  if (format.compression == kRle8 || format.compression == kRle4) {
    decodeBmpRle(bytes, l, canvas, name);
  } else {
    readRows(bytes, format, canvas, name);
  }
  return {l.width, l.height};
}

}  // namespace peltrix
