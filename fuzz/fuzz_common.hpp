// What the libFuzzer entries share. Only PictureLoadError may come out of a decoder: any other
// exception, crash, leak or sanitizer report is a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

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

// Hands the bytes to `decode(bytes, canvas)` twice: once into the window the window uses,
// once whole (as --fit and --fill decode).
template <typename Decode>
void decodeEachWay(std::span<const uint8_t> bytes, Decode decode) {
  KeepRequest whole;
  whole.whole = true;
  whole.minimumSize = [](uint32_t, uint32_t) { return KeepRequest::Size{320, 200}; };
  for (const KeepRequest& keep : {KeepRequest{}, whole}) {
    refusingBadBytes([&] {
      Canvas canvas(keep);
      decode(bytes, canvas);
    });
  }
}

}  // namespace peltrix::fuzz
