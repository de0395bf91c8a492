// libFuzzer entry: the PNG decoder on arbitrary bytes.
#include "fuzz_common.hpp"

namespace {

void decode(std::span<const uint8_t> bytes, peltrix::Canvas& canvas) {
  peltrix::PictureBytes inMemory(bytes);
  peltrix::decodePng(inMemory, "fuzz", canvas);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  peltrix::fuzz::decodeEachWay({data, size}, decode);
  return 0;
}
