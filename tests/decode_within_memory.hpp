// Running a decoder under a memory budget, to prove that absurd declared sizes cost no huge
// allocations. The two platforms measure differently (tests/posix: a child process and its
// address space; tests/windows: every heap allocation metered), with the same answers.
#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <string>

#include "colour/picture.hpp"

namespace peltrix::fixtures {

// The address-space limit does not mix with the sanitizers' huge shadow mappings.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr bool kCanLimitAddressSpace = false;
#else
constexpr bool kCanLimitAddressSpace = true;
#endif

// Runs `decode` and reports how it ended: "ok", "error: <message>" (a PictureLoadError),
// "crashed / out of memory", or "used N MiB" when the memory it took grew by more than
// `budget` at any moment, even for an allocation it never touched. A hard limit of 4 GiB more
// keeps a runaway decoder from hurting the machine.
std::string decodeWithinMemory(const std::function<void()>& decode, std::size_t budget);

// How `decode` ended, in the words above but for the budget: both platforms' measuring wraps it.
inline std::string decodeOutcome(const std::function<void()>& decode) {
  try {
    decode();
    return "ok";
  } catch (const PictureLoadError& e) {
    return std::string("error: ") + e.what();
  } catch (const std::exception& e) {
    return std::string("crashed / out of memory: ") + e.what();
  }
}

}  // namespace peltrix::fixtures
