// libFuzzer entry: the BMP decoder on arbitrary bytes. Only PictureLoadError may come out;
// any other exception, crash, leak or sanitizer report is a finding.
#include "colour/decode_formats.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    peltrix::decodeBmp({data, size}, "fuzz");
  } catch (const peltrix::PictureLoadError&) {
  }
  return 0;
}
