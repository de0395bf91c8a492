// libFuzzer entry: decodePicture, which recognises the format by content and hands the bytes
// to one of the decoders, then the framings of the command line.
#include "colour/framing.hpp"
#include "fuzz_common.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  peltrix::fuzz::refusingBadBytes([&] { peltrix::decodePicture({data, size}, "fuzz"); });
  // Framed as the command line frames: a window off the corner, and scaled to fit and fill.
  peltrix::Framing offset;
  offset.left = 37, offset.top = 5;
  peltrix::Framing fit, fill;
  fit.mode = peltrix::Framing::Mode::Fit;
  fill.mode = peltrix::Framing::Mode::Fill;
  fill.aspect = peltrix::PixelAspect::Ntsc;
  for (const peltrix::Framing& f : {offset, fit, fill}) {
    peltrix::fuzz::refusingBadBytes([&] {
      peltrix::framePicture(
          peltrix::decodePictureKeeping({data, size}, "fuzz", peltrix::keepRequestFor(f)), f);
    });
  }
  return 0;
}
