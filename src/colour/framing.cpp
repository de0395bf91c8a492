#include "colour/framing.hpp"

#include <algorithm>
#include <new>
#include <numeric>

namespace peltrix {

namespace {

constexpr Ratio reduced(int64_t numerator, int64_t denominator) {
  const int64_t d = std::gcd(numerator, denominator);
  return {numerator / d, denominator / d};
}

// A C64 pixel is one dot-clock period wide and, without interlace, two TV lines tall. A square
// pixel of the TV standard lasts 1 / 14.75 MHz on PAL and 1 / (135 / 11 MHz) on NTSC (the
// square-pixel sampling rates of ITU-R BT.601's 625- and 525-line systems). The dot clock is
// 8 x the CPU clock: PAL 17.734475 MHz / 18 (x 8 = 7.88 MHz), NTSC 14.31818 MHz / 14 = 90 / 11 MHz.
// Width / height = square-pixel rate / (2 x dot clock):
//   PAL:  14.75 / (2 x 8 x 17.734475 / 18) = 663750 / 709379 = 0.9357
//   NTSC: (135 / 11) / (2 x 90 / 11)      = 3 / 4
constexpr Ratio kPal = reduced(int64_t{14'750'000} * 18, int64_t{2} * 8 * 17'734'475);
constexpr Ratio kNtsc = reduced(135, 2 * 90);
static_assert(kPal.numerator == 663750 && kPal.denominator == 709379);
static_assert(kNtsc.numerator == 3 && kNtsc.denominator == 4);

// round(a / b) for positive a and b, halves up.
int64_t roundedQuotient(int64_t a, int64_t b) {
  return (2 * a + b) / (2 * b);
}

// Whether a width x height picture is at least as wide, for its height, as `columns` x 200
// screen pixels of the given shape: w / h >= (columns n / d) / 200.
bool widerThanScreen(uint32_t width, uint32_t height, Ratio a, int columns) {
  return int64_t{width} * kHeight * a.denominator >= int64_t{height} * columns * a.numerator;
}

// The whole-picture size, in picture pixels, that a JPEG may be reduced to: twice the size
// the picture is scaled to, so the last step still shrinks and stb's filter does the smoothing.
KeepRequest::Size minimumDecodeSize(const Framing& framing, uint32_t width, uint32_t height) {
  if (framing.mode == Framing::Mode::Fit) {
    const Placement p = fitPlacement(width, height, framing.aspect, framing.firstColumn());
    return {2 * static_cast<uint64_t>(p.width), 2 * static_cast<uint64_t>(p.height)};
  }
  const int columns = kWidth - framing.firstColumn();
  const PictureRegion r = fillRegion(width, height, framing.aspect, framing.firstColumn());
  return {static_cast<uint64_t>(2.0 * columns * width / r.width) + 1,
          static_cast<uint64_t>(2.0 * kHeight * height / r.height) + 1};
}

SourcePicture withInfoOf(const DecodedPicture& kept) {
  SourcePicture picture;
  picture.width = static_cast<int>(kept.width);
  picture.height = static_cast<int>(kept.height);
  picture.transparencyFlattened = kept.transparencyFlattened;
  return picture;
}

}  // namespace

Ratio pixelAspectRatio(PixelAspect aspect) {
  switch (aspect) {
    case PixelAspect::Pal:
      return kPal;
    case PixelAspect::Ntsc:
      return kNtsc;
    case PixelAspect::Square:
      break;
  }
  return {1, 1};
}

Placement fitPlacement(uint32_t width, uint32_t height, PixelAspect aspect, int firstColumn) {
  const Ratio a = pixelAspectRatio(aspect);
  const int columns = kWidth - firstColumn;
  Placement p;
  if (widerThanScreen(width, height, a, columns)) {
    // All the columns; the height the picture's shape gives: columns (n / d) h / w.
    p.width = columns;
    p.height = static_cast<int>(
        roundedQuotient(int64_t{columns} * a.numerator * height, a.denominator * int64_t{width}));
  } else {
    p.height = kHeight;
    p.width = static_cast<int>(
        roundedQuotient(int64_t{kHeight} * a.denominator * width, a.numerator * int64_t{height}));
  }
  p.width = std::clamp(p.width, 1, columns);
  p.height = std::clamp(p.height, 1, kHeight);
  p.left = firstColumn + (columns - p.width) / 2;
  p.top = (kHeight - p.height) / 2;
  return p;
}

PictureRegion fillRegion(uint32_t width, uint32_t height, PixelAspect aspect, int firstColumn) {
  const Ratio a = pixelAspectRatio(aspect);
  const int columns = kWidth - firstColumn;
  PictureRegion r;
  if (widerThanScreen(width, height, a, columns)) {
    // The whole height; as much width as the columns' shape takes: h (columns n / d) / 200.
    r.height = height;
    r.width = static_cast<double>(int64_t{height} * columns * a.numerator) /
              static_cast<double>(int64_t{kHeight} * a.denominator);
    r.left = (width - r.width) / 2;
  } else {
    r.width = width;
    r.height = static_cast<double>(int64_t{width} * kHeight * a.denominator) /
               static_cast<double>(int64_t{columns} * a.numerator);
    r.top = (height - r.height) / 2;
  }
  return r;
}

PictureRegion filledPart(uint32_t width, uint32_t height, const Framing& framing) {
  PictureRegion r = fillRegion(width, height, framing.aspect, framing.firstColumn());
  if (framing.fillFromOffset) {
    r.left = std::max(0.0, std::min<double>(framing.left, width - r.width));
    r.top = std::max(0.0, std::min<double>(framing.top, height - r.height));
  }
  return r;
}

KeepRequest keepRequestFor(const Framing& framing) {
  KeepRequest keep;
  if (!framing.scales()) {
    keep.left = framing.left;
    keep.top = framing.top;
    return keep;
  }
  keep.whole = true;
  keep.minimumSize = [framing](uint32_t width, uint32_t height) {
    return minimumDecodeSize(framing, width, height);
  };
  return keep;
}

SourcePicture framePicture(DecodedPicture&& kept, const Framing& framing) {
  SourcePicture picture = withInfoOf(kept);
  if (!framing.scales()) {
    picture.rgb = std::move(kept.rgb);  // the decoder kept exactly the region
    return picture;
  }
  // The geometry comes from the picture's own size; a JPEG may have been decoded smaller,
  // so it is carried over to the decoded pixels by their scale.
  const double sx = static_cast<double>(kept.columns) / kept.width;
  const double sy = static_cast<double>(kept.rows) / kept.height;
  // Both scale into the screen's columns first..319, all 200 rows; the rest stays black.
  const int first = framing.firstColumn();
  const auto place = [&picture](const std::vector<uint32_t>& scaled, const Placement& p) {
    for (int y = 0; y < p.height; ++y) {
      std::copy_n(scaled.begin() + y * p.width, p.width,
                  picture.rgb.begin() + (p.top + y) * kWidth + p.left);
    }
  };
  if (framing.mode == Framing::Mode::Fit) {
    const Placement p = fitPlacement(kept.width, kept.height, framing.aspect, first);
    const PictureRegion all{0, 0, static_cast<double>(kept.columns),
                            static_cast<double>(kept.rows)};
    place(resample(kept.rgb, kept.columns, kept.rows, all, p.width, p.height), p);
    return picture;
  }
  const PictureRegion r = filledPart(kept.width, kept.height, framing);
  const PictureRegion decoded{r.left * sx, r.top * sy, r.width * sx, r.height * sy};
  const Placement columns{first, 0, kWidth - first, kHeight};
  place(resample(kept.rgb, kept.columns, kept.rows, decoded, columns.width, columns.height),
        columns);
  return picture;
}

SourcePicture loadFramedPicture(const std::string& path, const Framing& framing) {
  return framePicture(loadPictureKeeping(path, keepRequestFor(framing)), framing);
}

}  // namespace peltrix
