// The canvas the decoders fill: a fixed 320 x 200 window, or a whole picture within a bound,
// or one reduced to it by a whole factor while it is decoded.
#include <algorithm>
#include <array>
#include <cmath>
#include <new>

#include "colour/decode_formats.hpp"
#include "colour/rgb.hpp"

namespace peltrix {

namespace {

uint64_t ceilDiv(uint64_t a, uint64_t b) {
  return (a + b - 1) / b;
}

// Each sRGB level in linear light, 0 to 65535: round(65535 * ((v / 255 + 0.055) / 1.055)^2.4),
// or v / 255 / 12.92 below 0.04045. Written out, so that every build averages alike.
constexpr std::array<uint32_t, 256> kLinear = {
    0,     20,    40,    60,    80,    99,    119,   139,   159,   179,   199,   219,   241,
    264,   288,   313,   340,   367,   396,   427,   458,   491,   526,   562,   599,   637,
    677,   718,   761,   805,   851,   898,   947,   997,   1048,  1101,  1156,  1212,  1270,
    1330,  1391,  1453,  1517,  1583,  1651,  1720,  1790,  1863,  1937,  2013,  2090,  2170,
    2250,  2333,  2418,  2504,  2592,  2681,  2773,  2866,  2961,  3058,  3157,  3258,  3360,
    3464,  3570,  3678,  3788,  3900,  4014,  4129,  4247,  4366,  4488,  4611,  4736,  4864,
    4993,  5124,  5257,  5392,  5530,  5669,  5810,  5953,  6099,  6246,  6395,  6547,  6700,
    6856,  7014,  7174,  7335,  7500,  7666,  7834,  8004,  8177,  8352,  8528,  8708,  8889,
    9072,  9258,  9445,  9635,  9828,  10022, 10219, 10417, 10619, 10822, 11028, 11235, 11446,
    11658, 11873, 12090, 12309, 12530, 12754, 12980, 13209, 13440, 13673, 13909, 14146, 14387,
    14629, 14874, 15122, 15371, 15623, 15878, 16135, 16394, 16656, 16920, 17187, 17456, 17727,
    18001, 18277, 18556, 18837, 19121, 19407, 19696, 19987, 20281, 20577, 20876, 21177, 21481,
    21787, 22096, 22407, 22721, 23038, 23357, 23678, 24002, 24329, 24658, 24990, 25325, 25662,
    26001, 26344, 26688, 27036, 27386, 27739, 28094, 28452, 28813, 29176, 29542, 29911, 30282,
    30656, 31033, 31412, 31794, 32179, 32567, 32957, 33350, 33745, 34143, 34544, 34948, 35355,
    35764, 36176, 36591, 37008, 37429, 37852, 38278, 38706, 39138, 39572, 40009, 40449, 40891,
    41337, 41785, 42236, 42690, 43147, 43606, 44069, 44534, 45002, 45473, 45947, 46423, 46903,
    47385, 47871, 48359, 48850, 49344, 49841, 50341, 50844, 51349, 51858, 52369, 52884, 53401,
    53921, 54445, 54971, 55500, 56032, 56567, 57105, 57646, 58190, 58737, 59287, 59840, 60396,
    60955, 61517, 62082, 62650, 63221, 63795, 64372, 64952, 65535};

// Where one level ends and the next begins in linear light: a linear value goes to the
// nearest level (to the upper one at half way).
constexpr std::array<uint32_t, 255> kLevelEdges = [] {
  std::array<uint32_t, 255> edges{};
  for (std::size_t v = 0; v < edges.size(); ++v) edges[v] = (kLinear[v] + kLinear[v + 1] + 1) / 2;
  return edges;
}();

uint32_t levelOf(uint64_t linear) {
  return static_cast<uint32_t>(std::upper_bound(kLevelEdges.begin(), kLevelEdges.end(), linear) -
                               kLevelEdges.begin());
}

}  // namespace

unsigned Canvas::jpegDenominator(uint32_t width, uint32_t height) const noexcept {
  if (!keep_.whole) return 1;
  const KeepRequest::Size need =
      keep_.minimumSize ? keep_.minimumSize(width, height) : KeepRequest::Size{width, height};
  unsigned best = 1;
  for (unsigned d = 2; d <= 8; d *= 2) {
    const uint64_t w = ceilDiv(width, d), h = ceilDiv(height, d);
    const bool bigEnough = w >= need.width && h >= need.height;
    const bool overBound = ceilDiv(width, best) * ceilDiv(height, best) > keep_.maxWholePixels;
    if (bigEnough || overBound) best = d;
  }
  return best;
}

uint32_t Canvas::shrinkFactor(uint32_t width, uint32_t height) const noexcept {
  const KeepRequest::Size need =
      keep_.minimumSize ? keep_.minimumSize(width, height) : KeepRequest::Size{width, height};
  // The largest factor that leaves the picture as large as needed...
  uint64_t factor = std::min(width / std::max<uint64_t>(need.width, 1),
                             height / std::max<uint64_t>(need.height, 1));
  factor = std::max<uint64_t>(factor, 1);
  // ...or the smallest that brings it within the bound, from just below it on.
  const double least = std::sqrt(static_cast<double>(width) * height / kMaxShrunkPixels);
  factor = std::max<uint64_t>(factor, static_cast<uint64_t>(least));
  while (ceilDiv(width, factor) * ceilDiv(height, factor) > kMaxShrunkPixels) ++factor;
  return static_cast<uint32_t>(factor);
}

Canvas::Opened Canvas::open(uint32_t width, uint32_t height, bool mayShrink) noexcept {
  if (keep_.whole) {
    left_ = top_ = 0;
    columns_ = width;
    rows_ = height;
    if (uint64_t{width} * height > keep_.maxWholePixels) {
      if (!mayShrink) return Opened::TooLarge;
      factor_ = shrinkFactor(width, height);
      shrunkColumns_ = static_cast<uint32_t>(ceilDiv(width, factor_));
      shrunkRows_ = static_cast<uint32_t>(ceilDiv(height, factor_));
      const std::size_t shrunk = std::size_t{shrunkColumns_} * shrunkRows_;
      try {
        sums_.assign(3 * shrunk, 0);
        pixels_.assign(shrunk, 0);
      } catch (const std::bad_alloc&) {
        sums_ = {};
        return Opened::NoMemory;
      }
      return Opened::Ok;
    }
  } else {
    left_ = keep_.left;
    top_ = keep_.top;
    columns_ = kWidth;
    rows_ = kHeight;
  }
  try {
    pixels_.assign(std::size_t{columns_} * rows_, 0);
  } catch (const std::bad_alloc&) {
    return Opened::NoMemory;
  }
  return Opened::Ok;
}

void Canvas::addToSquare(uint32_t x, uint32_t y, uint32_t rgb) {
  uint64_t* sum = &sums_[3 * (std::size_t{y / factor_} * shrunkColumns_ + x / factor_)];
  sum[0] += kLinear[red(rgb)];
  sum[1] += kLinear[green(rgb)];
  sum[2] += kLinear[blue(rgb)];
}

DecodedPicture Canvas::take(uint32_t width, uint32_t height) {
  DecodedPicture out;
  out.width = width;
  out.height = height;
  out.columns = columns_;
  out.rows = rows_;
  if (factor_ != 0) {
    // Each square's mean, over its pixels whether stored or not (black), rounded.
    for (uint32_t y = 0; y < shrunkRows_; ++y) {
      const uint64_t tall = std::min<uint64_t>(factor_, rows_ - uint64_t{y} * factor_);
      for (uint32_t x = 0; x < shrunkColumns_; ++x) {
        const uint64_t wide = std::min<uint64_t>(factor_, columns_ - uint64_t{x} * factor_);
        const uint64_t area = wide * tall;
        const std::size_t i = std::size_t{y} * shrunkColumns_ + x;
        const uint64_t* sum = &sums_[3 * i];
        pixels_[i] =
            packRgb(levelOf((sum[0] + area / 2) / area), levelOf((sum[1] + area / 2) / area),
                    levelOf((sum[2] + area / 2) / area));
      }
    }
    sums_ = {};
    out.columns = shrunkColumns_;
    out.rows = shrunkRows_;
  }
  out.rgb = std::move(pixels_);
  out.transparencyFlattened = flattened_;
  return out;
}

void failOpen(const std::string& name, Canvas::Opened why, uint32_t width, uint32_t height) {
  const std::string size = std::to_string(width) + " x " + std::to_string(height);
  if (why == Canvas::Opened::NoMemory) failLoad(name, "not enough memory for " + size + " pixels");
  failLoad(name, "picture too large to scale (" + size + "; at most " +
                     std::to_string(kMaxWholePixels) + " pixels)");
}

}  // namespace peltrix
