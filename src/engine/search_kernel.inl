// The exact search, fast. Included by search_kernel_avx2.cpp and search_kernel_portable.cpp
// inside their own namespace; PELTRIX_KERNEL_AVX2 picks the horizontal sums and masks.
//
// The literal search scores every triple (j <= k <= l) by summing, over the pixels, the
// smallest distance to the triple's 8 allowed blend colours, and keeps the first triple with
// the smallest error. This file computes the same winner with three refinements:
//  1. The blend is symmetric, so every slot colour is one of 816 blends: each pixel is
//     measured against each of them once per cell (the distance rows).
//  2. For fixed (j, k), the slots that show colour c in frame 3 are the 4 (frame 1, frame 2)
//     combinations of the two pairs; their per-pixel minimum is the "third" row of c. A
//     triple's error is then the sum of the per-pixel minimum of two rows: third[h_l] and
//     third[o_l].
//  3. Branch and bound: a triple holding entries x and y can do no better than the best
//     blend with x and y in two frames and any allowed colour in the third (pairBound).
//     Triples whose bound cannot beat the best so far are skipped. A short coordinate
//     descent supplies a good first best, and entries j are visited in order of their
//     bound; the tie rule of the literal search (the earliest triple wins a tie) is kept by
//     comparing (error, j, k, l), never the visiting order.
//  4. The surviving triples of one (j, k) are summed four at a time, sharing the costly
//     horizontal sums.
//  5. Luma (AVX2): a luma distance depends on the pixel's and the blend's luma only, so
//     pixels of equal luma are scored once, weighted by their count, and the rows turn
//     around: per pixel luma, a 16-byte table over the frame 3 colour c. A byte shuffle
//     then looks up 32 entries l at once, and every l of a block of 32 is scored without
//     picking out the survivors one by one.
// Distances are small integers: colour <= 765 in 16-bit lanes, luma <= 239 in 8-bit lanes.
// A forbidden slot counts as kForbidden, above every real distance: a triple without any
// allowed slot sums to kPixels * kForbidden, more than any triple with one, so it loses
// exactly as it does with the literal search's exclusion marker.

namespace {

template <class Lane, int kPixels>
struct Shape {
  static constexpr int kRowBytes = kPixels * static_cast<int>(sizeof(Lane));
  static constexpr int kVecBytes = kRowBytes >= 32 ? 32 : 16;
  typedef Lane V __attribute__((vector_size(kVecBytes), may_alias));
  static constexpr int kVecs = kRowBytes / kVecBytes;
  static constexpr int kLanes = kVecBytes / static_cast<int>(sizeof(Lane));
};

typedef int16_t I16x16 __attribute__((vector_size(32), may_alias));
typedef uint8_t U8x32 __attribute__((vector_size(32), may_alias));
typedef uint8_t U8x16 __attribute__((vector_size(16), may_alias));

#if PELTRIX_KERNEL_AVX2
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
#else
template <class V>
[[gnu::always_inline]] inline uint32_t sumLanes(const V& v) {
  uint32_t s = 0;
  for (int i = 0; i < static_cast<int>(sizeof(V) / sizeof(v[0])); ++i) {
    s += static_cast<uint32_t>(v[i]);
  }
  return s;
}
[[gnu::always_inline]] inline uint32_t boundsAtMost(const uint16_t* a, const uint16_t* b,
                                                    uint16_t limit) {
  uint32_t mask = 0;
  for (int i = 0; i < 16; ++i) {
    if (a[i] <= limit && b[i] <= limit) mask |= 3u << (2 * i);
  }
  return mask;
}
#endif

#if !PELTRIX_KERNEL_AVX2
// Without AVX2 a part is simply the whole sum.
template <int N, class V>
[[gnu::always_inline]] inline uint32_t partOfMin(const V* a, const V* b) {
  uint32_t s = 0;
  for (int i = 0; i < N; ++i) s += sumLanes(V(a[i] < b[i] ? a[i] : b[i]));
  return s;
}
[[gnu::always_inline]] inline void sum4(const uint32_t (&p)[4], uint32_t* out) {
  for (int i = 0; i < 4; ++i) out[i] = p[i];
}
#endif

template <class Lane, int kPixels>
class Kernel {
  using S = Shape<Lane, kPixels>;
  using V = typename S::V;
  static constexpr int kVecs = S::kVecs;
  static constexpr bool kColour = std::is_same_v<Lane, int16_t>;
  static constexpr Lane kForbidden = kColour ? 1023 : 255;
  static constexpr bool kLumaTables = PELTRIX_KERNEL_AVX2 && !kColour;
  static constexpr int kKindGroup = kPixels == 64 ? 4 : 2;  // luma kinds padded to a multiple

 public:
  Kernel(const JobTables& t, const CellPixels& px, Workspace& w) : t_(t), px_(px), w_(w) {}

  Winner searchTriples() {
    measure();
    boundPairs();
    return branchAndBound();
  }

  // Super flicker: the N triples (j, j, j). Slots 1, 2, 4 share one blend and one
  // exclusion test, as do slots 3, 5, 6, so four rows cover the 8 slots.
  Winner searchSingles() {
    measure();
    uint32_t best = ~0u;
    int winner = 0;
    for (int j = 0; j < t_.count; ++j) {
      const int h = t_.high[j], o = t_.low[j];
      V acc[kVecs];
      fill(acc, kForbidden);
      const int shades[4][3] = {{h, h, h}, {h, h, o}, {h, o, o}, {o, o, o}};
      for (const auto& c : shades) {
        if (!forbidden(c[0], c[1], c[2])) minInto(acc, distance(c[0], c[1], c[2]));
      }
      const uint32_t e = sum(acc);
      if (e < best) {
        best = e;
        winner = j;
      }
    }
    return {winner, winner, winner};
  }

 private:
  [[gnu::always_inline]] static V splat(Lane v) {
    V r;
    for (int i = 0; i < S::kLanes; ++i) r[i] = v;
    return r;
  }
  [[gnu::always_inline]] static V vmin(const V& a, const V& b) { return a < b ? a : b; }
  [[gnu::always_inline]] static void fill(V* row, Lane v) {
    const V s = splat(v);
    for (int i = 0; i < kVecs; ++i) row[i] = s;
  }
  [[gnu::always_inline]] static void copy(V* dst, const V* src) {
    for (int i = 0; i < kVecs; ++i) dst[i] = src[i];
  }
  [[gnu::always_inline]] static void store(V* row, const V* v) {
    for (int i = 0; i < kVecs; ++i) row[i] = v[i];
  }
  [[gnu::always_inline]] static void minInto(V* row, const V* other) {
    for (int i = 0; i < kVecs; ++i) row[i] = vmin(row[i], other[i]);
  }
  [[gnu::always_inline]] static uint32_t sum(const V* row) {
    if constexpr (kColour) {
      V acc = row[0];  // at most 4 x 1023 per lane: no overflow
      for (int i = 1; i < kVecs; ++i) acc += row[i];
      return sumLanes(acc);
    } else {
      uint32_t s = 0;
      for (int i = 0; i < kVecs; ++i) s += sumLanes(row[i]);
      return s;
    }
  }
  [[gnu::always_inline]] static uint32_t sumOfMin(const V* a, const V* b) {
    V m[kVecs];
    for (int i = 0; i < kVecs; ++i) m[i] = vmin(a[i], b[i]);
    return sum(m);
  }

  bool clash(int a, int b) const { return t_.clashes(a, b); }
  bool forbidden(int a, int b, int c) const { return clash(a, b) || clash(a, c) || clash(b, c); }
  V* row(uint8_t (*rows)[128], int i) const { return reinterpret_cast<V*>(rows[i]); }
  const V* distance(int a, int b, int c) const { return row(w_.distances, t_.blends->of(a, b, c)); }

  // Distance rows: every pixel against each of the 816 blend colours.
  void measure() {
    const BlendTable& blends = *t_.blends;
    if constexpr (kColour) {
      V r[kVecs], g[kVecs], b[kVecs];
      for (int p = 0; p < kPixels; ++p) {
        const uint32_t v = px_.rgb[p];
        r[p / S::kLanes][p % S::kLanes] = static_cast<Lane>((v >> 16) & 0xFF);
        g[p / S::kLanes][p % S::kLanes] = static_cast<Lane>((v >> 8) & 0xFF);
        b[p / S::kLanes][p % S::kLanes] = static_cast<Lane>(v & 0xFF);
      }
      for (int n = 0; n < kBlendCount; ++n) {
        const V br = splat(blends.red[n]), bg = splat(blends.green[n]), bb = splat(blends.blue[n]);
        V* out = row(w_.distances, n);
        for (int i = 0; i < kVecs; ++i)
          out[i] = absDiff(r[i], br) + absDiff(g[i], bg) + absDiff(b[i], bb);
      }
    } else {
      // Lumas above 255 are measured from 255: every blend luma is at most 235, so this
      // lowers all of a pixel's distances by the same amount and changes no choice.
      V y[kVecs];
      for (int p = 0; p < kPixels; ++p) {
        y[p / S::kLanes][p % S::kLanes] = static_cast<Lane>(px_.luma[p] > 255 ? 255 : px_.luma[p]);
      }
      for (int n = 0; n < kBlendCount; ++n) {
        const V bl = splat(blends.luma[n]);
        V* out = row(w_.distances, n);
        for (int i = 0; i < kVecs; ++i) out[i] = absDiff(y[i], bl);
      }
    }
  }
  [[gnu::always_inline]] static V absDiff(const V& a, const V& b) { return a > b ? a - b : b - a; }

  // Per pixel and colour pair {a, b}: the best allowed blend of a, b and any third colour
  // allowed with both. And per colour a: the best allowed blend that shows a in some frame.
  void boundPairs() {
    V single[16][kVecs];
    for (int a = 0; a < 16; ++a) fill(single[a], kForbidden);
    for (int a = 0; a < 16; ++a) {
      for (int b = a; b < 16; ++b) {
        V acc[kVecs];
        fill(acc, kForbidden);
        for (int c = 0; c < 16; ++c) {
          if (!clash(a, c) && !clash(b, c)) minInto(acc, distance(a, b, c));
        }
        store(row(w_.pairBest, t_.blends->pairId[a * 16 + b]), acc);
        if (!clash(a, b)) minInto(single[a], acc), minInto(single[b], acc);
      }
    }
    // entryBound[x]: no triple holding entry x does better (x's colours in one frame,
    // anything allowed in the other two). Cheap; it orders the search.
    for (int x = 0; x < t_.count; ++x) {
      w_.entryBound[x] = static_cast<uint16_t>(sumOfMin(single[t_.high[x]], single[t_.low[x]]));
    }
    rowsReady_[0] = rowsReady_[1] = 0;
  }

  // pairBound[x][y] for y >= x, built when first needed: no triple holding entries x and y
  // does better (in any frames: blend and exclusions are symmetric). Returns the least.
  uint32_t boundRow(int x) {
    if (rowsReady_[x >> 6] >> (x & 63) & 1) return rowLeast_[x];
    rowsReady_[x >> 6] |= uint64_t{1} << (x & 63);
    const int hx = t_.high[x], ox = t_.low[x];
    for (int c = 0; c < 16; ++c) {
      V acc[kVecs];
      fill(acc, kForbidden);
      for (int cx : {hx, ox}) {
        if (!clash(cx, c)) minInto(acc, row(w_.pairBest, t_.blends->pairId[cx * 16 + c]));
      }
      store(row(w_.withEntry, c), acc);
    }
    uint16_t* bounds = w_.pairBound[x];
    uint32_t least = ~0u;
    for (int y = x; y < t_.count; ++y) {
      const uint32_t e = sumOfMin(row(w_.withEntry, t_.high[y]), row(w_.withEntry, t_.low[y]));
      bounds[y] = static_cast<uint16_t>(e);
      least = e < least ? e : least;
    }
    rowLeast_[x] = least;
    return least;
  }

  // withFirst[b][c]: per pixel, the best allowed slot with frame 1 showing a colour of
  // entry j, frame 2 colour b and frame 3 colour c. Built per (j, b) on first use.
  void withFirst(int j, int b) {
    if (firstsReady_ >> b & 1) return;
    firstsReady_ |= 1u << b;
    const int a0 = t_.high[j], a1 = t_.low[j];
    for (int c = 0; c < 16; ++c) {
      V acc[kVecs];
      fill(acc, kForbidden);
      if (!clash(b, c)) {
        if (!clash(a0, b) && !clash(a0, c)) minInto(acc, distance(a0, b, c));
        if (a1 != a0 && !clash(a1, b) && !clash(a1, c)) minInto(acc, distance(a1, b, c));
      }
      store(row(w_.withFirst, b * 16 + c), acc);
    }
  }

  // A good first incumbent makes the bounds bite from the start. Coordinate descent over
  // real triples: fix two entries, take the best third, then free another one. The result
  // is a genuine triple with its exact error, so the exact search stays exact.
  void seed(int x, int64_t& bestErr, Winner& best) {
    const int n = t_.count;
    boundRow(x);
    int y = x;
    for (int i = x; i < n; ++i) y = w_.pairBound[x][i] < w_.pairBound[x][y] ? i : y;
    for (int round = 0; round < 3; ++round) {
      firstsReady_ = 0;
      const int yColours[2] = {t_.high[y], t_.low[y]};
      withFirst(x, yColours[0]);
      withFirst(x, yColours[1]);
      V rows[16][kVecs];
      for (int c = 0; c < 16; ++c) {
        copy(rows[c], row(w_.withFirst, yColours[0] * 16 + c));
        minInto(rows[c], row(w_.withFirst, yColours[1] * 16 + c));
      }
      int z = 0;
      int64_t zErr = INT64_MAX;
      for (int l = 0; l < n; ++l) {
        const int64_t e = sumOfMin(rows[t_.high[l]], rows[t_.low[l]]);
        if (e < zErr) zErr = e, z = l;
      }
      int sorted[3] = {x, y, z};
      std::sort(sorted, sorted + 3);
      const Winner w{sorted[0], sorted[1], sorted[2]};
      const bool earlier = std::tie(w.j, w.k, w.l) < std::tie(best.j, best.k, best.l);
      if (zErr < bestErr || (zErr == bestErr && earlier)) bestErr = zErr, best = w;
      x = y, y = z;  // free the oldest entry next
    }
    firstsReady_ = 0;
  }

  Winner branchAndBound() {
    const int n = t_.count;
    // Hot values in locals: the rows are written through may_alias vectors, which would
    // otherwise make the compiler reload every member after each store.
    const uint8_t* const high = t_.high.data();
    const uint8_t* const low = t_.low.data();
    uint8_t(*const thirds)[128] = w_.third;
    uint8_t(*const firsts)[128] = w_.withFirst;
#if PELTRIX_KERNEL_AVX2
    if constexpr (kLumaTables) groupLumas();
#endif

    // Visit entries j by increasing bound, ties in list order.
    uint32_t keys[kMaxPairs];
    for (int x = 0; x < n; ++x)
      keys[x] = uint32_t{w_.entryBound[x]} << 8 | static_cast<uint32_t>(x);
    std::sort(keys, keys + n);

    int64_t bestErr = INT64_MAX;  // no triple yet
    Winner best{n, n, n};         // after every triple
    seed(static_cast<int>(keys[0] & 0xFF), bestErr, best);
    // A triple before the best in enumeration order may tie with it; a later one must beat
    // it. limitFor(first triple of a subtree) is the largest error worth a look there.
    auto before = [&](int j, int k, int l) {
      return std::tie(j, k, l) < std::tie(best.j, best.k, best.l);
    };
    auto limitFor = [&](int j, int k, int l) { return before(j, k, l) ? bestErr : bestErr - 1; };
    for (int oi = 0; oi < n; ++oi) {
      const int j = static_cast<int>(keys[oi] & 0xFF);
      if (w_.entryBound[j] > bestErr) break;  // sorted: no later entry can do better
      if (boundRow(j) > limitFor(j, j, j)) continue;
      const uint16_t* boundsJ = w_.pairBound[j];
      firstsReady_ = 0;
      lumaFirstsReady_ = 0;
      for (int k = j; k < n; ++k) {
        const int64_t limit = limitFor(j, k, k);
        if (boundsJ[k] > limit || boundRow(k) > limit) continue;
        // The l whose pair bounds leave them a chance; none, and (j, k) costs no more.
        const uint16_t* boundsK = w_.pairBound[k];
        const uint16_t lim16 = static_cast<uint16_t>(limit > 0xFFFF ? 0xFFFF : limit);
        uint32_t masks[kPaddedPairs / 16] = {};  // two bits per l, as boundsAtMost gives
        uint32_t anyLeft = 0;
        for (int base = k & ~15; base < n; base += 16) {
          uint32_t mask = boundsAtMost(boundsJ + base, boundsK + base, lim16);
          if (base < k) mask &= ~0u << (2 * (k - base));
          if (base + 16 > n) mask &= (1u << (2 * (n - base))) - 1;  // n - base < 16 here
          masks[base / 16] = mask;
          anyLeft |= mask;
        }
        if (anyLeft == 0) continue;
#if PELTRIX_KERNEL_AVX2
        if constexpr (kLumaTables) {
          lumaTriples(j, k, masks, bestErr, best);
          continue;
        }
#endif
        int ls[kPaddedPairs + 3];
        int count = 0;
        for (int base = k & ~15; base < n; base += 16) {
          for (uint32_t mask = masks[base / 16]; mask != 0; mask &= mask - 1, mask &= mask - 1) {
            ls[count++] = base + __builtin_ctz(mask) / 2;
          }
        }
        for (int i = count; i < count + 3; ++i) ls[i] = ls[count - 1];  // whole groups of four

        const int kColours[2] = {high[k], low[k]};
        const int kKinds = kColours[0] == kColours[1] ? 1 : 2;
        for (int i = 0; i < kKinds; ++i) withFirst(j, kColours[i]);
        // Per pixel and colour c, the best allowed slot whose frame 3 shows c (frame 2
        // shows either colour of k).
        for (int c = 0; c < 16; ++c) {
          V acc[kVecs];
          copy(acc, reinterpret_cast<const V*>(firsts[kColours[0] * 16 + c]));
          if (kKinds == 2) minInto(acc, reinterpret_cast<const V*>(firsts[kColours[1] * 16 + c]));
          store(reinterpret_cast<V*>(thirds[c]), acc);
        }
        auto third = [&](int c) { return reinterpret_cast<const V*>(thirds[c]); };
        // Four triples per step share the horizontal sums; they are checked in order, each
        // against the best so far (which the bounds above may no longer reflect).
        for (int g = 0; g < count; g += 4) {
          decltype(partOfMin<kVecs>(thirds_, thirds_)) parts[4];
          for (int i = 0; i < 4; ++i) {
            const int l = ls[g + i];
            parts[i] = partOfMin<kVecs>(third(high[l]), third(low[l]));
          }
          uint32_t e[4];
          sum4(parts, e);
          const uint32_t least = std::min(std::min(e[0], e[1]), std::min(e[2], e[3]));
          if (least > bestErr) continue;  // the usual case: none of the four is better
          for (int i = 0; i < 4 && g + i < count; ++i) {
            if (e[i] < bestErr || (e[i] == bestErr && before(j, k, ls[g + i]))) {
              bestErr = e[i];
              best = {j, k, ls[g + i]};
            }
          }
        }
      }
    }
    return best;
  }

#if PELTRIX_KERNEL_AVX2
  // Luma distances depend on the pixel's luma only, so pixels of equal luma score alike:
  // each distinct luma is scored once and counts as many times as it occurs. Padded to an
  // even number of kinds with a kind that counts 0 times.
  void groupLumas() {
    uint8_t kindOf[256];
    std::fill(kindOf, kindOf + 256, uint8_t{0xFF});
    lumaKinds_ = 0;
    for (int p = 0; p < kPixels; ++p) {
      const int y = px_.luma[p] > 255 ? 255 : px_.luma[p];
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
      take(j, k, base, candidates, errors, bestErr, best);
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
    take(j, k, base, candidates, errors, bestErr, best);
  }

  // The literal rule on the candidates (two mask bits per entry from base on), in order.
  static void take(int j, int k, int base, uint64_t candidates, const uint16_t* errors,
                   int64_t& bestErr, Winner& best) {
    for (; candidates != 0; candidates &= candidates - 1, candidates &= candidates - 1) {
      const int i = __builtin_ctzll(candidates) / 2, l = base + i;
      const int64_t e = errors[i];
      const bool before = std::tie(j, k, l) < std::tie(best.j, best.k, best.l);
      if (e < bestErr || (e == bestErr && before)) bestErr = e, best = {j, k, l};
    }
  }
#endif

  const JobTables& t_;
  const CellPixels& px_;
  Workspace& w_;
  uint64_t rowsReady_[2] = {};
  uint32_t firstsReady_ = 0;
  uint32_t lumaFirstsReady_ = 0;
  int lumaKinds_ = 0;  // distinct pixel lumas (luma searches, AVX2)
  alignas(32) int16_t lumaQuads_[kPixels / 4][16] = {};
  alignas(32) uint8_t lumaSplat_[kPixels][16] = {};  // each kind's luma (clamped to 255), 16 times
  uint8_t lumaCount_[kPixels] = {};                  // how many pixels have it
  static constexpr const V* thirds_ = nullptr;       // names the part type only
  uint32_t rowLeast_[kMaxPairs] = {};
};

template <class Lane, int kPixels>
Winner triplesFor(const JobTables& t, const CellPixels& px, Workspace& w) {
  return Kernel<Lane, kPixels>(t, px, w).searchTriples();
}
template <class Lane, int kPixels>
Winner singlesFor(const JobTables& t, const CellPixels& px, Workspace& w) {
  return Kernel<Lane, kPixels>(t, px, w).searchSingles();
}

}  // namespace

Winner searchTriples(const JobTables& t, const CellPixels& px, Distance d, Workspace& w) {
  if (d == Distance::Colour) {
    return px.count == 64 ? triplesFor<int16_t, 64>(t, px, w) : triplesFor<int16_t, 16>(t, px, w);
  }
  return px.count == 64 ? triplesFor<uint8_t, 64>(t, px, w) : triplesFor<uint8_t, 16>(t, px, w);
}

Winner searchSingles(const JobTables& t, const CellPixels& px, Distance d, Workspace& w) {
  if (d == Distance::Colour) {
    return px.count == 64 ? singlesFor<int16_t, 64>(t, px, w) : singlesFor<int16_t, 16>(t, px, w);
  }
  return px.count == 64 ? singlesFor<uint8_t, 64>(t, px, w) : singlesFor<uint8_t, 16>(t, px, w);
}
