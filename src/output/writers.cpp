#include "output/writers.hpp"

#include <png.h>

#include <cassert>

#include "colour/rgb.hpp"
#include "output/viewers/viewers.hpp"

namespace peltrix {

void writeFile(const std::string& path, std::span<const uint8_t> bytes) {
  AtomicFile file(path);
  file.write(bytes);
  file.commit();
}

std::span<const uint8_t> rawFileBytes(std::span<const uint8_t> c64Data, DataForm form) {
  assert(c64Data.size() >= static_cast<size_t>(dataSize(form)));
  return c64Data.first(static_cast<size_t>(dataSize(form)));
}

std::vector<uint8_t> programFileBytes(std::span<const uint8_t> c64Data, DataForm form,
                                      Viewer chosen) {
  assert(showsFliData(chosen) == (form == DataForm::Fli));
  const std::span<const uint8_t> viewer = viewerProgram(chosen);
  const std::span<const uint8_t> data = rawFileBytes(c64Data, form);
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

std::vector<uint8_t> pngFileBytes(const RgbPicture& picture) {
  // Rows are converted up front so that nothing below needs cleaning up after a longjmp.
  std::vector<uint8_t> pixels(static_cast<size_t>(kPixels) * 3);
  for (int i = 0; i < kPixels; ++i) {
    const uint32_t v = picture[i];
    pixels[i * 3 + 0] = static_cast<uint8_t>(red(v));
    pixels[i * 3 + 1] = static_cast<uint8_t>(green(v));
    pixels[i * 3 + 2] = static_cast<uint8_t>(blue(v));
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
