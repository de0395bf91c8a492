// libFuzzer entry: the PNG decoder on arbitrary bytes. Only PictureLoadError may come out;
// any other exception, crash, leak or sanitizer report is a finding.
#include "colour/decode_formats.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Once into the window the window uses, once whole (as --fit and --fill decode).
  peltrix::KeepRequest whole;
  whole.whole = true;
  whole.minimumSize = [](uint32_t, uint32_t) { return peltrix::KeepRequest::Size{320, 200}; };
  for (const peltrix::KeepRequest& keep : {peltrix::KeepRequest{}, whole}) {
    try {
      peltrix::Canvas canvas(keep);
      peltrix::decodePng({data, size}, "fuzz", canvas);
    } catch (const peltrix::PictureLoadError&) {
    }
  }
  return 0;
}
