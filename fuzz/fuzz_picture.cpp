// libFuzzer entry: decodePicture, which recognises the format by content and hands the bytes
// to one of the decoders. Only PictureLoadError may come out.
#include "colour/picture.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    peltrix::decodePicture({data, size}, "fuzz");
  } catch (const peltrix::PictureLoadError&) {
  }
  return 0;
}
