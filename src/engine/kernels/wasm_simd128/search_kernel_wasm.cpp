// The search kernels for WebAssembly's 128-bit SIMD, the WebAssembly build's SIMD kernels
// (CMake compiles this folder there instead of x86_avx2/). Rows are vectors of 16 bytes;
// horizontal sums widen pairwise and finish four triples at once; the luma searches pack the
// entries l that survive the bounds 16 to a vector and look them up per pixel luma with byte
// shuffles (i8x16.swizzle).
#include <wasm_simd128.h>

#include <algorithm>
#include <cstdint>
#include <type_traits>

#include "engine/kernels/search_kernel.hpp"

namespace peltrix::engine::simd {
namespace {

constexpr int kVectorBytes = 16;

typedef int16_t I16x8 __attribute__((vector_size(16), may_alias));
typedef uint8_t U8x16 __attribute__((vector_size(16), may_alias));

[[gnu::always_inline]] inline v128_t raw(const I16x8& v) {
  return reinterpret_cast<v128_t>(v);
}
[[gnu::always_inline]] inline v128_t raw(const U8x16& v) {
  return reinterpret_cast<v128_t>(v);
}
[[gnu::always_inline]] inline v128_t load(const void* p) {
  return wasm_v128_load(p);
}

template <class V>
[[gnu::always_inline]] inline V broadcast(int16_t v) {
  static_assert(std::is_same_v<V, I16x8>);
  return reinterpret_cast<I16x8>(wasm_i16x8_splat(v));
}
template <class V>
[[gnu::always_inline]] inline V broadcast(uint8_t v) {
  static_assert(std::is_same_v<V, U8x16>);
  return reinterpret_cast<U8x16>(wasm_i8x16_splat(static_cast<int8_t>(v)));
}
// Colour lanes hold 0..255 each, so their difference never overflows 16 bits.
[[gnu::always_inline]] inline I16x8 absDiff(const I16x8& a, const I16x8& b) {
  return reinterpret_cast<I16x8>(wasm_i16x8_abs(raw(a - b)));
}
[[gnu::always_inline]] inline U8x16 absDiff(const U8x16& a, const U8x16& b) {
  return reinterpret_cast<U8x16>(
      wasm_v128_or(wasm_u8x16_sub_sat(raw(a), raw(b)), wasm_u8x16_sub_sat(raw(b), raw(a))));
}

// The four 32-bit lanes of x added up.
[[gnu::always_inline]] inline uint32_t sumOf4(v128_t x) {
  x = wasm_i32x4_add(x, wasm_i32x4_shuffle(x, x, 2, 3, 0, 1));
  x = wasm_i32x4_add(x, wasm_i32x4_shuffle(x, x, 1, 0, 3, 2));
  return static_cast<uint32_t>(wasm_i32x4_extract_lane(x, 0));
}
// Colour lanes sum to at most 8 x 1023 each, positive as int16.
[[gnu::always_inline]] inline uint32_t sumLanes(const I16x8& v) {
  return sumOf4(wasm_i32x4_dot_i16x8(raw(v), wasm_i16x8_splat(1)));
}
[[gnu::always_inline]] inline uint32_t sumLanes(const U8x16& v) {
  return sumOf4(wasm_u32x4_extadd_pairwise_u16x8(wasm_u16x8_extadd_pairwise_u8x16(raw(v))));
}

[[gnu::always_inline]] inline uint32_t boundsAtMost(const uint16_t* a, const uint16_t* b,
                                                    uint16_t limit) {
  const v128_t lim = wasm_u16x8_splat(limit);
  const v128_t low = wasm_u16x8_le(wasm_u16x8_max(load(a), load(b)), lim);
  const v128_t high = wasm_u16x8_le(wasm_u16x8_max(load(a + 8), load(b + 8)), lim);
  // Per byte: both bytes of an entry's 16-bit lane give the two mask bits.
  return static_cast<uint32_t>(wasm_i8x16_bitmask(low)) |
         static_cast<uint32_t>(wasm_i8x16_bitmask(high)) << 16;
}

// A part: four 32-bit partial sums of one triple's per-pixel minima.
struct Parts {
  v128_t v;
};
template <int N>
[[gnu::always_inline]] inline Parts partOfMin(const I16x8* a, const I16x8* b) {
  v128_t acc = wasm_i16x8_min(raw(a[0]), raw(b[0]));  // at most 8 x 1023 per lane
  for (int i = 1; i < N; ++i) acc = wasm_i16x8_add(acc, wasm_i16x8_min(raw(a[i]), raw(b[i])));
  return {wasm_i32x4_dot_i16x8(acc, wasm_i16x8_splat(1))};
}
template <int N>
[[gnu::always_inline]] inline Parts partOfMin(const U8x16* a, const U8x16* b) {
  v128_t acc = wasm_u16x8_extadd_pairwise_u8x16(wasm_u8x16_min(raw(a[0]), raw(b[0])));
  for (int i = 1; i < N; ++i) {
    acc =
        wasm_i16x8_add(acc, wasm_u16x8_extadd_pairwise_u8x16(wasm_u8x16_min(raw(a[i]), raw(b[i]))));
  }
  return {wasm_i32x4_dot_i16x8(acc, wasm_i16x8_splat(1))};  // at most 4 x 510 per lane
}
// Four parts to four sums: two rounds of pairwise lane additions across the parts.
[[gnu::always_inline]] inline void sum4(const Parts (&p)[4], uint32_t* out) {
  const v128_t ab = wasm_i32x4_add(wasm_i32x4_shuffle(p[0].v, p[1].v, 0, 4, 1, 5),
                                   wasm_i32x4_shuffle(p[0].v, p[1].v, 2, 6, 3, 7));
  const v128_t cd = wasm_i32x4_add(wasm_i32x4_shuffle(p[2].v, p[3].v, 0, 4, 1, 5),
                                   wasm_i32x4_shuffle(p[2].v, p[3].v, 2, 6, 3, 7));
  wasm_v128_store(out, wasm_i32x4_add(wasm_i32x4_shuffle(ab, cd, 0, 1, 4, 5),
                                      wasm_i32x4_shuffle(ab, cd, 2, 3, 6, 7)));
}

constexpr bool kHasLumaTables = true;

// The luma searches' per-luma scoring (point 5 of search_kernel.inl): per distinct pixel
// luma ("kind") a 16-byte table over the frame 3 colour, looked up for 16 entries l per
// swizzle and weighted by the kind's count with a widening multiply.
template <int kPixels>
class LumaTables {
 public:
  LumaTables(const JobTables& t, Workspace& w) : t_(t), w_(w) {}

  // A new first entry j: its per-luma rows are built again on first use.
  void forgetFirsts() { firstsReady_ = 0; }

  void groupLumas(const CellPixels& px) {
    uint8_t kindOf[256];
    std::fill(kindOf, kindOf + 256, uint8_t{0xFF});
    kinds_ = 0;
    for (int p = 0; p < kPixels; ++p) {
      const int y = px.luma[p] > 255 ? 255 : px.luma[p];
      if (kindOf[y] == 0xFF) {
        kindOf[y] = static_cast<uint8_t>(kinds_);
        luma_[kinds_] = static_cast<uint8_t>(y);
        count_[kinds_++] = 0;
      }
      ++count_[kindOf[y]];
    }
  }

  // The l of (j, k) whose pair bounds leave them a chance, packed 16 to a vector, scored
  // exactly: per luma kind the "third" table over c (the better of the two frame 2 colours
  // of k) is looked up at high[l] and low[l] for 16 entries at once.
  void lumaTriples(int j, int k, const uint32_t* masks, int64_t& bestErr, Winner& best) {
    const int n = t_.count;
    const int b0 = t_.high[k], b1 = t_.low[k];
    lumaFirst(j, b0);
    lumaFirst(j, b1);
    alignas(16) uint8_t entries[kPaddedPairs], highs[kPaddedPairs + 16], lows[kPaddedPairs + 16];
    int count = 0;
    for (int base = k & ~15; base < n; base += 16) {
      for (uint32_t mask = masks[base / 16]; mask != 0; mask &= mask - 1, mask &= mask - 1) {
        const int l = base + __builtin_ctz(mask) / 2;
        entries[count] = static_cast<uint8_t>(l);
        highs[count] = t_.high[l];
        lows[count++] = t_.low[l];
      }
    }
    // Lanes past the last entry look up colour 0 and are never candidates.
    wasm_v128_store(highs + count, wasm_i8x16_splat(0));
    wasm_v128_store(lows + count, wasm_i8x16_splat(0));
    const int kinds = std::min(kinds_, kPixels);  // never more, as the compiler learns
    const uint8_t(*const first0)[16] = w_.firstByLuma[b0];
    const uint8_t(*const first1)[16] = w_.firstByLuma[b1];
    for (int g = 0; g < count; g += 16) {
      const int lanes = std::min(count - g, 16);
      const v128_t hi = load(highs + g), lo = load(lows + g);
      // At most 64 x 255 per 16-bit lane.
      v128_t sumLow = wasm_i16x8_splat(0), sumHigh = wasm_i16x8_splat(0);
      for (int i = 0; i < kinds; ++i) {
        const v128_t third = wasm_u8x16_min(load(first0[i]), load(first1[i]));
        const v128_t m =
            wasm_u8x16_min(wasm_i8x16_swizzle(third, hi), wasm_i8x16_swizzle(third, lo));
        const v128_t weight = wasm_i8x16_splat(static_cast<int8_t>(count_[i]));
        sumLow = wasm_i16x8_add(sumLow, wasm_u16x8_extmul_low_u8x16(m, weight));
        sumHigh = wasm_i16x8_add(sumHigh, wasm_u16x8_extmul_high_u8x16(m, weight));
      }
      const v128_t limit =
          wasm_i16x8_splat(static_cast<int16_t>(bestErr > 0x7FFF ? 0x7FFF : bestErr));
      const uint32_t over =
          static_cast<uint32_t>(wasm_i8x16_bitmask(wasm_i16x8_gt(sumLow, limit))) |
          static_cast<uint32_t>(wasm_i8x16_bitmask(wasm_i16x8_gt(sumHigh, limit))) << 16;
      const uint32_t valid = lanes == 16 ? ~0u : (1u << (2 * lanes)) - 1;
      uint32_t candidates = valid & ~over;
      if (candidates == 0) continue;  // the usual case
      alignas(16) uint16_t errors[16];
      wasm_v128_store(errors, sumLow);
      wasm_v128_store(errors + 8, sumHigh);
      // The literal rule, in order (the entries are packed in increasing order).
      for (; candidates != 0; candidates &= candidates - 1, candidates &= candidates - 1) {
        const int i = __builtin_ctz(candidates) / 2, l = entries[g + i];
        offer(errors[i], j, k, l, bestErr, best);
      }
    }
  }

 private:
  // withFirst for luma, turned around: firstByLuma[b][y] holds, for each frame 3 colour c
  // (byte c), the distance from luma kind y to the best allowed slot with frame 1 showing
  // a colour of entry j and frame 2 colour b: |y - luma(a, b, c)| over the two colours a
  // of j, excluded slots at 255 (kForbidden).
  void lumaFirst(int j, int b) {
    if (firstsReady_ >> b & 1) return;
    firstsReady_ |= 1u << b;
    const int a0 = t_.high[j] * 16 + b, a1 = t_.low[j] * 16 + b;
    const v128_t luma0 = load(t_.lumaWith[a0]), excluded0 = load(t_.excludedWith[a0]);
    const v128_t luma1 = load(t_.lumaWith[a1]), excluded1 = load(t_.excludedWith[a1]);
    const int kinds = std::min(kinds_, kPixels);
    for (int i = 0; i < kinds; ++i) {
      const v128_t y = wasm_i8x16_splat(static_cast<int8_t>(luma_[i]));
      const v128_t d0 = wasm_v128_or(
          wasm_v128_or(wasm_u8x16_sub_sat(y, luma0), wasm_u8x16_sub_sat(luma0, y)), excluded0);
      const v128_t d1 = wasm_v128_or(
          wasm_v128_or(wasm_u8x16_sub_sat(y, luma1), wasm_u8x16_sub_sat(luma1, y)), excluded1);
      wasm_v128_store(w_.firstByLuma[b][i], wasm_u8x16_min(d0, d1));
    }
  }

  const JobTables& t_;
  Workspace& w_;
  uint32_t firstsReady_ = 0;
  int kinds_ = 0;                // distinct pixel lumas
  uint8_t luma_[kPixels] = {};   // each kind's luma, clamped to 255
  uint8_t count_[kPixels] = {};  // how many pixels have it
};

}  // namespace
#include "engine/kernels/search_kernel.inl"

const char* name() {
  return "wasm SIMD";
}
bool available() {
  return true;
}

}  // namespace peltrix::engine::simd
