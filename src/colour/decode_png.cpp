// PNG decoding with libpng: every colour type and bit depth, tRNS, alpha and Adam7
// interlacing. Each row comes out as 8-bit RGBA; alpha is composited over black, the
// converter's background (the same black that stands outside a small picture).
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "colour/decode_formats.hpp"
#include "colour/rgb.hpp"

namespace peltrix {

namespace {

enum class PngFailure {
  kNone,
  kTruncated,
  kRead,
  kLibrary,
  kTooWide,
  kTooLarge,
  kNoMemory,
  kCanvas
};

// libpng reports errors through onError, which longjmps back to the setjmp in decodeRows; the
// exception is thrown only after libpng's frames are gone.
struct PngSession {
  std::size_t allocated = 0;  // bytes libpng holds now, within kMaxPngMemory
  png_structp png = nullptr;
  png_infop info = nullptr;
  png_bytep row = nullptr;  // one full-width row from png_malloc, freed on every path

  PictureBytes* bytes = nullptr;
  uint64_t offset = 0;
  Canvas* canvas = nullptr;
  Canvas::Opened opened = Canvas::Opened::Ok;

  bool ranOut = false;
  bool readFailed = false;
  PngFailure failure = PngFailure::kNone;
  char message[200] = {};
  uint32_t width = 0;
  uint32_t height = 0;
};

void onError(png_structp png, png_const_charp message) {
  auto* s = static_cast<PngSession*>(png_get_error_ptr(png));
  std::strncpy(s->message, message, sizeof s->message - 1);
  s->failure = s->readFailed ? PngFailure::kRead
               : s->ranOut   ? PngFailure::kTruncated
                             : PngFailure::kLibrary;
  png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

// libpng's memory goes through here, so the decoder never holds more than kMaxPngMemory
// whatever sizes the file's chunks declare; past that libpng reports "out of memory" (or, for
// an ancillary chunk, skips it). Each block remembers its size in front of it.
constexpr std::size_t kBlockHeader = alignof(std::max_align_t);

png_voidp allocate(png_structp png, png_alloc_size_t size) {
  auto* s = static_cast<PngSession*>(png_get_mem_ptr(png));
  if (size > kMaxPngMemory - s->allocated) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(size + kBlockHeader));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &size, sizeof size);
  s->allocated += size;
  return block + kBlockHeader;
}

void release(png_structp png, png_voidp pointer) {
  if (pointer == nullptr) return;
  auto* s = static_cast<PngSession*>(png_get_mem_ptr(png));
  unsigned char* block = static_cast<unsigned char*>(pointer) - kBlockHeader;
  std::size_t size = 0;
  std::memcpy(&size, block, sizeof size);
  s->allocated -= size;
  std::free(block);
}

// Chunks the converter has no use for; skipping them also skips their (possibly huge or
// compressed) contents. Unknown chunks are skipped as well.
constexpr png_byte kSkippedChunks[] =
    "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf\0tIME\0pCAL\0sCAL\0hIST\0";

void readData(png_structp png, png_bytep out, png_size_t length) {
  auto* s = static_cast<PngSession*>(png_get_io_ptr(png));
  if (!s->bytes->copy(s->offset, out, length)) {
    s->readFailed = !s->bytes->readError().empty();
    s->ranOut = true;
    png_error(png, "unexpected end of file");
  }
  s->offset += length;
}

void finish(PngSession& s) {
  if (s.row != nullptr) png_free(s.png, s.row);
  s.row = nullptr;
  png_destroy_read_struct(&s.png, &s.info, nullptr);
}

[[noreturn]] void fail(PngSession& s, PngFailure failure) {
  s.failure = failure;
  png_longjmp(s.png, 1);
}

// Stores the pixels of one row (or of one Adam7 pass row: every `step`-th column from
// `first`) that fall into the canvas, composited over black.
void storeRow(const PngSession& s, const png_byte* rgba, uint32_t y, uint32_t first, uint32_t step,
              uint32_t count) {
  Canvas& canvas = *s.canvas;
  if (!canvas.keepsRow(y)) return;
  bool transparent = false;
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t x = first + uint64_t{i} * step;
    if (x >= canvas.endColumn()) break;
    if (x < canvas.left()) continue;
    const png_byte* p = rgba + 4 * i;
    const uint32_t a = p[3];
    transparent |= a != 255;
    canvas.put(x, y, packRgb(overBlack(p[0], a), overBlack(p[1], a), overBlack(p[2], a)));
  }
  if (transparent) canvas.noteTransparency();
}

// Adam7 without libpng's de-interlacing, which would need every kept row at full width:
// each pass row is placed straight where it belongs. The passes come one after another in
// the data, so all but the last must be read to its end; the last stops below the canvas.
void readInterlaced(PngSession& s) {
  for (int pass = 0; pass < 7; ++pass) {
    const uint32_t columns = PNG_PASS_COLS(s.width, pass);
    const uint32_t rows = PNG_PASS_ROWS(s.height, pass);
    if (columns == 0 || rows == 0) continue;  // libpng skips empty passes too
    const uint32_t firstColumn = PNG_PASS_START_COL(pass);
    const uint32_t columnStep = 1u << PNG_PASS_COL_SHIFT(pass);
    for (uint32_t r = 0; r < rows; ++r) {
      const uint32_t y = PNG_PASS_START_ROW(pass) + (r << PNG_PASS_ROW_SHIFT(pass));
      if (pass == 6 && y >= s.canvas->endRow()) return;
      png_read_row(s.png, s.row, nullptr);
      storeRow(s, s.row, y, firstColumn, columnStep, columns);
    }
  }
}

// The libpng part of a decode; no C++ object with a destructor lives here, since longjmp
// skips destructors. Returns false with s.failure set.
bool decodeRows(PngSession& s) {
  s.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &s, onError, onWarning, &s, allocate,
                                   release);
  if (s.png == nullptr) {
    s.failure = PngFailure::kNoMemory;
    return false;
  }
  s.info = png_create_info_struct(s.png);
  if (s.info == nullptr) {
    s.failure = PngFailure::kNoMemory;
    finish(s);
    return false;
  }
  if (setjmp(png_jmpbuf(s.png)) != 0) {
    finish(s);
    return false;
  }
  // Our own bounds below give clearer messages than libpng's default limits.
  png_set_user_limits(s.png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
  png_set_keep_unknown_chunks(s.png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
  png_set_keep_unknown_chunks(s.png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks,
                              static_cast<int>(sizeof kSkippedChunks / 5));
  png_set_read_fn(s.png, &s, readData);
  png_read_info(s.png, s.info);

  int bitDepth = 0, colourType = 0, interlace = 0;
  png_get_IHDR(s.png, s.info, &s.width, &s.height, &bitDepth, &colourType, &interlace, nullptr,
               nullptr);
  if (s.width > kMaxPngWidth) fail(s, PngFailure::kTooWide);
  const bool interlaced = interlace != PNG_INTERLACE_NONE;
  // A whole picture is read to its end anyway, interlaced or not.
  if (interlaced && !s.canvas->keepsWhole()) {
    const uint64_t rowBytes = png_get_rowbytes(s.png, s.info);
    if (rowBytes * s.height > kMaxInterlacedPngBytes) fail(s, PngFailure::kTooLarge);
  }

  // Everything becomes 8-bit RGBA: palettes and small greys expand, tRNS becomes alpha,
  // 16 bits scale (rounded) to 8, grey spreads to RGB, and a missing alpha is opaque.
  png_set_expand(s.png);
  png_set_scale_16(s.png);
  png_set_gray_to_rgb(s.png);
  png_set_filler(s.png, 0xFF, PNG_FILLER_AFTER);
  png_read_update_info(s.png, s.info);
  s.opened = s.canvas->open(s.width, s.height, true);
  if (s.opened != Canvas::Opened::Ok) fail(s, PngFailure::kCanvas);
  s.row = static_cast<png_bytep>(png_malloc(s.png, png_get_rowbytes(s.png, s.info)));

  if (interlaced) {
    readInterlaced(s);
  } else {
    const uint64_t rows = std::min<uint64_t>(s.height, s.canvas->endRow());
    for (uint32_t y = 0; y < rows; ++y) {
      png_read_row(s.png, s.row, nullptr);
      storeRow(s, s.row, y, 0, 1, s.width);
    }
  }
  // The rows past the canvas are never read; the rest of the file does not matter.
  finish(s);
  return true;
}

}  // namespace

PictureSize decodePng(PictureBytes& bytes, const std::string& name, Canvas& canvas) {
  PngSession session;
  session.bytes = &bytes;
  session.canvas = &canvas;
  if (decodeRows(session)) return {session.width, session.height};
  const std::string size = std::to_string(session.width) + " x " + std::to_string(session.height);
  switch (session.failure) {
    case PngFailure::kCanvas:
      failOpen(name, session.opened, session.width, session.height);
    case PngFailure::kTruncated:
      failLoad(name, "truncated PNG data");
    case PngFailure::kRead:
      failData(name, bytes, "truncated PNG data");
    case PngFailure::kTooWide:
      failLoad(name, "PNG too wide (" + size + "; at most " + std::to_string(kMaxPngWidth) +
                         " pixels wide)");
    case PngFailure::kTooLarge:
      failLoad(name, "interlaced PNG too large to decode (" + size + ")");
    case PngFailure::kNoMemory:
      failLoad(name, "out of memory");
    case PngFailure::kLibrary:
    case PngFailure::kNone:
      break;
  }
  failLoad(name, std::string("cannot decode PNG data (") + session.message + ")");
}

}  // namespace peltrix
