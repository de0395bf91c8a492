// The search kernels compiled for AVX2, the x86-64 build's SIMD kernels, chosen at run time
// when the CPU has it. Only this file's own code is built for AVX2 (the target pragma comes
// after every include), so no AVX2 instruction leaks into code shared with other files.
#include <immintrin.h>

#include <algorithm>
#include <cstdint>
#include <type_traits>

#include "engine/kernels/search_kernel.hpp"

#pragma GCC push_options
#pragma GCC target("avx2")
namespace peltrix::engine::simd {
namespace {

constexpr int kVectorBytes = 32;
typedef int16_t I16x16 __attribute__((vector_size(32), may_alias));
typedef uint8_t U8x32 __attribute__((vector_size(32), may_alias));
typedef uint8_t U8x16 __attribute__((vector_size(16), may_alias));

template <class V, class Lane>
[[gnu::always_inline]] inline V broadcast(Lane v) {
  V r;
  for (int i = 0; i < static_cast<int>(sizeof(V) / sizeof(Lane)); ++i) r[i] = v;
  return r;
}
template <class V>
[[gnu::always_inline]] inline V absDiff(const V& a, const V& b) {
  return a > b ? a - b : b - a;
}
[[gnu::always_inline]] inline uint32_t sumLanes(I16x16 v) {
  const __m256i s = _mm256_madd_epi16(reinterpret_cast<__m256i>(v), _mm256_set1_epi16(1));
  __m128i x = _mm_add_epi32(_mm256_castsi256_si128(s), _mm256_extracti128_si256(s, 1));
  x = _mm_add_epi32(x, _mm_unpackhi_epi64(x, x));
  x = _mm_add_epi32(x, _mm_shuffle_epi32(x, 1));
  return static_cast<uint32_t>(_mm_cvtsi128_si32(x));
}
[[gnu::always_inline]] inline uint32_t sumLanes(U8x32 v) {
  const __m256i s = _mm256_sad_epu8(reinterpret_cast<__m256i>(v), _mm256_setzero_si256());
  __m128i x = _mm_add_epi64(_mm256_castsi256_si128(s), _mm256_extracti128_si256(s, 1));
  x = _mm_add_epi64(x, _mm_unpackhi_epi64(x, x));
  return static_cast<uint32_t>(_mm_cvtsi128_si32(x));
}
[[gnu::always_inline]] inline uint32_t sumLanes(U8x16 v) {
  __m128i x = _mm_sad_epu8(reinterpret_cast<__m128i>(v), _mm_setzero_si128());
  x = _mm_add_epi64(x, _mm_unpackhi_epi64(x, x));
  return static_cast<uint32_t>(_mm_cvtsi128_si32(x));
}
// Two mask bits per entry (bits 2i, 2i + 1 for entry i of the 16): set when both bounds
// are at most `limit`.
[[gnu::always_inline]] inline uint32_t boundsAtMost(const uint16_t* a, const uint16_t* b,
                                                    uint16_t limit) {
  const __m256i m = _mm256_max_epu16(_mm256_load_si256(reinterpret_cast<const __m256i*>(a)),
                                     _mm256_load_si256(reinterpret_cast<const __m256i*>(b)));
  const __m256i lim = _mm256_set1_epi16(static_cast<int16_t>(limit));
  return static_cast<uint32_t>(
      _mm256_movemask_epi8(_mm256_cmpeq_epi16(_mm256_max_epu16(m, lim), lim)));
}
// Four error sums at once. A "part" is what is left of one triple's per-pixel minima
// before the final horizontal sum; four parts share that last, costly step.
struct I32Parts {  // 8 x 32-bit partial sums (colour)
  __m256i v;
};
struct U64Parts {  // 4 x 64-bit partial sums, each below 2^16 (luma, 64 pixels)
  __m256i v;
};
struct U64Parts128 {  // 2 x 64-bit partial sums, each below 2^16 (luma, 16 pixels)
  __m128i v;
};
template <int N>
[[gnu::always_inline]] inline I32Parts partOfMin(const I16x16* a, const I16x16* b) {
  I16x16 acc = a[0] < b[0] ? a[0] : b[0];  // at most 4 x 1023 per lane
  for (int i = 1; i < N; ++i) acc += a[i] < b[i] ? a[i] : b[i];
  return {_mm256_madd_epi16(reinterpret_cast<__m256i>(acc), _mm256_set1_epi16(1))};
}
template <int N>
[[gnu::always_inline]] inline U64Parts partOfMin(const U8x32* a, const U8x32* b) {
  __m256i acc = _mm256_setzero_si256();
  for (int i = 0; i < N; ++i) {
    const U8x32 m = a[i] < b[i] ? a[i] : b[i];
    acc = _mm256_add_epi64(acc,
                           _mm256_sad_epu8(reinterpret_cast<__m256i>(m), _mm256_setzero_si256()));
  }
  return {acc};
}
template <int N>
[[gnu::always_inline]] inline U64Parts128 partOfMin(const U8x16* a, const U8x16* b) {
  const U8x16 m = a[0] < b[0] ? a[0] : b[0];
  return {_mm_sad_epu8(reinterpret_cast<__m128i>(m), _mm_setzero_si128())};
}
[[gnu::always_inline]] inline void sum4(const I32Parts (&p)[4], uint32_t* out) {
  const __m256i ab = _mm256_hadd_epi32(p[0].v, p[1].v);
  const __m256i cd = _mm256_hadd_epi32(p[2].v, p[3].v);
  const __m256i abcd = _mm256_hadd_epi32(ab, cd);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                   _mm_add_epi32(_mm256_castsi256_si128(abcd), _mm256_extracti128_si256(abcd, 1)));
}
// Luma parts fit 16 bits: pack the four into the 16-bit fields of each 64-bit lane, then
// add the lanes (every field stays below 2^16, so no carry crosses fields).
[[gnu::always_inline]] inline void sum4(const U64Parts (&p)[4], uint32_t* out) {
  const __m256i packed = _mm256_or_si256(
      _mm256_or_si256(p[0].v, _mm256_slli_epi64(p[1].v, 16)),
      _mm256_or_si256(_mm256_slli_epi64(p[2].v, 32), _mm256_slli_epi64(p[3].v, 48)));
  __m128i x = _mm_add_epi64(_mm256_castsi256_si128(packed), _mm256_extracti128_si256(packed, 1));
  x = _mm_add_epi64(x, _mm_unpackhi_epi64(x, x));
  const uint64_t fields = static_cast<uint64_t>(_mm_cvtsi128_si64(x));
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint32_t>(fields >> (16 * i) & 0xFFFF);
}
[[gnu::always_inline]] inline void sum4(const U64Parts128 (&p)[4], uint32_t* out) {
  const __m128i packed =
      _mm_or_si128(_mm_or_si128(p[0].v, _mm_slli_epi64(p[1].v, 16)),
                   _mm_or_si128(_mm_slli_epi64(p[2].v, 32), _mm_slli_epi64(p[3].v, 48)));
  const __m128i x = _mm_add_epi64(packed, _mm_unpackhi_epi64(packed, packed));
  const uint64_t fields = static_cast<uint64_t>(_mm_cvtsi128_si64(x));
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint32_t>(fields >> (16 * i) & 0xFFFF);
}

constexpr bool kHasLumaTables = true;

// The luma searches' per-luma scoring (point 5 of search_kernel.inl): 32 entries l per
// byte shuffle, two kinds per multiply-add.
template <int kPixels>
class LumaTables {
  static constexpr int kKindGroup = kPixels == 64 ? 4 : 2;  // luma kinds padded to a multiple

 public:
  LumaTables(const JobTables& t, Workspace& w) : t_(t), w_(w) {}

  // A new first entry j: its per-luma rows are built again on first use.
  void forgetFirsts() { lumaFirstsReady_ = 0; }

  // Luma distances depend on the pixel's luma only, so pixels of equal luma score alike:
  // each distinct luma is scored once and counts as many times as it occurs. Padded to an
  // even number of kinds with a kind that counts 0 times.
  void groupLumas(const CellPixels& px) {
    uint8_t kindOf[256];
    std::fill(kindOf, kindOf + 256, uint8_t{0xFF});
    lumaKinds_ = 0;
    for (int p = 0; p < kPixels; ++p) {
      const int y = px.luma[p] > 255 ? 255 : px.luma[p];
      if (kindOf[y] == 0xFF) {
        kindOf[y] = static_cast<uint8_t>(lumaKinds_);
        std::fill_n(lumaSplat_[lumaKinds_], 16, static_cast<uint8_t>(y));
        lumaCount_[lumaKinds_++] = 0;
      }
      ++lumaCount_[kindOf[y]];
    }
    while (lumaKinds_ % kKindGroup != 0) {
      std::fill_n(lumaSplat_[lumaKinds_], 16, uint8_t{0});
      lumaCount_[lumaKinds_++] = 0;
    }
    // The weights of four kinds for blocks of 16 entries: kinds i, i + 2 in the low half,
    // i + 1, i + 3 in the high half (see scoreSixteen).
    for (int i = 0; kKindGroup == 4 && i < lumaKinds_; i += 4) {
      for (int w = 0; w < 8; ++w) {
        lumaQuads_[i / 4][w] = static_cast<int16_t>(lumaCount_[i] | lumaCount_[i + 2] << 8);
        lumaQuads_[i / 4][w + 8] = static_cast<int16_t>(lumaCount_[i + 1] | lumaCount_[i + 3] << 8);
      }
    }
  }

  // withFirst for luma, turned around: firstByLuma[b][y] holds, for each frame 3 colour c
  // (byte c), the distance from luma kind y to the best allowed slot with frame 1 showing
  // a colour of entry j and frame 2 colour b: |y - luma(a, b, c)| over the two colours a
  // of j, excluded slots at 255 (kForbidden).
  [[gnu::always_inline]] static __m256i twice(const uint8_t* sixteen) {
    return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(sixteen)));
  }
  void lumaFirst(int j, int b) {
    if (lumaFirstsReady_ >> b & 1) return;
    lumaFirstsReady_ |= 1u << b;
    // Two kinds per step: their tables sit side by side, 32 bytes.
    const int a0 = t_.high[j] * 16 + b, a1 = t_.low[j] * 16 + b;
    const __m256i luma0 = twice(t_.lumaWith[a0]), excluded0 = twice(t_.excludedWith[a0]);
    const __m256i luma1 = twice(t_.lumaWith[a1]), excluded1 = twice(t_.excludedWith[a1]);
    const int kinds = std::min(lumaKinds_, kPixels);  // never more, as the compiler learns
    for (int i = 0; i < kinds; i += 2) {
      const __m256i y = _mm256_load_si256(reinterpret_cast<const __m256i*>(lumaSplat_[i]));
      const __m256i d0 = _mm256_or_si256(
          _mm256_or_si256(_mm256_subs_epu8(y, luma0), _mm256_subs_epu8(luma0, y)), excluded0);
      const __m256i d1 = _mm256_or_si256(
          _mm256_or_si256(_mm256_subs_epu8(y, luma1), _mm256_subs_epu8(luma1, y)), excluded1);
      _mm256_store_si256(reinterpret_cast<__m256i*>(w_.firstByLuma[b][i]), _mm256_min_epu8(d0, d1));
    }
  }

  // Every l of (j, k) in the blocks of 32 where the bounds leave one a chance, scored
  // exactly: per luma kind the "third" table over c is looked up at high[l] and low[l] for
  // 32 entries at once. Scoring an l that the bounds ruled out is harmless: it is a real
  // triple with its real error, checked by the same rule as every other.
  void lumaTriples(int j, int k, const uint32_t* masks, int64_t& bestErr, Winner& best) {
    const int n = t_.count;
    const int b0 = t_.high[k], b1 = t_.low[k];
    lumaFirst(j, b0);
    lumaFirst(j, b1);
    alignas(32) uint8_t third[kPixels][16];  // [kind][c], as the third rows but per luma
    for (int i = 0; i < lumaKinds_; i += 2) {
      const __m256i f0 = _mm256_load_si256(reinterpret_cast<const __m256i*>(w_.firstByLuma[b0][i]));
      const __m256i f1 = _mm256_load_si256(reinterpret_cast<const __m256i*>(w_.firstByLuma[b1][i]));
      _mm256_store_si256(reinterpret_cast<__m256i*>(third[i]), _mm256_min_epu8(f0, f1));
    }
    for (int base = k & ~31; base < n; base += 32) {
      // A block of 16 costs half a block of 32: take the halves alone when they can
      // (cells only: a band's few kinds leave too little to halve).
      if (kKindGroup == 4 && (masks[base / 16] == 0 || masks[base / 16 + 1] == 0)) {
        const int half = masks[base / 16] != 0 ? base : base + 16;
        if (masks[half / 16] != 0) scoreSixteen(j, k, half, third, masks[half / 16], bestErr, best);
        continue;
      }
      const uint64_t chance = masks[base / 16] | uint64_t{masks[base / 16 + 1]} << 32;
      const __m256i hi = _mm256_load_si256(reinterpret_cast<const __m256i*>(t_.high.data() + base));
      const __m256i lo = _mm256_load_si256(reinterpret_cast<const __m256i*>(t_.low.data() + base));
      // Two kinds per step; interleaving their minima lets one multiply-add weigh both by
      // their counts and sum them per l (at most 64 x 255 per 16-bit lane).
      __m256i sumLow = _mm256_setzero_si256(), sumHigh = _mm256_setzero_si256();
      for (int i = 0; i < lumaKinds_; i += 2) {
        const __m256i tp =
            _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(third[i])));
        const __m256i tq = _mm256_broadcastsi128_si256(
            _mm_load_si128(reinterpret_cast<const __m128i*>(third[i + 1])));
        const __m256i counts =
            _mm256_set1_epi16(static_cast<int16_t>(lumaCount_[i] | lumaCount_[i + 1] << 8));
        const __m256i mp =
            _mm256_min_epu8(_mm256_shuffle_epi8(tp, hi), _mm256_shuffle_epi8(tp, lo));
        const __m256i mq =
            _mm256_min_epu8(_mm256_shuffle_epi8(tq, hi), _mm256_shuffle_epi8(tq, lo));
        sumLow =
            _mm256_add_epi16(sumLow, _mm256_maddubs_epi16(_mm256_unpacklo_epi8(mp, mq), counts));
        sumHigh =
            _mm256_add_epi16(sumHigh, _mm256_maddubs_epi16(_mm256_unpackhi_epi8(mp, mq), counts));
      }
      // The unpacks work per 128-bit half: sumLow holds l 0-7 and 16-23, sumHigh 8-15 and
      // 24-31. Put them back in order.
      const __m256i first16 = _mm256_permute2x128_si256(sumLow, sumHigh, 0x20);
      const __m256i last16 = _mm256_permute2x128_si256(sumLow, sumHigh, 0x31);
      const __m256i limit =
          _mm256_set1_epi16(static_cast<int16_t>(bestErr > 0x7FFF ? 0x7FFF : bestErr));
      const uint64_t over =
          static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpgt_epi16(first16, limit))) |
          uint64_t{static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpgt_epi16(last16, limit)))}
              << 32;
      uint64_t candidates = chance & ~over;
      if (candidates == 0) continue;  // the usual case
      alignas(32) uint16_t errors[32];
      _mm256_store_si256(reinterpret_cast<__m256i*>(errors), first16);
      _mm256_store_si256(reinterpret_cast<__m256i*>(errors + 16), last16);
      takeInOrder(j, k, base, candidates, errors, bestErr, best);
    }
  }

  // The 16 entries from base on: two 16-byte tables per 32-byte shuffle (kinds i, i + 1
  // against i + 2, i + 3), each half weighted by its own kinds; the halves add up at the end.
  void scoreSixteen(int j, int k, int base, const uint8_t (*third)[16], uint32_t chance,
                    int64_t& bestErr, Winner& best) {
    const __m256i hi = twice(t_.high.data() + base), lo = twice(t_.low.data() + base);
    __m256i sumLow = _mm256_setzero_si256(), sumHigh = _mm256_setzero_si256();
    const int kinds = std::min(lumaKinds_, kPixels);  // never more, as the compiler learns
    for (int i = 0; i < kinds; i += 4) {
      const __m256i tx = _mm256_load_si256(reinterpret_cast<const __m256i*>(third[i]));
      const __m256i ty = _mm256_load_si256(reinterpret_cast<const __m256i*>(third[i + 2]));
      const __m256i counts = _mm256_load_si256(reinterpret_cast<const __m256i*>(lumaQuads_[i / 4]));
      const __m256i mx = _mm256_min_epu8(_mm256_shuffle_epi8(tx, hi), _mm256_shuffle_epi8(tx, lo));
      const __m256i my = _mm256_min_epu8(_mm256_shuffle_epi8(ty, hi), _mm256_shuffle_epi8(ty, lo));
      sumLow = _mm256_add_epi16(sumLow, _mm256_maddubs_epi16(_mm256_unpacklo_epi8(mx, my), counts));
      sumHigh =
          _mm256_add_epi16(sumHigh, _mm256_maddubs_epi16(_mm256_unpackhi_epi8(mx, my), counts));
    }
    // sumLow: l 0-7 in both halves (different kinds), sumHigh: l 8-15.
    const __m256i sums = _mm256_add_epi16(_mm256_permute2x128_si256(sumLow, sumHigh, 0x20),
                                          _mm256_permute2x128_si256(sumLow, sumHigh, 0x31));
    const __m256i limit =
        _mm256_set1_epi16(static_cast<int16_t>(bestErr > 0x7FFF ? 0x7FFF : bestErr));
    const uint32_t over =
        static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpgt_epi16(sums, limit)));
    const uint32_t candidates = chance & ~over;
    if (candidates == 0) return;
    alignas(32) uint16_t errors[16];
    _mm256_store_si256(reinterpret_cast<__m256i*>(errors), sums);
    takeInOrder(j, k, base, candidates, errors, bestErr, best);
  }

 private:
  const JobTables& t_;
  Workspace& w_;
  uint32_t lumaFirstsReady_ = 0;
  int lumaKinds_ = 0;  // distinct pixel lumas
  alignas(32) int16_t lumaQuads_[kPixels / 4][16] = {};
  alignas(32) uint8_t lumaSplat_[kPixels][16] = {};  // each kind's luma (clamped to 255), 16 times
  uint8_t lumaCount_[kPixels] = {};                  // how many pixels have it
};

}  // namespace
#include "engine/kernels/search_kernel.inl"
}  // namespace peltrix::engine::simd
#pragma GCC pop_options

namespace peltrix::engine::simd {
const char* name() {
  return "AVX2";
}
bool available() {
  return __builtin_cpu_supports("avx2");
}
}  // namespace peltrix::engine::simd
