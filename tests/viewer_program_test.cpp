// The embedded C64 viewer programs: lengths, the common header, the choice table and
// the bytes of the line routines that the raster viewers depend on. Whether the
// programs really show the pictures is proven on VICE by tests/c64/viewers_on_vice.py.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "output/viewers/viewers.hpp"

namespace peltrix {
namespace {

constexpr uint16_t kLoad = 0x0800;  // the viewer's first byte lands here

constexpr std::array kAllViewers{Viewer::StandardPal, Viewer::StandardNtsc, Viewer::WholeFrame,
                                 Viewer::FliPal,      Viewer::FliNtsc,      Viewer::MaskPal,
                                 Viewer::MaskNtsc};

uint8_t at(std::span<const uint8_t> prog, uint16_t address) {
  return prog[address - kLoad];
}
uint16_t word(std::span<const uint8_t> prog, uint16_t address) {
  return static_cast<uint16_t>(at(prog, address) | at(prog, address + 1) << 8);
}

// First offset at which `pattern` occurs, if any.
std::optional<size_t> find(std::span<const uint8_t> prog, const std::vector<uint8_t>& pattern,
                           size_t from = 0) {
  auto it = std::search(prog.begin() + from, prog.end(), pattern.begin(), pattern.end());
  if (it == prog.end()) return std::nullopt;
  return static_cast<size_t>(it - prog.begin());
}

TEST(ViewerProgram, EachHasItsFixedLength) {
  EXPECT_EQ(viewerProgram(Viewer::StandardPal).size(), 4096u);
  EXPECT_EQ(viewerProgram(Viewer::StandardNtsc).size(), 4096u);
  EXPECT_EQ(viewerProgram(Viewer::WholeFrame).size(), 4096u);
  EXPECT_EQ(viewerProgram(Viewer::FliPal).size(), 4608u);
  EXPECT_EQ(viewerProgram(Viewer::FliNtsc).size(), 4864u);
  EXPECT_EQ(viewerProgram(Viewer::MaskPal).size(), 4096u);
  EXPECT_EQ(viewerProgram(Viewer::MaskNtsc).size(), 4096u);
}

TEST(ViewerProgram, AllStartWithTheBasicLineAndTheName) {
  const std::vector<uint8_t> basic{0x00, 0x0C, 0x08, 0x0A, 0x00, 0x9E, '2',
                                   '0',  '6',  '2',  0x00, 0x00, 0x00};
  const std::vector<uint8_t> name{0x70, 0x65, 0x6C, 0x74, 0x72, 0x69, 0x78};  // "peltrix"
  for (Viewer v : kAllViewers) {
    auto prog = viewerProgram(v);
    SCOPED_TRACE(static_cast<int>(v));
    EXPECT_TRUE(std::equal(basic.begin(), basic.end(), prog.begin()));
    EXPECT_EQ(at(prog, 0x080E), 0x4C);  // JMP over the name
    EXPECT_TRUE(std::equal(name.begin(), name.end(), prog.begin() + (0x0811 - kLoad)));
    EXPECT_EQ(at(prog, 0x0818), 0x00);
    // The code the JMP reaches lies inside the viewer.
    uint16_t entry = word(prog, 0x080F);
    EXPECT_GE(entry, 0x0819);
    EXPECT_LT(entry, kLoad + prog.size());
  }
}

TEST(ViewerProgram, InterruptViewersKeepRtiAndTheRegisterSaveArea) {
  for (Viewer v : {Viewer::StandardPal, Viewer::StandardNtsc, Viewer::FliPal, Viewer::FliNtsc,
                   Viewer::MaskPal, Viewer::MaskNtsc}) {
    auto prog = viewerProgram(v);
    SCOPED_TRACE(static_cast<int>(v));
    EXPECT_EQ(at(prog, 0x0819), 0x40);  // RTI, the NMI and reset target
    EXPECT_EQ(at(prog, 0x081A), 0x00);
    EXPECT_EQ(word(prog, 0x080F), 0x081E);  // set-up right after the save area
    // The raster interrupt saves A/X/Y at $081B-$081D and restores them from there.
    EXPECT_TRUE(find(prog, {0x8D, 0x1B, 0x08, 0x8E, 0x1C, 0x08, 0x8C, 0x1D, 0x08}));
    EXPECT_TRUE(find(prog, {0xAD, 0x1B, 0x08, 0xAE, 0x1C, 0x08, 0xAC, 0x1D, 0x08, 0x40}));
    // NMI and reset vectors aimed at the RTI: lda #$19 / sta $FFFA / sta $FFFC.
    EXPECT_TRUE(find(prog, {0xA9, 0x19, 0x8D, 0xFA, 0xFF, 0x8D, 0xFC, 0xFF}));
  }
}

TEST(ViewerProgram, WholeFrameViewerStartsItsSetUpAtTheRtiAddress) {
  auto prog = viewerProgram(Viewer::WholeFrame);
  EXPECT_EQ(word(prog, 0x080F), 0x0819);
  EXPECT_EQ(at(prog, 0x0819), 0x78);                  // SEI: no interrupts, ever
  EXPECT_FALSE(find(prog, {0x8D, 0x1A, 0xD0}));       // never enables the raster interrupt
  EXPECT_TRUE(find(prog, {0xA9, 0x37, 0x85, 0x01}));  // ROMs back in
  // Waits for raster 252, then 253.
  EXPECT_TRUE(find(prog, {0xA9, 252, 0xCD, 0x12, 0xD0}));
  EXPECT_TRUE(find(prog, {0xA9, 253, 0xCD, 0x12, 0xD0}));
}

// The page copies of the set-up in program order: (source page, destination page,
// page count, upwards?), read from "lda #0 / sta $FB / lda #hi / sta $FC / ... / ldx #n / jsr".
struct Copy {
  int from, to, pages;
  bool up;
};
std::vector<Copy> pageCopies(std::span<const uint8_t> prog) {
  std::vector<Copy> copies;
  for (size_t i = 0; i + 21 <= prog.size(); ++i) {
    const uint8_t* p = prog.data() + i;
    if (p[0] == 0xA9 && p[2] == 0x85 && p[3] == 0xFB && p[4] == 0xA9 && p[6] == 0x85 &&
        p[7] == 0xFC && p[8] == 0xA9 && p[10] == 0x85 && p[11] == 0xFD && p[12] == 0xA9 &&
        p[14] == 0x85 && p[15] == 0xFE && p[16] == 0xA2 && p[18] == 0x20) {
      uint16_t routine = static_cast<uint16_t>(p[19] | p[20] << 8);
      // copy_down decrements the pointers (DEC zp = $C6), copy_up increments them.
      bool up = at(prog, routine + 9) == 0xE6;
      copies.push_back({p[5], p[13], p[17], up});
    }
  }
  return copies;
}

TEST(ViewerProgram, NonFliDataMovesInTheOrderThatSurvivesTheOverlap) {
  for (Viewer v : {Viewer::StandardPal, Viewer::StandardNtsc, Viewer::WholeFrame}) {
    auto copies = pageCopies(viewerProgram(v));
    ASSERT_EQ(copies.size(), 9u);
    const Copy expected[9] = {
        {0x18, 0xC4, 4, true},   {0x3C, 0xC8, 4, true},   {0x60, 0xCC, 4, true},
        {0x83, 0xFF, 32, false}, {0x5F, 0xBF, 32, false}, {0x3B, 0x7F, 32, false},
        {0xC4, 0x40, 4, true},   {0xC8, 0x80, 4, true},   {0xCC, 0xC0, 4, true}};
    for (size_t i = 0; i < 9; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(copies[i].from, expected[i].from);
      EXPECT_EQ(copies[i].to, expected[i].to);
      EXPECT_EQ(copies[i].pages, expected[i].pages);
      EXPECT_EQ(copies[i].up, expected[i].up);
    }
  }
  // The mask viewer moves the screens home twice (bank+$0000 and bank+$0400) in its own loop.
  auto mask = pageCopies(viewerProgram(Viewer::MaskPal));
  ASSERT_EQ(mask.size(), 6u);
  EXPECT_EQ(mask[5].from, 0x3B);
  EXPECT_EQ(mask[5].to, 0x7F);
}

TEST(ViewerProgram, FliDataMovesFrameThreeFirstBitmapBeforeScreens) {
  for (auto [v, base] : {std::pair{Viewer::FliPal, 0x1A}, std::pair{Viewer::FliNtsc, 0x1B}}) {
    auto copies = pageCopies(viewerProgram(v));
    ASSERT_EQ(copies.size(), 6u);
    const Copy expected[6] = {{base + 0x70, 0xE0, 32, true}, {base + 0x60, 0xC0, 16, true},
                              {base + 0x40, 0xA0, 32, true}, {base + 0x30, 0x80, 16, true},
                              {base + 0x10, 0x60, 32, true}, {base + 0x00, 0x40, 16, true}};
    for (size_t i = 0; i < 6; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(copies[i].from, expected[i].from);
      EXPECT_EQ(copies[i].to, expected[i].to);
      EXPECT_EQ(copies[i].pages, expected[i].pages);
      EXPECT_TRUE(copies[i].up);
    }
  }
}

// Standard viewer: 201 steps "lda table+n,x / sta $DD00 / lda #v / sta $D011 / pad": steps
// 0-199 force a bad line on rasters 48-247 (picture lines 0-199), step 200 blanks the rest with
// RSEL clear (the vertical border stays open, so rasters 48-50 show). Every step has the same
// pad, 2 NOPs on PAL and 3 on NTSC's longer lines, which keeps each on its line's cycle 14.
TEST(ViewerProgram, StandardLineRoutineRotatesTheBanksByThePhase) {
  for (Viewer v : {Viewer::StandardPal, Viewer::StandardNtsc}) {
    auto prog = viewerProgram(v);
    SCOPED_TRACE(static_cast<int>(v));
    const int pad = v == Viewer::StandardNtsc ? 3 : 2;
    size_t pos = 0;
    uint16_t table = 0;
    // The first step is the first "lda abs,x / sta $DD00 / lda #$38".
    for (size_t i = 0; i + 11 < prog.size(); ++i) {
      if (prog[i] == 0xBD && prog[i + 3] == 0x8D && prog[i + 4] == 0x00 && prog[i + 5] == 0xDD &&
          prog[i + 6] == 0xA9 && prog[i + 7] == 0x38) {
        pos = i;
        table = static_cast<uint16_t>(prog[i + 1] | prog[i + 2] << 8);
        break;
      }
    }
    ASSERT_NE(pos, 0u);
    // The bank table: 240 bytes 0, 1, 2, 0, ... with no page crossing for n + phase < 256.
    ASSERT_EQ(table & 0xFF, 0);
    for (int i = 0; i < 240; ++i) ASSERT_EQ(at(prog, table + i), i % 3) << i;
    for (int n = 0; n <= 200; ++n) {
      SCOPED_TRACE(n);
      ASSERT_EQ(prog[pos], 0xBD);
      EXPECT_EQ(prog[pos + 1] | prog[pos + 2] << 8, table + n);
      EXPECT_EQ(prog[pos + 6], 0xA9);
      EXPECT_EQ(prog[pos + 7], n < 200 ? 0x38 + (n & 7) : 0x70);
      EXPECT_EQ(prog[pos + 8], 0x8D);
      EXPECT_EQ(prog[pos + 9] | prog[pos + 10] << 8, 0xD011);
      pos += 11;
      for (int k = 0; k < pad; ++k) EXPECT_EQ(prog[pos++], 0xEA);
    }
    EXPECT_NE(prog[pos], 0xBD);  // no 202nd step
    // With phase 0 the first three lines get $DD00 = 0, 1, 2; with phase 1: 1, 2, 0.
    for (int n = 0; n < 3; ++n) {
      EXPECT_EQ(at(prog, table + 0 + n), n);
      EXPECT_EQ(at(prog, table + 1 + n), (1 + n) % 3);
    }
  }
}

// FLI viewer: 201 steps "lda #bank / sta $DD00 / lda #screen / sta $D018 / lda #v / sta $D011";
// on NTSC the first two stores are "sta abs,x" (X = 0), one cycle longer each.
TEST(ViewerProgram, FliStepsSelectTheScreenOfTheirPixelRowsAndEndBlack) {
  for (Viewer v : {Viewer::FliPal, Viewer::FliNtsc}) {
    auto prog = viewerProgram(v);
    SCOPED_TRACE(static_cast<int>(v));
    const bool ntsc = v == Viewer::FliNtsc;
    const uint8_t store = ntsc ? 0x9D : 0x8D;
    auto start = find(prog, {0xA9, 0x00, store, 0x00, 0xDD, 0xA9, 0x18, store, 0x18, 0xD0, 0xA9,
                             0x38, 0x8D, 0x11, 0xD0});
    ASSERT_TRUE(start);
    const size_t stepSize = 15;
    std::vector<uint16_t> bankOperands;
    for (int n = 0; n <= 200; ++n) {
      SCOPED_TRACE(n);
      const uint8_t* s = prog.data() + *start + n * stepSize;
      EXPECT_EQ(s[0], 0xA9);
      EXPECT_EQ(s[1], n < 200 ? n % 3 : 0);  // as assembled: phase 0
      EXPECT_EQ(s[2], store);
      EXPECT_EQ(s[3] | s[4] << 8, 0xDD00);
      // The screen of the line's pixel rows: +$0400 for rows 0-1 ... +$0000 for rows 6-7.
      const uint8_t screen[4] = {0x18, 0x28, 0x38, 0x08};
      EXPECT_EQ(s[6], n < 200 ? screen[(n & 7) >> 1] : 0x08);
      EXPECT_EQ(s[7], store);
      EXPECT_EQ(s[8] | s[9] << 8, 0xD018);
      // Picture lines 0-199 on rasters 48-247; raster 248 black with RSEL clear (the
      // vertical border stays open, so rasters 48-50 show).
      EXPECT_EQ(s[11], n < 200 ? 0x38 + (n & 7) : 0x70);
      EXPECT_EQ(s[12], 0x8D);
      EXPECT_EQ(s[13] | s[14] << 8, 0xD011);
      if (n < 200) bankOperands.push_back(static_cast<uint16_t>(kLoad + *start + n * stepSize + 1));
    }
    if (ntsc) {
      // The stores index with X, so X must be 0 when the routine starts: it follows the
      // delay loop "dex / bne" (and one NOP), which leaves X at 0.
      ASSERT_GE(*start, 4u);
      EXPECT_TRUE(std::equal(prog.begin() + *start - 4, prog.begin() + *start,
                             std::vector<uint8_t>{0xCA, 0xD0, 0xFD, 0xEA}.begin()));
    }
    // The patch routine stores A, X, Y (table[phase], [phase+1], [phase+2]) into the bank
    // operands in strict rotation, so step n holds (phase + n) mod 3.
    std::vector<uint8_t> stores;
    for (int n = 0; n < 200; ++n) {
      stores.push_back(n % 3 == 0 ? 0x8D : n % 3 == 1 ? 0x8E : 0x8C);
      stores.push_back(static_cast<uint8_t>(bankOperands[n] & 0xFF));
      stores.push_back(static_cast<uint8_t>(bankOperands[n] >> 8));
    }
    EXPECT_TRUE(find(prog, stores));
    EXPECT_TRUE(find(prog, {0, 1, 2, 0, 1, 2}));
  }
}

// The standard and FLI viewers' black column: five sprites at X = 24 (picture columns 0-23),
// PAL and NTSC alike ("lda #24 / sta $D000,y" in the sprite set-up).
TEST(ViewerProgram, LineViewersPutTheBlackColumnOverTheFirstThreeCharacterColumns) {
  for (Viewer v : {Viewer::StandardPal, Viewer::StandardNtsc, Viewer::FliPal, Viewer::FliNtsc}) {
    auto prog = viewerProgram(v);
    SCOPED_TRACE(static_cast<int>(v));
    EXPECT_TRUE(find(prog, {0xA9, 24, 0x99, 0x00, 0xD0}));
    EXPECT_TRUE(find(prog, {47, 89, 131, 173, 215}));  // sprite Y: a column from raster 48
    EXPECT_TRUE(find(prog, {0xA9, 0x1F, 0x8D, 0x17, 0xD0, 0x8D, 0x15, 0xD0}));  // Y-expanded, on
  }
}

TEST(ViewerProgram, MaskViewerHasBothCheckerboardImagesAndReadsTheSpaceBar) {
  for (Viewer v : {Viewer::MaskPal, Viewer::MaskNtsc}) {
    auto prog = viewerProgram(v);
    SCOPED_TRACE(static_cast<int>(v));
    std::vector<uint8_t> a, b;
    for (int r = 0; r < 21; ++r)
      for (int i = 0; i < 3; ++i) {
        a.push_back(r & 1 ? 0x55 : 0xAA);
        b.push_back(r & 1 ? 0xAA : 0x55);
      }
    EXPECT_TRUE(find(prog, a));
    EXPECT_TRUE(find(prog, b));
    EXPECT_TRUE(find(prog, {0xAD, 0x01, 0xDC, 0xC9, 0xEF}));  // lda $DC01 / cmp #$EF
    EXPECT_TRUE(find(prog, {0xC9, 32}));                      // every 33rd frame
    EXPECT_TRUE(find(prog, {0xA9, 0x35, 0x85, 0x01}));        // ROMs off, I/O on
  }
}

TEST(ChooseViewer, FollowsTheOptionTable) {
  // (fli, superFlicker, ntsc, assLace) -> viewer
  for (int bits = 0; bits < 16; ++bits) {
    bool fli = bits & 8, flicker = bits & 4, ntsc = bits & 2, lace = bits & 1;
    Viewer expected = fli       ? (ntsc ? Viewer::FliNtsc : Viewer::FliPal)
                      : flicker ? Viewer::WholeFrame
                      : lace    ? (ntsc ? Viewer::MaskNtsc : Viewer::MaskPal)
                                : (ntsc ? Viewer::StandardNtsc : Viewer::StandardPal);
    EXPECT_EQ(chooseViewer(fli, {flicker, ntsc, lace}), expected) << bits;
  }
}

}  // namespace
}  // namespace peltrix
