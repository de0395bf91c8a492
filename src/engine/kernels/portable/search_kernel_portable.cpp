// The search kernels for any CPU: the same source as the SIMD builds, with plain loops for
// the horizontal sums. Also the reference the SIMD builds are tested against.
#include <algorithm>
#include <cstdint>
#include <type_traits>

#include "engine/kernels/search_kernel.hpp"

// 32-byte vectors are passed between the kernel's own inlined helpers only.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace peltrix::engine::portable {
namespace {

// Vectors of 32 bytes; the compiler splits them into what the target has.
constexpr int kVectorBytes = 32;

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

// A part is simply the whole sum.
template <int N, class V>
[[gnu::always_inline]] inline uint32_t partOfMin(const V* a, const V* b) {
  uint32_t s = 0;
  for (int i = 0; i < N; ++i) s += sumLanes(V(a[i] < b[i] ? a[i] : b[i]));
  return s;
}
[[gnu::always_inline]] inline void sum4(const uint32_t (&p)[4], uint32_t* out) {
  for (int i = 0; i < 4; ++i) out[i] = p[i];
}

// Luma rows are scored pixel by pixel, as the colour rows.
constexpr bool kHasLumaTables = false;
template <int kPixels>
struct LumaTables {
  LumaTables(const JobTables&, Workspace&) {}
};

}  // namespace
#include "engine/kernels/search_kernel.inl"
}  // namespace peltrix::engine::portable
