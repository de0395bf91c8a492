#include "colour/palettes.hpp"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "colour/rgb.hpp"

namespace peltrix {

namespace {

// The values of the palette files Debian's vice package (3.7) ships in /usr/share/vice/C64;
// pepto-pal's are the converter's own table, byte for byte.
const std::array<NamedPalette, kBuiltinPaletteCount> kPalettes = {{
    {"pepto-pal", "the converter's own table: pepto-pal.vpl, after Pepto's measurements", kPalette},
    {"colodore",
     "colodore.vpl, after colodore.com",
     {0x000000, 0xFFFFFF, 0x96282E, 0x5BD6CE, 0x9F2DAD, 0x41B936, 0x2724C4, 0xEFF347, 0x9F4815,
      0x5E3500, 0xDA5F66, 0x474747, 0x787878, 0x91FF84, 0x6864FF, 0xAEAEAE}},
    {"community-colors",
     "community-colors.vpl, after the C64 Community Colors V1.2a",
     {0x000000, 0xFFFFFF, 0xAF2A29, 0x62D8CC, 0xB03FB6, 0x4AC64A, 0x3739C4, 0xE4ED4E, 0xB6591C,
      0x683808, 0xEA746C, 0x4D4D4D, 0x848484, 0xA6FA9E, 0x707CE6, 0xB6B6B5}},
}};

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One component: one or two hex digits.
bool component(const std::string& word, uint32_t& value) {
  if (word.empty() || word.size() > 2) return false;
  value = 0;
  for (char c : word) {
    const int d = hexDigit(c);
    if (d < 0) return false;
    value = value * 16 + static_cast<uint32_t>(d);
  }
  return true;
}

}  // namespace

std::span<const NamedPalette> builtinPalettes() {
  return kPalettes;
}

const NamedPalette* findPalette(std::string_view name) {
  for (const NamedPalette& p : kPalettes) {
    if (name == p.name) return &p;
  }
  return nullptr;
}

Palette parseVpl(std::string_view text) {
  Palette palette{};
  int count = 0, lineNumber = 0;
  std::istringstream lines{std::string(text)};
  for (std::string line; std::getline(lines, line);) {
    ++lineNumber;
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string r, g, b;
    if (!(words >> r)) continue;  // blank or a comment
    uint32_t red = 0, green = 0, blue = 0;
    if (!(words >> g >> b) || !component(r, red) || !component(g, green) || !component(b, blue)) {
      throw PaletteError("line " + std::to_string(lineNumber) +
                         " is not a colour (three hex values, red green blue)");
    }
    if (count == kPaletteSize) throw PaletteError("more than 16 colours");
    palette[count++] = packRgb(red, green, blue);
  }
  if (count < kPaletteSize) {
    throw PaletteError(std::to_string(count) + " colours instead of 16");
  }
  return palette;
}

Palette loadPalette(const std::string& nameOrPath) {
  if (const NamedPalette* named = findPalette(nameOrPath)) return named->colours;
  std::ifstream in(nameOrPath, std::ios::binary);
  if (!in) {
    std::string names;
    for (const NamedPalette& p : kPalettes)
      names += std::string(names.empty() ? "" : ", ") + p.name;
    throw PaletteError("no palette '" + nameOrPath + "': neither a built-in one (" + names +
                       ") nor a readable .vpl file");
  }
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (text.size() > 65536) throw PaletteError(nameOrPath + ": too large for a palette file");
  try {
    return parseVpl(text);
  } catch (const PaletteError& e) {
    throw PaletteError(nameOrPath + ": " + e.what());
  }
}

int paletteIndex(uint32_t rgb, const Palette& palette) {
  const auto at = std::find(palette.begin(), palette.end(), rgb & 0xFFFFFF);
  return at == palette.end() ? -1 : static_cast<int>(at - palette.begin());
}

}  // namespace peltrix
