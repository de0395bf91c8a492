// libFuzzer entry: the PNG decoder on arbitrary bytes. Only PictureLoadError may come out;
// any other exception, crash, leak or sanitizer report is a finding.
#include "colour/decode_formats.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    peltrix::decodePng({data, size}, "fuzz");
  } catch (const peltrix::PictureLoadError&) {
  }
  return 0;
}
