#include "frontends/win32/preview_draw.hpp"

#include <new>
#include <stdexcept>
#include <utility>

#include "colour/geometry.hpp"
#include "colour/rgb.hpp"

namespace peltrix {

DibPicture::DibPicture(int width, int height)
    : width_(width), height_(height), rowBytes_((width * 3 + 3) & ~3) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // negative: row 0 is the top row
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap_ == nullptr || bits == nullptr) throw std::bad_alloc();
  bits_ = static_cast<uint8_t*>(bits);  // a new DIB section is zero-filled: black
}

DibPicture::~DibPicture() {
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
}

DibPicture::DibPicture(DibPicture&& other) noexcept {
  *this = std::move(other);
}

DibPicture& DibPicture::operator=(DibPicture&& other) noexcept {
  std::swap(bitmap_, other.bitmap_);
  std::swap(bits_, other.bits_);
  std::swap(width_, other.width_);
  std::swap(height_, other.height_);
  std::swap(rowBytes_, other.rowBytes_);
  return *this;
}

uint32_t DibPicture::rgbAt(int x, int y) const {
  const uint8_t* p = bits_ + y * rowBytes_ + x * 3;
  return packRgb(p[2], p[1], p[0]);
}

void DibPicture::setRgb(int x, int y, uint32_t rgb) {
  uint8_t* p = bits_ + y * rowBytes_ + x * 3;
  p[0] = static_cast<uint8_t>(blue(rgb));
  p[1] = static_cast<uint8_t>(green(rgb));
  p[2] = static_cast<uint8_t>(red(rgb));
}

namespace {

// Writes every pixel of a 320 x 200 `image` from `rgbAt(index)`, an RGB value per pixel.
template <typename RgbAt>
void fillPicture(DibPicture& image, RgbAt rgbAt) {
  if (image.width() != kWidth || image.height() != kHeight) {
    throw std::invalid_argument("picture image is not 320 x 200");
  }
  // GDI may still be drawing into the bitmap (a view painting it); let it finish first.
  GdiFlush();
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) image.setRgb(x, y, rgbAt(y * kWidth + x));
  }
}

}  // namespace

DibPicture newBlackPicture() {
  return DibPicture(kWidth, kHeight);
}

void drawRgbPicture(std::span<const uint32_t> rgb, DibPicture& image) {
  if (rgb.size() < static_cast<size_t>(kPixels)) {
    throw std::invalid_argument("RGB picture smaller than 320 x 200");
  }
  fillPicture(image, [&](int i) { return rgb[i]; });
}

}  // namespace peltrix
