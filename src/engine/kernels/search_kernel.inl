// The exact search, fast. Included by each kernel file (portable/, x86_avx2/ and
// wasm_simd128/ beside this one) inside its own namespace, after that file's instruction set
// primitives:
//   kVectorBytes              the widest vector its instructions handle (16 or 32 bytes)
//   broadcast<V>(lane)        a vector of a row with every lane set to one value
//   absDiff(a, b)             lane-wise |a - b| of two vectors of a row
//   sumLanes(v)               the sum of the lanes of one vector of a row
//   partOfMin<N>(a, b)        part of the sum of min(a, b) over the N vectors of two rows;
//   sum4(parts, out)          four such parts finished at once into four sums
//   boundsAtMost(a, b, limit) two mask bits per entry of 16 (bits 2i and 2i + 1 for entry
//                             i): set when both bounds are at most limit
//   kHasLumaTables, LumaTables<kPixels>  per-luma scoring of the luma searches (point 5)
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
//  5. Luma (where the instruction set has a byte shuffle): a luma distance depends on the
//     pixel's and the blend's luma only, so pixels of equal luma are scored once, weighted
//     by their count, and the rows turn around: per pixel luma, a 16-byte table over the
//     frame 3 colour c. A byte shuffle then looks up many entries l at once: with AVX2
//     every l of a block of 32, without picking out the survivors one by one; with wasm
//     SIMD the surviving l, packed 16 to a vector.
// Distances are small integers: colour <= 765 and the eye match's <= 1022 in 16-bit lanes,
// luma <= 239 in 8-bit lanes.
// A forbidden slot counts as kForbidden, above every real distance: a triple without any
// allowed slot sums to kPixels * kForbidden, more than any triple with one, so it loses
// exactly as it does with the literal search's exclusion marker.

namespace {

template <class Lane, int kPixels>
struct Shape {
  static constexpr int kRowBytes = kPixels * static_cast<int>(sizeof(Lane));
  static constexpr int kVecBytes = kRowBytes >= kVectorBytes ? kVectorBytes : 16;
  typedef Lane V __attribute__((vector_size(kVecBytes), may_alias));
  static constexpr int kVecs = kRowBytes / kVecBytes;
  static constexpr int kLanes = kVecBytes / static_cast<int>(sizeof(Lane));
};

template <class Lane, int kPixels>
class Kernel {
  using S = Shape<Lane, kPixels>;
  using V = typename S::V;
  static constexpr int kVecs = S::kVecs;
  static constexpr bool kColour = std::is_same_v<Lane, int16_t>;
  static constexpr Lane kForbidden = kColour ? 1023 : 255;
  static constexpr bool kLumaTables = kHasLumaTables && !kColour;

 public:
  Kernel(const JobTables& t, const CellPixels& px, Workspace& w, Distance d)
      : t_(t), px_(px), w_(w), luma_(t, w), distance_(d) {}

  Winner searchTriples() {
    measure();
    boundPairs();
    return branchAndBound();
  }

  // Super flicker: the N triples (j, j, j). Slots 1, 2, 4 share one blend and one
  // exclusion test, as do slots 3, 5, 6, so four rows cover the 8 slots.
  Winner searchSingles() {
    if (isEye()) {
      // Only the four shades of each entry are ever read: the eye's rows cost a square root
      // a pixel, so the others are not made.
      bool needed[kBlendCount] = {};
      for (int j = 0; j < t_.count; ++j) {
        const int h = t_.high[j], o = t_.low[j];
        for (int n : {t_.blends->of(h, h, h), t_.blends->of(h, h, o), t_.blends->of(h, o, o),
                      t_.blends->of(o, o, o)}) {
          needed[n] = true;
        }
      }
      measureEye(needed);
    } else {
      measure();
    }
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
  [[gnu::always_inline]] static V splat(Lane v) { return broadcast<V>(v); }
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
      V acc = row[0];  // at most 8 x 1023 per lane (16-byte vectors): no overflow
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

  // The eye match's rows: CIELAB distance (or L* difference) in quarters, as labDistance
  // gives it: floor(sqrt(s)) with s = squared distance / 256 in 1/64 units, below 2^24 and so
  // exact as a float; IEEE square roots are correctly rounded on every processor, and below
  // 1022^2 the floor of the rounded root is the integer root. Written to vectorise.
  bool isEye() const { return distance_ == Distance::Eye || distance_ == Distance::EyeLightness; }

  void measureEye(const bool* needed = nullptr) {
    const EyeBlends& e = *t_.eye;
    for (int n = 0; n < kBlendCount; ++n) {
      if (needed != nullptr && !needed[n]) continue;
      int16_t* out = reinterpret_cast<int16_t*>(w_.distances[n]);
      const int32_t bl = e.labL[n], ba = e.labA[n], bb = e.labB[n], cost = e.flicker[n];
      if (distance_ == Distance::EyeLightness) {
        for (int p = 0; p < kPixels; ++p) {
          const int32_t dl = px_.labL[p] - bl;
          const int32_t q = ((dl < 0 ? -dl : dl) >> 4) + cost;
          out[p] = static_cast<int16_t>(q < kMaxEyeDistance ? q : kMaxEyeDistance);
        }
        continue;
      }
      for (int p = 0; p < kPixels; ++p) {
        const int32_t dl = px_.labL[p] - bl, da = px_.labA[p] - ba, db = px_.labB[p] - bb;
        const int32_t s = (dl * dl + da * da + db * db) >> 8;
        const int32_t q = static_cast<int32_t>(__builtin_sqrtf(static_cast<float>(s))) + cost;
        out[p] = static_cast<int16_t>(q < kMaxEyeDistance ? q : kMaxEyeDistance);
      }
    }
  }

  // Distance rows: every pixel against each of the 816 blend colours.
  void measure() {
    const BlendTable& blends = *t_.blends;
    if constexpr (kColour) {
      if (isEye()) {
        measureEye();
        return;
      }
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
      offer(zErr, sorted[0], sorted[1], sorted[2], bestErr, best);
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
    if constexpr (kLumaTables) luma_.groupLumas(px_);

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
    auto limitFor = [&](int j, int k, int l) {
      return comesBefore(j, k, l, best) ? bestErr : bestErr - 1;
    };
    for (int oi = 0; oi < n; ++oi) {
      const int j = static_cast<int>(keys[oi] & 0xFF);
      if (w_.entryBound[j] > bestErr) break;  // sorted: no later entry can do better
      if (boundRow(j) > limitFor(j, j, j)) continue;
      const uint16_t* boundsJ = w_.pairBound[j];
      firstsReady_ = 0;
      if constexpr (kLumaTables) luma_.forgetFirsts();
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
        if constexpr (kLumaTables) {
          luma_.lumaTriples(j, k, masks, bestErr, best);
          continue;
        }
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
            offer(e[i], j, k, ls[g + i], bestErr, best);
          }
        }
      }
    }
    return best;
  }

  const JobTables& t_;
  const CellPixels& px_;
  Workspace& w_;
  uint64_t rowsReady_[2] = {};
  uint32_t firstsReady_ = 0;
  LumaTables<kPixels> luma_;                    // used by the luma searches only
  static constexpr const V* thirds_ = nullptr;  // names the part type only
  uint32_t rowLeast_[kMaxPairs] = {};
  Distance distance_;
};

template <class Lane, int kPixels>
Winner triplesFor(const JobTables& t, const CellPixels& px, Workspace& w, Distance d) {
  return Kernel<Lane, kPixels>(t, px, w, d).searchTriples();
}
template <class Lane, int kPixels>
Winner singlesFor(const JobTables& t, const CellPixels& px, Workspace& w, Distance d) {
  return Kernel<Lane, kPixels>(t, px, w, d).searchSingles();
}

}  // namespace

// Every distance but the classic match's luma goes into 16-bit lanes.
Winner searchTriples(const JobTables& t, const CellPixels& px, Distance d, Workspace& w) {
  if (d != Distance::Luma) {
    return px.count == 64 ? triplesFor<int16_t, 64>(t, px, w, d)
                          : triplesFor<int16_t, 16>(t, px, w, d);
  }
  return px.count == 64 ? triplesFor<uint8_t, 64>(t, px, w, d)
                        : triplesFor<uint8_t, 16>(t, px, w, d);
}

Winner searchSingles(const JobTables& t, const CellPixels& px, Distance d, Workspace& w) {
  if (d != Distance::Luma) {
    return px.count == 64 ? singlesFor<int16_t, 64>(t, px, w, d)
                          : singlesFor<int16_t, 16>(t, px, w, d);
  }
  return px.count == 64 ? singlesFor<uint8_t, 64>(t, px, w, d)
                        : singlesFor<uint8_t, 16>(t, px, w, d);
}
