// Drawing the converter's pictures into the Win32 window's images: 24-bit device-independent
// bitmaps (DIB sections) whose pixels the program writes directly and the picture views show.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

namespace peltrix {

// A top-down 24-bit DIB section: each row holds blue, green, red per pixel and is padded to
// a multiple of four bytes. Owns its bitmap; moves, never copies.
class DibPicture {
 public:
  DibPicture() = default;
  DibPicture(int width, int height);  // black; throws std::bad_alloc when GDI refuses
  ~DibPicture();
  DibPicture(DibPicture&& other) noexcept;
  DibPicture& operator=(DibPicture&& other) noexcept;
  DibPicture(const DibPicture&) = delete;
  DibPicture& operator=(const DibPicture&) = delete;

  HBITMAP bitmap() const { return bitmap_; }
  int width() const { return width_; }
  int height() const { return height_; }
  int rowBytes() const { return rowBytes_; }
  uint8_t* pixels() { return bits_; }

  // RGB value (red in bits 16-23) of pixel (x, y), and writing one.
  uint32_t rgbAt(int x, int y) const;
  void setRgb(int x, int y, uint32_t rgb);

 private:
  HBITMAP bitmap_ = nullptr;
  uint8_t* bits_ = nullptr;
  int width_ = 0, height_ = 0, rowBytes_ = 0;
};

// A black 320 x 200 picture, as every picture view shows at start-up.
DibPicture newBlackPicture();

// Copies 320 x 200 RGB values (red in bits 16-23) into a 320 x 200 picture, every pixel.
void drawRgbPicture(std::span<const uint32_t> rgb, DibPicture& image);

}  // namespace peltrix
