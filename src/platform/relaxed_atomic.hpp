// Relaxed whole-word loads and stores of plain memory that another thread reads or writes
// at the same moment. std::atomic_ref where the standard library has it; emscripten's
// libc++ lacks it, and there the compiler's atomic builtins do the same.
#pragma once

#include <atomic>
#include <type_traits>

namespace peltrix {

template <class T>
T relaxedLoad(T& word) {
  static_assert(std::is_trivially_copyable_v<T> && sizeof(T) <= 8);
#if defined(__cpp_lib_atomic_ref)
  return std::atomic_ref<T>(word).load(std::memory_order_relaxed);
#else
  return __atomic_load_n(&word, __ATOMIC_RELAXED);
#endif
}

template <class T>
void relaxedStore(T& word, T value) {
  static_assert(std::is_trivially_copyable_v<T> && sizeof(T) <= 8);
#if defined(__cpp_lib_atomic_ref)
  std::atomic_ref<T>(word).store(value, std::memory_order_relaxed);
#else
  __atomic_store_n(&word, value, __ATOMIC_RELAXED);
#endif
}

}  // namespace peltrix
