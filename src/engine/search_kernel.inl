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
//     Triples whose bound cannot beat the best so far are skipped. Entries are visited in
//     order of their bound so that a good best is found early; the tie rule of the literal
//     search (the earliest triple wins a tie) is kept by comparing (error, j, k, l).
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

template <class Lane, int kPixels>
class Kernel {
  using S = Shape<Lane, kPixels>;
  using V = typename S::V;
  static constexpr int kVecs = S::kVecs;
  static constexpr bool kColour = std::is_same_v<Lane, int16_t>;
  static constexpr Lane kForbidden = kColour ? 1023 : 255;

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
  const V* distance(int a, int b, int c) const {
    return row(w_.distances, t_.blends->of(a, b, c));
  }

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
        for (int i = 0; i < kVecs; ++i) out[i] = absDiff(r[i], br) + absDiff(g[i], bg) + absDiff(b[i], bb);
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

  // pairBound[x][y] (x <= y): a lower bound on the error of every triple that holds
  // entries x and y, in any frames: per pixel the best allowed blend of one colour of x,
  // one colour of y and any third colour allowed with both.
  void boundPairs() {
    for (int a = 0; a < 16; ++a) {
      for (int b = a; b < 16; ++b) {
        V* out = row(w_.pairBest, t_.blends->pairId[a * 16 + b]);
        fill(out, kForbidden);
        for (int c = 0; c < 16; ++c) {
          if (!clash(a, c) && !clash(b, c)) minInto(out, distance(a, b, c));
        }
      }
    }
    const int n = t_.count;
    for (int x = 0; x < n; ++x) {
      const int hx = t_.high[x], ox = t_.low[x];
      for (int c = 0; c < 16; ++c) {
        V* out = row(w_.withEntry, c);
        fill(out, kForbidden);
        for (int cx : {hx, ox}) {
          if (!clash(cx, c)) minInto(out, row(w_.pairBest, t_.blends->pairId[cx * 16 + c]));
        }
      }
      uint16_t* bounds = w_.pairBound[x];
      std::fill(bounds, bounds + kPaddedPairs, uint16_t{0xFFFF});
      uint32_t least = ~0u;
      for (int y = x; y < n; ++y) {
        const uint32_t e = sumOfMin(row(w_.withEntry, t_.high[y]), row(w_.withEntry, t_.low[y]));
        bounds[y] = static_cast<uint16_t>(e);
        least = e < least ? e : least;
      }
      w_.entryBound[x] = static_cast<uint16_t>(least);
    }
  }

  Winner branchAndBound() {
    const int n = t_.count;
    // Visit entries j by increasing bound (insertion sort: stable, no allocation).
    uint8_t* order = w_.order.data();
    for (int i = 0; i < n; ++i) {
      int p = i;
      while (p > 0 && w_.entryBound[order[p - 1]] > w_.entryBound[i]) {
        order[p] = order[p - 1];
        --p;
      }
      order[p] = static_cast<uint8_t>(i);
    }

    int64_t bestErr = INT64_MAX;  // no triple yet
    Winner best{n, n, n};         // after every triple
    for (int oi = 0; oi < n; ++oi) {
      const int j = order[oi];
      // Triples before the best may tie with it; the others must beat it.
      auto limitFor = [&](int jj, int kk) {
        const bool earlier = jj < best.j || (jj == best.j && kk < best.k);
        return earlier ? bestErr : bestErr - 1;
      };
      if (w_.entryBound[j] > bestErr) break;  // sorted: no later entry can do better
      if (w_.entryBound[j] > limitFor(j, n)) continue;
      const uint16_t* boundsJ = w_.pairBound[j];
      for (int k = j; k < n; ++k) {
        int64_t limit = limitFor(j, k);
        if (boundsJ[k] > limit) continue;
        prepareThirds(j, k);
        const uint16_t* boundsK = w_.pairBound[k];
        for (int base = k & ~15; base < n; base += 16) {
          if (limit < 0) break;
          const uint16_t lim16 = static_cast<uint16_t>(limit > 0xFFFF ? 0xFFFF : limit);
          uint32_t mask = boundsAtMost(boundsJ + base, boundsK + base, lim16);
          if (base < k) mask &= ~0u << (2 * (k - base));
          if (base + 16 > n) mask &= (1u << (2 * (n - base))) - 1;  // n - base < 16 here
          while (mask != 0) {
            const int l = base + __builtin_ctz(mask) / 2;
            mask &= mask - 1;
            mask &= mask - 1;
            if (boundsJ[l] > limit || boundsK[l] > limit) continue;  // the best improved
            const int64_t e = sumOfMin(third(t_.high[l]), third(t_.low[l]));
            if (e <= limit) {
              bestErr = e;
              best = {j, k, l};
              limit = e - 1;  // the rest of this l loop comes after the new best
            }
          }
        }
      }
    }
    return best;
  }

  // The (frame 1, frame 2) colour combinations of entries j and k that the exclusion list
  // allows; the third rows are built from them on first use.
  void prepareThirds(int j, int k) {
    combos_ = 0;
    const int cj[2] = {t_.high[j], t_.low[j]}, ck[2] = {t_.high[k], t_.low[k]};
    for (int a = 0; a < (cj[0] == cj[1] ? 1 : 2); ++a) {
      for (int b = 0; b < (ck[0] == ck[1] ? 1 : 2); ++b) {
        if (clash(cj[a], ck[b])) continue;
        combo_[combos_][0] = static_cast<uint8_t>(cj[a]);
        combo_[combos_][1] = static_cast<uint8_t>(ck[b]);
        ++combos_;
      }
    }
    built_ = 0;
  }

  // Per pixel, the best allowed slot whose frame 3 shows colour c.
  const V* third(int c) {
    V* out = row(w_.third, c);
    if (built_ >> c & 1) return out;
    built_ |= 1u << c;
    fill(out, kForbidden);
    for (int i = 0; i < combos_; ++i) {
      const int a = combo_[i][0], b = combo_[i][1];
      if (!clash(a, c) && !clash(b, c)) minInto(out, distance(a, b, c));
    }
    return out;
  }

  const JobTables& t_;
  const CellPixels& px_;
  Workspace& w_;
  uint8_t combo_[4][2] = {};
  int combos_ = 0;
  uint32_t built_ = 0;
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
