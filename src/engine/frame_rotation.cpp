// The super flicker post-passes. Both only permute each pixel's three frame colours, so
// every pixel is rotated in place: read its three indices, write them back shifted. The
// GUI thread may read meanwhile; each store is a whole element.
#include "engine/frame_planes.hpp"
#include "engine/search.hpp"

namespace peltrix::engine {

namespace {

// Frame k (0-based) takes what frame (k + shift) mod 3 showed.
void rotatePixel(FramePlanes& p, int i, int shift) {
  if (shift == 0) return;
  const uint8_t old[3] = {p.frames[0].load(i), p.frames[1].load(i), p.frames[2].load(i)};
  for (int k = 0; k < 3; ++k) p.frames[k].store(i, old[(k + shift) % 3]);
}

}  // namespace

// A horizontal rotation by x mod 3, then a vertical one by y mod 3 over the row groups
// 0..197; rows 198 and 199 form no whole group and are rotated horizontally only.
void superFlickerPostPass(FramePlanes& planes) {
  for (int y = 0; y < kHeight; ++y) {
    const int vertical = y < kHeight - kHeight % 3 ? y % 3 : 0;
    for (int x = 0; x < kWidth; ++x) rotatePixel(planes, y * kWidth + x, (x % 3 + vertical) % 3);
  }
}

// The same rotation by x mod 3 on every row; columns 318 and 319 like columns 0 and 1.
void horizontalFrameRotation(FramePlanes& planes) {
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) rotatePixel(planes, y * kWidth + x, x % 3);
  }
}

}  // namespace peltrix::engine
