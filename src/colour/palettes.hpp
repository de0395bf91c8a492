// The 16 colours the search aims at and every preview shows. The converter's own table is
// the default; the others are the palettes VICE ships, built in by name, and any VICE
// palette file (.vpl). The data written stays colour indices: only the choices change.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "colour/tables.hpp"

namespace peltrix {

using Palette = std::array<uint32_t, kPaletteSize>;  // C64 colour index -> RGB value

struct NamedPalette {
  const char* name;
  const char* source;  // where its values come from
  Palette colours;
};

// The built-in palettes, the default (the converter's own table) first.
inline constexpr int kBuiltinPaletteCount = 3;
std::span<const NamedPalette> builtinPalettes();
const NamedPalette* findPalette(std::string_view name);

// Why a palette cannot be used.
class PaletteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A VICE palette file's text: 16 colour lines "RR GG BB" in hex (a fourth column, the
// dither value, is ignored), with '#' comments and blank lines. Two equal colours are
// fine: the search's result is colour indices, and it keeps the one it chose.
Palette parseVpl(std::string_view text);

// A built-in palette by name, or else the .vpl file at this path.
Palette loadPalette(const std::string& nameOrPath);

// C64 colour index of an RGB value that is an entry of `palette`, or -1.
int paletteIndex(uint32_t rgb, const Palette& palette = kPalette);

}  // namespace peltrix
