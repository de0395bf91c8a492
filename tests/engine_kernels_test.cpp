// The SIMD kernels (AVX2, or wasm SIMD in the WebAssembly build) against the portable ones
// on many cells and bands. The literal search is too slow to check more than a sample; the
// portable kernels, checked against it, are fast enough to compare with on whole rows of
// cells. The luma searches matter most here: with SIMD they score distinct pixel lumas
// through byte shuffles, a path of their own.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/blend_table.hpp"
#include "oracle/engine_harness.hpp"
#include "oracle/photo_cells.hpp"

namespace peltrix::testing {
namespace {

using engine::CellBuffers;
using engine::KernelChoice;
using engine::Metric;
using engine::Searcher;
using engine::SearchResult;

void expectSame(const SearchResult& a, const CellBuffers& bufA, const SearchResult& b,
                const CellBuffers& bufB, const std::string& where) {
  EXPECT_EQ(a.j, b.j) << where;
  EXPECT_EQ(a.k, b.k) << where;
  EXPECT_EQ(a.l, b.l) << where;
  EXPECT_EQ(a.error, b.error) << where;
  EXPECT_EQ(bufA.frames, bufB.frames) << where;
}

// Rows of cells of `src`, every band of each, through the standard and band searches.
void compareRows(const SourceArrays& src, const JobLists& lists, Metric m, int firstRow, int rows,
                 const std::string& name) {
  Searcher fast(KernelChoice::Fastest), portable(KernelChoice::Portable);
  fast.prepare(engineInputs(src, lists));
  portable.prepare(engineInputs(src, lists));
  for (int cy = firstRow; cy < firstRow + rows; ++cy) {
    for (int cx = 0; cx < kCellColumns; ++cx) {
      const std::string where =
          name + " cell (" + std::to_string(cx) + ", " + std::to_string(cy) + ")";
      CellBuffers a, b;
      const SearchResult ra = fast.standardCell(cx, cy, m, a);
      const SearchResult rb = portable.standardCell(cx, cy, m, b);
      expectSame(ra, a, rb, b, where + " standard");
      expectSame(fast.superFlickerCell(cx, cy, m, a), a, portable.superFlickerCell(cx, cy, m, b), b,
                 where + " super flicker");
      for (int band = 0; band < 8; band += 2) {
        const SearchResult ba = fast.fliBand(cx, cy, band, m, a);
        const SearchResult bb = portable.fliBand(cx, cy, band, m, b);
        expectSame(ba, a, bb, b, where + " band " + std::to_string(band));
        expectSame(fast.fliSuperFlickerBand(cx, cy, band, m, a), a,
                   portable.fliSuperFlickerBand(cx, cy, band, m, b), b,
                   where + " super flicker band " + std::to_string(band));
      }
      if (::testing::Test::HasFailure()) return;  // one cell's report is enough
    }
  }
}

constexpr const char* kNoSimd =
    "SIMD kernels not in use: none on this CPU, or PELTRIX_KERNEL=portable";

// The SIMD kernels a build is made for are the ones it runs: a build that lost its kernel
// file would quietly fall back to the portable kernels and skip the comparisons below.
TEST(EngineKernelsAgree, BuildRunsItsOwnSimdKernels) {
#ifdef PELTRIX_REQUIRED_KERNEL
  EXPECT_TRUE(Searcher(KernelChoice::Fastest).usesSimd());
  EXPECT_STREQ(Searcher(KernelChoice::Fastest).kernelName(), PELTRIX_REQUIRED_KERNEL);
  EXPECT_STREQ(Searcher(KernelChoice::Portable).kernelName(), "portable");
#else
  GTEST_SKIP() << "natively the SIMD kernels depend on the CPU";
#endif
}

// Noise (every luma different), then few lumas (a handful of grey levels and lumas above
// 255), so that both the many-kinds and the few-kinds cases run.
SourceArrays noisePicture(unsigned seed, bool fewLumas) {
  std::mt19937 rng(seed);
  SourceArrays src;
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (!fewLumas) {
        src.set(x, y, rng() & 0xFFFFFF);
      } else {
        const uint32_t grey = (rng() % 5) * 0x3F3F3F;
        src.set(x, y, grey);
        if (rng() % 7 == 0) src.luma[y * kWidth + x] = static_cast<uint16_t>(256 + rng() % 300);
      }
    }
  }
  return src;
}

TEST(EngineKernelsAgree, LumaOnNoiseAndFewLumas) {
  if (!Searcher(KernelChoice::Fastest).usesSimd()) GTEST_SKIP() << kNoSimd;
  compareRows(noisePicture(3, false), JobLists(true, false), Metric::Luma, 0, 2, "noise 121");
  compareRows(noisePicture(4, false), JobLists(false, true), Metric::Luma, 0, 2, "noise 75");
  compareRows(noisePicture(5, true), JobLists(true, true), Metric::Luma, 0, 1, "few lumas 121");
  compareRows(noisePicture(6, true), JobLists(false, false), Metric::Luma, 1, 1, "few lumas 75");
}

// Flat cells in blend colours (and, for luma, at blend lumas exactly) and cells of two such
// halves: many triples reach the same error, often 0, and the bounds prune little, so the
// earliest triple must win among many candidates scored side by side.
SourceArrays tiePicture() {
  const engine::BlendTable blends;
  SourceArrays src;
  for (int cx = 0; cx < kCellColumns; ++cx) {
    const int a = (cx * 211) % engine::kBlendCount, b = (cx * 97 + 400) % engine::kBlendCount;
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        const int n = cx < kCellColumns / 2 || (x + y) % 2 == 0 ? a : b;
        src.set(cx * 8 + x, y, blends.rgb[n]);
        src.luma[y * kWidth + cx * 8 + x] = blends.luma[n];
      }
    }
  }
  return src;
}

TEST(EngineKernelsAgree, TiesOnFlatAndTwoToneCells) {
  if (!Searcher(KernelChoice::Fastest).usesSimd()) GTEST_SKIP() << kNoSimd;
  const SourceArrays src = tiePicture();
  for (Metric m : {Metric::Luma, Metric::Colour}) {
    const std::string metric = m == Metric::Luma ? "luma" : "colour";
    compareRows(src, JobLists(true, true), m, 0, 1, "ties 121 " + metric);
    compareRows(src, JobLists(false, false), m, 0, 1, "ties 75 " + metric);
  }
}

TEST(EngineKernelsAgree, OnPhotoRows) {
  if (!Searcher(KernelChoice::Fastest).usesSimd()) GTEST_SKIP() << kNoSimd;
  std::string why;
  const std::vector<SourceArrays> photos = loadPhotos(&why);
  if (photos.empty()) GTEST_SKIP() << why;
  for (size_t p = 0; p < photos.size(); ++p) {
    const int row = static_cast<int>(p * 7 + 3) % kCellRows;
    const std::string name = "photo " + std::to_string(p);
    compareRows(photos[p], JobLists(p % 2 == 0, p % 3 == 0), Metric::Luma, row, 1, name);
    compareRows(photos[p], JobLists(p % 2 == 1, p % 3 == 1), Metric::Colour, row, 1, name);
  }
}

}  // namespace
}  // namespace peltrix::testing
