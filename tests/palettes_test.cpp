// The palettes: VICE's .vpl format read as VICE writes it, what is refused and why, and the
// built-in palettes equal to the files Debian's vice package ships (where it is installed).
#include "colour/palettes.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace peltrix::testing {
namespace {

namespace fs = std::filesystem;

std::string vplOf(const Palette& p, const char* extra = "") {
  std::string text = "#\n# VICE Palette file\n#\n\n";
  char line[32];
  for (uint32_t c : p) {
    std::snprintf(line, sizeof line, "%02x %02X %02x%s\n", c >> 16, (c >> 8) & 0xFF, c & 0xFF,
                  extra);
    text += "# a colour\n" + std::string(line);
  }
  return text;
}

TEST(Palettes, VplTextReadsWithCommentsAndDitherColumns) {
  const Palette colodore = findPalette("colodore")->colours;
  EXPECT_EQ(parseVpl(vplOf(colodore)), colodore);
  EXPECT_EQ(parseVpl(vplOf(colodore, " 3")), colodore) << "the dither column is ignored";
  EXPECT_EQ(findPalette("pepto-pal")->colours, kPalette) << "the default is the converter's own";
  EXPECT_EQ(builtinPalettes()[0].name, std::string("pepto-pal"));
  EXPECT_EQ(findPalette("vice"), nullptr);
}

TEST(Palettes, WhatCannotBeAPaletteIsRefusedWithItsReason) {
  const std::string good = vplOf(findPalette("colodore")->colours);
  const auto reason = [](const std::string& text) {
    try {
      parseVpl(text);
    } catch (const PaletteError& e) {
      return std::string(e.what());
    }
    return std::string("accepted");
  };
  EXPECT_EQ(reason(good.substr(0, good.rfind("# a colour"))), "15 colours instead of 16");
  EXPECT_EQ(reason(good + "12 34 56\n"), "more than 16 colours");
  EXPECT_EQ(reason("00 00 0g\n"), "line 1 is not a colour (three hex values, red green blue)");
  EXPECT_EQ(reason("00 00\n"), "line 1 is not a colour (three hex values, red green blue)");
  EXPECT_EQ(reason("100 00 00\n"), "line 1 is not a colour (three hex values, red green blue)");
  Palette twice = kPalette;
  twice[15] = twice[11];
  EXPECT_EQ(reason(vplOf(twice)), "accepted") << "the data names colours by the search's index";
}

TEST(Palettes, BuiltInPalettesAreTheFilesViceShips) {
  const fs::path folder = "/usr/share/vice/C64";
  if (!fs::exists(folder)) GTEST_SKIP() << folder << " is missing (Debian package vice)";
  for (const NamedPalette& p : builtinPalettes()) {
    const fs::path file = folder / (std::string(p.name) + ".vpl");
    EXPECT_EQ(loadPalette(file.string()), p.colours) << file;
  }
  EXPECT_THROW(loadPalette("/nonexistent/none.vpl"), PaletteError);
}

}  // namespace
}  // namespace peltrix::testing
