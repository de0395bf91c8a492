// libFuzzer entry: the PNG decoder on arbitrary bytes.
#include "fuzz_common.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  peltrix::fuzz::decodeEachWay({data, size}, peltrix::decodePng);
  return 0;
}
