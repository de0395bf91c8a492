// The Searcher: gathers a cell's or band's pixels, lets a kernel find the winning triple,
// then assigns every pixel its slot exactly as the literal search does.
#include "engine/search.hpp"

#include <cstdlib>
#include <stdexcept>

#include "colour/cielab.hpp"
#include "colour/geometry.hpp"
#include "colour/rgb.hpp"
#include "colour/tables.hpp"
#include "engine/eye_blends.hpp"
#include "engine/kernels/kernel_choice.hpp"
#include "engine/kernels/search_kernel.hpp"

namespace peltrix::engine {

namespace {

// Stands in an excluded slot's blend colour and distance; never a real RGB value.
constexpr int32_t kExclusionMarker = 0x1234567;

int colourDistance(uint32_t a, uint32_t b) {
  const auto diff = [](uint32_t x, uint32_t y) { return std::abs(int(x) - int(y)); };
  return diff(red(a), red(b)) + diff(green(a), green(b)) + diff(blue(a), blue(b));
}

}  // namespace

struct Searcher::Impl {
  Palette palette = kPalette;  // the one `blends` (and `eye`, once made) was made of
  BlendTable blends;
  std::unique_ptr<EyeBlends> eye;  // made when an eye match first needs it
  JobTables tables;
  SearchInputs inputs;
  bool prepared = false;
  bool simd = false;
  CellPixels pixels;
  std::unique_ptr<Workspace> work = std::make_unique<Workspace>();

  // Copies rows firstRow..firstRow + rows - 1 of cell (cx, cy).
  void gather(int cx, int cy, int firstRow, int rows) {
    if (!prepared) throw std::logic_error("Searcher: search before prepare()");
    if (cx < 0 || cx >= kCellColumns || cy < 0 || cy >= kCellRows) {
      throw std::out_of_range("Searcher: cell outside the picture");
    }
    pixels.count = rows * 8;
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < 8; ++c) {
        const int i = (cy * 8 + firstRow + r) * kWidth + cx * 8 + c;
        pixels.rgb[r * 8 + c] = inputs.sourceRgb[i];
        pixels.luma[r * 8 + c] = inputs.sourceLuma[i];
      }
    }
    if (inputs.match != Match::Eye) return;
    for (int p = 0; p < pixels.count; ++p) {
      const Lab lab = labOf(pixels.rgb[p]);
      pixels.labL[p] = lab.L, pixels.labA[p] = lab.a, pixels.labB[p] = lab.b;
    }
  }

  Distance distanceFor(Metric m) const {
    if (inputs.match == Match::Eye)
      return m == Metric::Colour ? Distance::Eye : Distance::EyeLightness;
    return m == Metric::Colour ? Distance::Colour : Distance::Luma;
  }

  // A pixel's distance to blend `id` as the kernels measure it.
  int32_t distance(int p, int id, Metric m) const {
    if (inputs.match == Match::Eye) {
      const Lab pixel{pixels.labL[p], pixels.labA[p], pixels.labB[p]};
      const Lab blend{eye->labL[id], eye->labA[id], eye->labB[id]};
      const int32_t q =
          (m == Metric::Colour ? labDistance(pixel, blend) : std::abs(pixel.L - blend.L) >> 4) +
          eye->flicker[id];
      return q < kMaxEyeDistance ? q : kMaxEyeDistance;
    }
    if (m == Metric::Colour) return colourDistance(pixels.rgb[p], blends.rgb[id]);
    return std::abs(static_cast<int>(pixels.luma[p]) - blends.luma[id]);
  }

  Winner triples(Metric m) {
    const Distance d = distanceFor(m);
    return simd ? simd::searchTriples(tables, pixels, d, *work)
                : portable::searchTriples(tables, pixels, d, *work);
  }
  Winner singles(Metric m) {
    const Distance d = distanceFor(m);
    return simd ? simd::searchSingles(tables, pixels, d, *work)
                : portable::searchSingles(tables, pixels, d, *work);
  }

  // The final assignment of the literal search for the winning triple: per pixel the
  // lowest slot at the smallest distance (excluded slots at the marker), written at
  // rows firstRow.. of the cell buffers. Also yields the triple's error.
  SearchResult assign(const Winner& w, Metric m, int firstRow, CellBuffers& out) const {
    const int colours[3][2] = {{tables.high[w.j], tables.low[w.j]},
                               {tables.high[w.k], tables.low[w.k]},
                               {tables.high[w.l], tables.low[w.l]}};
    int frame[8][3];
    int blend[8];
    bool excluded[8];
    for (int s = 0; s < 8; ++s) {
      const int c1 = colours[0][s >> 2 & 1], c2 = colours[1][s >> 1 & 1], c3 = colours[2][s & 1];
      frame[s][0] = c1, frame[s][1] = c2, frame[s][2] = c3;
      excluded[s] = tables.clashes(c1, c2) || tables.clashes(c1, c3) || tables.clashes(c2, c3);
      blend[s] = blends.of(c1, c2, c3);
    }
    int64_t error = 0;
    for (int p = 0; p < pixels.count; ++p) {
      int slot = 0;
      int32_t least = 0;
      for (int s = 0; s < 8; ++s) {
        const int32_t d = excluded[s] ? kExclusionMarker : distance(p, blend[s], m);
        if (s == 0 || d < least) slot = s, least = d;
      }
      error += least;
      const int i = firstRow * 8 + p;
      for (int f = 0; f < 3; ++f) out.frames[f][i] = static_cast<uint8_t>(frame[slot][f]);
    }
    return {w.j, w.k, w.l, static_cast<int32_t>(error)};
  }
};

Searcher::Searcher(KernelChoice choice) : impl_(std::make_unique<Impl>()) {
  impl_->simd = runsSimdKernels(choice);
  impl_->tables.blends = &impl_->blends;
}

Searcher::~Searcher() = default;

bool Searcher::usesSimd() const {
  return impl_->simd;
}

const char* Searcher::kernelName() const {
  return impl_->simd ? simd::name() : "portable";
}

void Searcher::prepare(const SearchInputs& inputs) {
  if (!inputs.sourceRgb || !inputs.sourceLuma || !inputs.pairs || !inputs.exclusions) {
    throw std::invalid_argument("Searcher: missing input array");
  }
  if (inputs.pairCount < 1 || inputs.pairCount > kMaxPairs) {
    throw std::invalid_argument("Searcher: pair count outside 1..121");
  }
  const Palette& palette = inputs.palette != nullptr ? *inputs.palette : kPalette;
  if (palette != impl_->palette) {  // made again only when the palette changes
    impl_->palette = palette;
    impl_->blends = BlendTable(palette);
    impl_->eye.reset();
  }
  if (inputs.match == Match::Eye && !impl_->eye) impl_->eye = std::make_unique<EyeBlends>(palette);
  impl_->tables.eye = inputs.match == Match::Eye ? impl_->eye.get() : nullptr;
  JobTables& t = impl_->tables;
  t.count = inputs.pairCount;
  t.high.fill(0);
  t.low.fill(0);
  for (int j = 0; j < t.count; ++j) {
    t.high[j] = static_cast<uint8_t>(pairHigh(inputs.pairs[j]));
    t.low[j] = static_cast<uint8_t>(pairLow(inputs.pairs[j]));
  }
  t.clash.fill(false);
  for (int e = 0; e < kExclusionCount; ++e) {
    for (int a = 0; a < 16; ++a) {
      for (int b = 0; b < 16; ++b) {
        if (pairCode(a, b) == inputs.exclusions[e]) t.clash[a * 16 + b] = true;
      }
    }
  }
  const BlendTable& blends = impl_->blends;
  for (int a = 0; a < 16; ++a) {
    for (int b = 0; b < 16; ++b) {
      for (int c = 0; c < 16; ++c) {
        const bool excluded = t.clashes(a, b) || t.clashes(a, c) || t.clashes(b, c);
        t.lumaWith[a * 16 + b][c] = blends.luma[blends.of(a, b, c)];
        t.excludedWith[a * 16 + b][c] = excluded ? 0xFF : 0;
      }
    }
  }
  impl_->inputs = inputs;
  impl_->prepared = true;
}

SearchResult Searcher::standardCell(int cx, int cy, Metric metric, CellBuffers& out) {
  impl_->gather(cx, cy, 0, 8);
  return impl_->assign(impl_->triples(metric), metric, 0, out);
}

SearchResult Searcher::superFlickerCell(int cx, int cy, Metric metric, CellBuffers& out) {
  impl_->gather(cx, cy, 0, 8);
  return impl_->assign(impl_->singles(metric), metric, 0, out);
}

namespace {
void checkBand(int bandStart) {
  if (bandStart < 0 || bandStart > 6 || bandStart % 2 != 0) {
    throw std::out_of_range("Searcher: band start must be 0, 2, 4 or 6");
  }
}
}  // namespace

SearchResult Searcher::fliBand(int cx, int cy, int bandStart, Metric metric, CellBuffers& out) {
  checkBand(bandStart);
  impl_->gather(cx, cy, bandStart, 2);
  return impl_->assign(impl_->triples(metric), metric, bandStart, out);
}

SearchResult Searcher::fliSuperFlickerBand(int cx, int cy, int bandStart, Metric metric,
                                           CellBuffers& out) {
  checkBand(bandStart);
  impl_->gather(cx, cy, bandStart, 2);
  return impl_->assign(impl_->singles(metric), metric, bandStart, out);
}

}  // namespace peltrix::engine
