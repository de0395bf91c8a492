// Windows has no fork: the decoder runs in this process while every heap allocation is
// metered. The test binary is linked with --wrap for malloc, calloc, realloc and free, so the
// calls of libjpeg, libpng and operator new all come through the wrappers below.
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "colour/picture.hpp"
#include "decode_within_memory.hpp"

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);
void __real_free(void* block);
}

namespace {

// The heap's bytes in use now and at most since the last reset, and the refusal bound: an
// allocation beyond it fails as it would when the memory runs out. Process-wide because the
// allocator is.
struct HeapMeter {
  std::atomic<long long> live{0};
  std::atomic<long long> peak{0};
  std::atomic<long long> limit{LLONG_MAX};

  bool admits(size_t more) const {
    const long long bound = limit;
    if (bound == LLONG_MAX) return true;
    return static_cast<long long>(std::min<size_t>(more, LLONG_MAX / 2)) <= bound - live;
  }
  void add(long long bytes) {
    const long long now = live += bytes;
    for (long long seen = peak; now > seen && !peak.compare_exchange_weak(seen, now);) {
    }
  }
};

HeapMeter meter;

}  // namespace

extern "C" {

void* __wrap_malloc(size_t size) {
  if (!meter.admits(size)) {
    errno = ENOMEM;
    return nullptr;
  }
  void* block = __real_malloc(size);
  if (block != nullptr) meter.add(static_cast<long long>(_msize(block)));
  return block;
}

void* __wrap_calloc(size_t count, size_t size) {
  if (size != 0 && count > SIZE_MAX / size) return __real_calloc(count, size);  // fails itself
  if (!meter.admits(count * size)) {
    errno = ENOMEM;
    return nullptr;
  }
  void* block = __real_calloc(count, size);
  if (block != nullptr) meter.add(static_cast<long long>(_msize(block)));
  return block;
}

void* __wrap_realloc(void* block, size_t size) {
  const size_t old = block != nullptr ? _msize(block) : 0;
  if (size > old && !meter.admits(size - old)) {
    errno = ENOMEM;
    return nullptr;
  }
  void* moved = __real_realloc(block, size);
  if (moved != nullptr || size == 0) {
    meter.add(-static_cast<long long>(old));
    if (moved != nullptr) meter.add(static_cast<long long>(_msize(moved)));
  }
  return moved;
}

void __wrap_free(void* block) {
  if (block != nullptr) meter.add(-static_cast<long long>(_msize(block)));
  __real_free(block);
}

}  // extern "C"

namespace peltrix::fixtures {

std::string decodeWithinMemory(const std::function<void()>& decode, std::size_t budget) {
  const long long start = meter.live;
  meter.peak = start;
  meter.limit = start + (1LL << 32);
  std::string result = decodeOutcome(decode);
  meter.limit = LLONG_MAX;
  const long long growth = meter.peak - start;
  if (growth > static_cast<long long>(budget))
    result = "used " + std::to_string(growth >> 20) + " MiB";
  return result;
}

}  // namespace peltrix::fixtures
