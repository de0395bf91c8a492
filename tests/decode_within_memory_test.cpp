// The memory meter of the decoders' tests, on each platform: it must see allocations that are
// never touched, those of the C libraries too, and stop a runaway one; a meter that saw
// nothing would let every memory test pass.
#include "decode_within_memory.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "colour/picture.hpp"
#include "picture_fixtures.hpp"

namespace peltrix::fixtures {
namespace {

TEST(DecodeWithinMemory, SeesUntouchedAllocationsAndStopsRunawayOnes) {
  if (!kCanLimitAddressSpace) GTEST_SKIP() << "address-space limits do not work under sanitizers";
  EXPECT_EQ(decodeWithinMemory([] { std::vector<uint8_t>(1 << 20, 1); }, 64u << 20), "ok");
  const std::string reserved =
      decodeWithinMemory([] { std::vector<uint8_t>().reserve(std::size_t{200} << 20); }, 64u << 20);
  EXPECT_EQ(reserved.rfind("used 2", 0), 0u) << reserved;  // 200 MiB and a little
  EXPECT_EQ(
      decodeWithinMemory([] { std::vector<uint8_t>().reserve(std::size_t{5} << 30); }, 64u << 20),
      "crashed / out of memory: std::bad_alloc");
  EXPECT_EQ(decodeWithinMemory([] { throw PictureLoadError("x.png: broken"); }, 64u << 20),
            "error: x.png: broken");
}

TEST(DecodeWithinMemory, CountsWhatTheDecodingLibrariesAllocate) {
  if (!kCanLimitAddressSpace) GTEST_SKIP() << "address-space limits do not work under sanitizers";
  // 2^20 pixels of 16-bit RGB: libpng holds 6 MiB rows, allocated by libpng itself.
  PngOptions o;
  o.width = 1 << 20, o.height = 2, o.bitDepth = 16;
  const Bytes png = encodePng(o, [](int) { return Bytes(std::size_t{6} << 20, 0x80); });
  const std::string result =
      decodeWithinMemory([&] { decodePicture(png, "wide.png"); }, std::size_t{1} << 20);
  EXPECT_EQ(result.rfind("used ", 0), 0u) << result;
}

}  // namespace
}  // namespace peltrix::fixtures
