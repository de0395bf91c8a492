// What the libFuzzer entries share. Only PictureLoadError may come out of a decoder: any other
// exception, crash, leak or sanitizer report is a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "colour/decode_formats.hpp"

namespace peltrix::fuzz {

// Runs `step`; a PictureLoadError is the decoders' proper answer to bad bytes.
template <typename Step>
void refusingBadBytes(Step step) {
  try {
    step();
  } catch (const PictureLoadError&) {
  }
}

// The decoders take their bytes as a span (JPEG), or as PictureBytes (PNG and BMP, which
// also read a large file piece by piece); here always from memory.
using SpanDecoder = PictureSize (*)(std::span<const uint8_t>, const std::string&, Canvas&);
using PiecesDecoder = PictureSize (*)(PictureBytes&, const std::string&, Canvas&);

inline void decodeInto(SpanDecoder decode, std::span<const uint8_t> bytes, Canvas& canvas) {
  decode(bytes, "fuzz", canvas);
}

inline void decodeInto(PiecesDecoder decode, std::span<const uint8_t> bytes, Canvas& canvas) {
  PictureBytes inMemory(bytes);
  decode(inMemory, "fuzz", canvas);
}

// Hands the bytes to `decode` twice: once into the window the window uses, once whole (as
// --fit and --fill decode).
template <typename Decoder>
void decodeEachWay(std::span<const uint8_t> bytes, Decoder decode) {
  KeepRequest whole;
  whole.whole = true;
  whole.minimumSize = [](uint32_t, uint32_t) { return KeepRequest::Size{320, 200}; };
  for (const KeepRequest& keep : {KeepRequest{}, whole}) {
    refusingBadBytes([&] {
      Canvas canvas(keep);
      decodeInto(decode, bytes, canvas);
    });
  }
}

}  // namespace peltrix::fuzz
