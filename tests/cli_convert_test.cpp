// peltrix-convert end to end: the built program run on the shared photos with many option
// sets, its outputs, its exit codes and messages for bad inputs, unwritable outputs and
// usage errors, and its progress bar on a terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli_fixture.hpp"
#include "colour/palettes.hpp"
#include "colour/picture.hpp"
#include "colour/rgb.hpp"
#include "colour/source_prep.hpp"
#include "colour/tables.hpp"
#include "oracle/literal_search.hpp"
#include "output/c64_display.hpp"

namespace {

using namespace peltrix::cli_testing;
using namespace peltrix;
namespace fs = std::filesystem;

TEST_F(CliConvert, EveryJobOptionCombinationConvertsARealPhoto) {
  if (!photosPresent()) GTEST_SKIP() << "test photos not found in " << kPhotos;
  const std::string input = photo("fruits.jpg");
  for (int bits = 0; bits < 64; ++bits) {
    // -f: the same outputs each round; the region asked for: no warning about the size.
    std::vector<std::string> args{"-f", "--offset=0,0"};
    const bool fli = (bits & 1) == 0;
    if (!fli) args.push_back("--no-fli");
    if (bits & 2) args.push_back("--super-flicker");
    if (bits & 4) args.push_back("--single-thread");
    if (bits & 8) args.push_back("--reduced");
    if (bits & 16) args.push_back("--basic-exclusions");
    if (bits & 32) args.push_back("--luma-only");
    args.push_back("-d" + std::to_string(bits % 4));
    std::string options;
    for (const auto& a : args) options += a + " ";
    args.push_back(input);
    args.push_back(path("out.raw"));
    args.push_back(path("out.png"));
    const ProgramRun r = run(args);
    ASSERT_EQ(r.status, 0) << options << r.err;
    EXPECT_EQ(r.err, "") << options;  // no terminal: no progress bar
    EXPECT_EQ(fs::file_size(path("out.raw")), fli ? 36864u : 27648u) << options;
    const std::vector<uint8_t> blend = decodePng(path("out.png"));
    ASSERT_EQ(blend.size(), 320u * 200 * 3) << options;
    int lit = 0;
    for (uint8_t v : blend) lit += v > 40;
    EXPECT_GT(lit, 320 * 200) << options << ": a colourful photo came out dark";
  }
  EXPECT_EQ(files(), 2u);  // nothing else left behind, no temporaries
}

TEST_F(CliConvert, TwoWorkersGiveTheSameResultAsOne) {
  if (!photosPresent()) GTEST_SKIP() << "test photos not found in " << kPhotos;
  for (const char* mode : {"--no-fli", "--dither=2"}) {
    ASSERT_EQ(run({"-f", mode, photo("baboon.jpg"), path("two.raw")}).status, 0);
    ASSERT_EQ(run({"-f", mode, "--single-thread", photo("baboon.jpg"), path("one.raw")}).status, 0);
    EXPECT_EQ(readAll(path("two.raw")), readAll(path("one.raw"))) << mode;
  }
}

// PELTRIX_KERNEL as the programs a test runs see it, restored when it goes.
class KernelVariable {
 public:
  KernelVariable() {
    if (const char* v = std::getenv("PELTRIX_KERNEL")) saved_ = v;
  }
  ~KernelVariable() { set(saved_ ? saved_->c_str() : nullptr); }
  void set(const char* value) {
    value ? ::setenv("PELTRIX_KERNEL", value, 1) : ::unsetenv("PELTRIX_KERNEL");
  }

 private:
  std::optional<std::string> saved_;
};

TEST_F(CliConvert, PortableKernelsWriteTheSameFilesAsTheFastest) {
  if (!photosPresent()) GTEST_SKIP() << "test photos not found in " << kPhotos;
  KernelVariable kernel;
  // FLI, the default, standard, and the eye match with its diffusion
  for (const char* mode : {"--dither=2", "--no-fli", "--match=eye"}) {
    kernel.set(nullptr);
    ASSERT_EQ(run({"-f", mode, photo("fruits.jpg"), path("a.raw"), path("a.prg")}).status, 0);
    kernel.set("portable");
    ASSERT_EQ(run({"-f", mode, photo("fruits.jpg"), path("b.raw"), path("b.prg")}).status, 0);
    EXPECT_EQ(readAll(path("a.raw")), readAll(path("b.raw"))) << mode;
    EXPECT_EQ(readAll(path("a.prg")), readAll(path("b.prg"))) << mode;
  }
}

TEST_F(CliConvert, APaletteByNameOrByVplFileGivesTheSameBytes) {
  if (!photosPresent()) GTEST_SKIP() << "test photos not found in " << kPhotos;
  const std::string vpl = "/usr/share/vice/C64/colodore.vpl";
  if (!fs::exists(vpl)) GTEST_SKIP() << vpl << " is missing (Debian package vice)";
  fs::copy_file(vpl, path("mine.vpl"));
  ASSERT_EQ(
      run({"--palette", "colodore", photo("fruits.jpg"), path("a.prg"), path("a.png")}).status, 0);
  ASSERT_EQ(run({"--palette", path("mine.vpl"), photo("fruits.jpg"), path("b.prg"), path("b.png")})
                .status,
            0);
  ASSERT_EQ(run({photo("fruits.jpg"), path("c.prg")}).status, 0);
  EXPECT_EQ(readAll(path("a.prg")), readAll(path("b.prg")));
  EXPECT_EQ(readAll(path("a.png")), readAll(path("b.png")));
  EXPECT_NE(readAll(path("a.prg")), readAll(path("c.prg"))) << "the palette changed nothing";
  const ProgramRun bad = run({"--palette", "sepia", photo("fruits.jpg"), path("d.prg")});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("--palette: no palette 'sepia'"), std::string::npos) << bad.err;
  EXPECT_FALSE(fs::exists(path("d.prg")));
}

// A palette that names one colour twice converts, and its data holds, pixel for pixel, the
// indices the literal search chose (checked on a row of cells).
TEST_F(CliConvert, APaletteWithTwoEqualColoursKeepsTheIndicesTheSearchChose) {
  if (!photosPresent()) GTEST_SKIP() << "test photos not found in " << kPhotos;
  Palette twice = kPalette;
  twice[11] = kPalette[12];  // dark grey shown as grey
  {
    std::ofstream vpl(path("twice.vpl"));
    for (const uint32_t c : twice) {
      vpl << std::hex << (c >> 16) << ' ' << ((c >> 8) & 0xFF) << ' ' << (c & 0xFF) << '\n';
    }
  }
  ASSERT_EQ(run({"--palette", path("twice.vpl"), "--no-fli", "--reduced", photo("baboon.jpg"),
                 path("twice.raw")})
                .status,
            0);
  const std::string raw = readAll(path("twice.raw"));
  ASSERT_EQ(raw.size(), 27648u);
  const std::vector<uint8_t> data(raw.begin(), raw.end());

  const SourcePicture picture = loadPicture(photo("baboon.jpg"));
  std::vector<uint32_t> rgb(kPixels + 1);
  std::vector<uint16_t> luma(kPixels + 1);
  prepareSource(picture, kDefaultDitherLevel, rgb.data(), luma.data(), Tone{});
  oracle::LiteralInputs in;
  in.sourceRgb = rgb.data();
  in.sourceLuma = luma.data();
  std::array<uint8_t, 121> pairs{};
  std::copy(kReducedPairs.begin(), kReducedPairs.end(), pairs.begin());
  in.pairList = pairs.data();
  in.pairListMode = 1;
  in.exclusionList = kOverloadExclusions.data();
  in.palette = twice.data();
  oracle::LiteralSearch literal(in);
  std::array<C64Picture, 3> frames;
  for (int f = 0; f < 3; ++f) frames[f] = decodeC64Frame(data, DataForm::NonFli, f);
  bool sawDoubled = false;  // colour 11 or 12: the two the palette makes equal
  for (int cx = 0; cx < 40; cx += 5) {
    const int cy = 12;
    oracle::LiteralBuffers want;
    literal.standardCell(cx, cy, false, want);
    for (int i = 0; i < 64; ++i) {
      const int at = (cy * 8 + i / 8) * kWidth + cx * 8 + i % 8;
      ASSERT_EQ(frames[0][at], want.frame1[i]) << cx << " " << i;
      ASSERT_EQ(frames[1][at], want.frame2[i]) << cx << " " << i;
      ASSERT_EQ(frames[2][at], want.frame3[i]) << cx << " " << i;
      for (const uint8_t c : {want.frame1[i], want.frame2[i], want.frame3[i]}) {
        sawDoubled = sawDoubled || c == 11 || c == 12;
      }
    }
  }
  EXPECT_TRUE(sawDoubled) << "the doubled colour was never chosen: pick other cells";
}

// The eye picture and the report: what the eye sees of the frames written, and one line (or
// one JSON object) per picture on stdout.
TEST_F(CliConvert, EyePictureAndReport) {
  if (!photosPresent()) GTEST_SKIP() << "test photos not found in " << kPhotos;
  ProgramRun r = run({"--match", "eye", "--report", "--frames", path("f"), "--eye", path("eye.png"),
                      "--flicker-map", path("flicker.png"), photo("fruits.jpg"), path("o.raw")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind(photo("fruits.jpg") + ": error ", 0), 0u) << r.out;
  EXPECT_NE(r.out.find(" p95 (CIEDE2000); flicker "), std::string::npos) << r.out;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);
  // The eye picture is the frames' mean light: a pixel where all three frames agree shows it.
  const auto eye = decodePng(path("eye.png"));
  const auto frames = std::array{decodePng(path("f-frame1.png")), decodePng(path("f-frame2.png")),
                                 decodePng(path("f-frame3.png"))};
  ASSERT_EQ(eye.size(), frames[0].size());
  int agreeing = 0;
  for (size_t i = 0; i < eye.size(); i += 3) {
    if (frames[0][i] != frames[1][i] || frames[1][i] != frames[2][i]) continue;
    ++agreeing;
    ASSERT_EQ(eye[i], frames[0][i]) << "byte " << i;
  }
  EXPECT_GT(agreeing, 0);
  EXPECT_EQ(decodePng(path("flicker.png")).size(), eye.size()) << "the flicker map, 320 x 200";
  r = run({"-f", "--report=json", "--outdir", path("."), "--to", "eye", photo("fruits.jpg"),
           photo("baboon.jpg")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2);
  EXPECT_NE(r.out.find("\"errorMean\": "), std::string::npos) << r.out;
  EXPECT_TRUE(fs::exists(path("baboon-eye.png")));
}

TEST_F(CliConvert, FramesAndProgramFiles) {
  if (!photosPresent()) GTEST_SKIP() << "test photos not found in " << kPhotos;
  const ProgramRun r = run({"--frames", path("fish"), photo("HappyFish.jpg"), path("fish.png"),
                            path("fish.prg"), path("FISH.RAW")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readAll(path("fish-blend.png")), readAll(path("fish.png")));
  for (int f = 1; f <= 3; ++f) {
    EXPECT_EQ(decodePng(path("fish-frame" + std::to_string(f) + ".png")).size(), 192000u);
  }
  const std::string prg = readAll(path("fish.prg"));
  ASSERT_EQ(prg.size(), 41474u);  // FLI viewer, PAL form
  EXPECT_EQ(prg[0], 0x00);
  EXPECT_EQ(prg[1], 0x08);
  EXPECT_EQ(prg.substr(prg.size() - 36864), readAll(path("FISH.RAW")));

  ASSERT_EQ(run({"--ntsc", photo("HappyFish.jpg"), path("ntsc.prg")}).status, 0);
  EXPECT_EQ(fs::file_size(path("ntsc.prg")), 41730u);
  ASSERT_EQ(run({"--no-fli", "--ass-lace", photo("HappyFish.jpg"), path("std.prg")}).status, 0);
  EXPECT_EQ(fs::file_size(path("std.prg")), 31746u);
}

// --c64-frames: the frames as the program file's viewer shows them. Which pixels each viewer
// hides is the display model's (proven on x64sc by tests/c64/viewers_on_vice.py); here the
// options must reach it: the right viewer for the data form and the viewer options.
TEST_F(CliConvert, C64FramesShowTheFramesAsTheChosenViewerDoes) {
  if (!photosPresent()) GTEST_SKIP() << "test photos not found in " << kPhotos;
  struct Case {
    std::vector<std::string> options;
    bool (*hidden)(int x, int y);
  };
  const Case cases[] = {
      {{"--no-fli"}, [](int x, int) { return x < 24; }},
      {{"--ntsc", "--ass-lace"}, [](int x, int) { return x < 24; }},  // FLI
      {{"--no-fli", "--ass-lace"}, [](int x, int y) { return (x / 2 + y) % 2 == 0; }},
      {{"--no-fli", "--super-flicker", "--ass-lace"}, [](int, int) { return false; }},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.options;
    for (const std::string& a :
         {std::string("-f"), std::string("--frames"), path("p"), std::string("--c64-frames"),
          path("p"), photo("HappyFish.jpg"), path("p.raw")}) {
      args.push_back(a);
    }
    const ProgramRun r = run(args);
    ASSERT_EQ(r.status, 0) << r.err;
    for (int f = 1; f <= 3; ++f) {
      const std::vector<uint8_t> frame = decodePng(path("p-frame" + std::to_string(f) + ".png"));
      const std::vector<uint8_t> shown =
          decodePng(path("p-c64-frame" + std::to_string(f) + ".png"));
      ASSERT_EQ(shown.size(), 192000u);
      ASSERT_EQ(frame.size(), 192000u);
      int wrong = 0;
      for (int i = 0; i < 64000; ++i) {
        for (int k = 0; k < 3; ++k) {
          const uint8_t expected = c.hidden(i % 320, i / 320) ? 0 : frame[i * 3 + k];
          wrong += shown[i * 3 + k] != expected;
        }
      }
      EXPECT_EQ(wrong, 0) << c.options.back() << ", frame " << f;
    }
  }
  EXPECT_EQ(files(), 8u);  // p.raw, three frames, the blend, three C64 frames
}

TEST_F(CliConvert, UnreadableInputsFailWithOneLineAndNoOutput) {
  std::ofstream(path("notes.jpg")) << "not a picture at all";
  for (const std::string& input : {path("missing.jpg"), path("notes.jpg"), dir_.string()}) {
    const ProgramRun r = run({input, path("out.raw"), path("out.png")});
    EXPECT_EQ(r.status, 1) << input;
    EXPECT_NE(r.err.find(input), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(fs::exists(path("out.raw")));
    EXPECT_FALSE(fs::exists(path("out.png")));
  }
}

TEST_F(CliConvert, UnwritableOutputFailsAndLeavesTheOtherOutputsAlone) {
  if (!photosPresent()) GTEST_SKIP() << "test photos not found in " << kPhotos;
  std::ofstream(path("keep.raw")) << "old content";
  const std::string bad = path("no-such-folder/out.png");
  ProgramRun r = run({"-f", photo("HappyFish.jpg"), path("keep.raw"), bad});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(bad), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("No such file or directory"), std::string::npos) << r.err;
  EXPECT_EQ(readAll(path("keep.raw")), "old content");

  fs::create_directories(path("folder.raw"));
  r = run({"-f", photo("HappyFish.jpg"), path("folder.raw")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(path("folder.raw")), std::string::npos) << r.err;
  EXPECT_TRUE(fs::is_directory(path("folder.raw")));
}

TEST_F(CliConvert, UsageErrorsExitWith2AndAHint) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"in.jpg"},
      {"--bogus", "in.jpg", "out.raw"},
      {"-d", "4", "in.jpg", "out.raw"},
      {"--dither"},
      {"in.jpg", "out.gif"},
      {"in.jpg", "out"},
      {"--frames", "", "in.jpg", "out.raw"},
      {"--c64-frames=", "in.jpg", "out.raw"},
  };
  for (const auto& args : bad) {
    const ProgramRun r = run(args);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
  }
  EXPECT_EQ(files(), 0u);
}

TEST_F(CliConvert, HelpAndVersion) {
  ProgramRun r = run({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Usage: peltrix-convert [options] INPUT OUTPUT..."), std::string::npos);
  EXPECT_NE(r.out.find("--super-flicker"), std::string::npos);
  r = run({"-h", "--bogus"});
  EXPECT_EQ(r.status, 0);
  r = run({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("peltrix-convert ", 0), 0u) << r.out;
}

TEST_F(CliConvert, ProgressBarOnlyOnATerminalAndNotWhenQuiet) {
  if (!photosPresent()) GTEST_SKIP() << "test photos not found in " << kPhotos;
  const std::string shown = runOnTerminal({photo("HappyFish.jpg"), path("p.raw")});
  EXPECT_NE(shown.find("25/25 rows"), std::string::npos) << shown;
  EXPECT_NE(shown.find("elapsed"), std::string::npos) << shown;
  const std::string quiet = runOnTerminal({"-q", photo("HappyFish.jpg"), path("q.raw")});
  EXPECT_EQ(quiet, "");
}

// A C64 picture as palette indices: 200 rows of 320 hex digits, as c64frames writes them.
using IndexPicture = std::vector<std::string>;

IndexPicture indicesOfPng(const std::string& file) {
  const std::vector<uint8_t> rgb = decodePng(file);
  IndexPicture rows(200, std::string(320, '?'));
  for (size_t i = 0; i < rgb.size() / 3; ++i) {
    const int index =
        peltrix::paletteIndex(peltrix::packRgb(rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2]));
    rows[i / 320][i % 320] = index < 0 ? '?' : "0123456789abcdef"[index];
  }
  return rows;
}

IndexPicture readCapture(const fs::path& file) {
  IndexPicture rows;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) rows.push_back(line);
  return rows;
}

// The frame (1..3) whose row y matches the captured row from column `from` on, or 0.
int frameOfRow(const IndexPicture frames[3], const std::string& row, int y, int from) {
  for (int f = 0; f < 3; ++f) {
    if (frames[f][y].compare(from, std::string::npos, row, from) == 0) return f + 1;
  }
  return 0;
}

TEST_F(CliConvert, ProgramFilesShowTheConvertedFramesOnAC64) {
  if (!photosPresent()) GTEST_SKIP() << "test photos not found in " << kPhotos;
  const fs::path tool = fs::path(PELTRIX_SHARED_DIR) / "tools" / "c64frames";
  if (!fs::exists(tool) || std::system("command -v x64sc >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "needs " << tool << " and VICE's x64sc";
  }
  auto capture = [&](const std::string& name, const std::vector<std::string>& options) {
    std::vector<std::string> args = options;
    for (const std::string& a :
         {std::string("--frames"), path(name), photo("fruits.jpg"), path(name + ".prg")}) {
      args.push_back(a);
    }
    const ProgramRun r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string command = tool.string() + " --frames 3 '" + path(name + ".prg") + "' '" +
                                path(name + "-cap") + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  };
  auto framesOf = [&](const std::string& name) {
    std::array<IndexPicture, 3> frames;
    for (int f = 0; f < 3; ++f) {
      frames[f] = indicesOfPng(path(name + "-frame" + std::to_string(f + 1) + ".png"));
    }
    return frames;
  };

  // Whole-frame viewer: each video frame is one converted frame, all three in turn.
  capture("whole", {"--no-fli", "--super-flicker"});
  const auto whole = framesOf("whole");
  std::set<int> shown;
  for (int i = 0; i < 3; ++i) {
    const IndexPicture seen =
        readCapture(path("whole-cap") + "/frame" + std::to_string(i) + ".idx");
    ASSERT_EQ(seen.size(), 200u);
    for (int f = 0; f < 3; ++f) {
      if (seen == whole[f]) shown.insert(f + 1);
    }
  }
  EXPECT_EQ(shown, (std::set<int>{1, 2, 3})) << "a frame was not shown exactly";

  // Standard viewer: every picture line shows a different frame from its neighbours (the
  // three leftmost character columns are covered). Picture line 0 is on raster 48, three lines
  // above the display window: window row y shows line y + 3, and the last three rows are black.
  capture("standard", {"--no-fli"});
  const auto standard = framesOf("standard");
  for (int i = 0; i < 3; ++i) {
    const IndexPicture seen =
        readCapture(path("standard-cap") + "/frame" + std::to_string(i) + ".idx");
    ASSERT_EQ(seen.size(), 200u);
    int previous = 0;
    for (int y = 0; y < 200; ++y) {
      if (y + 3 >= 200) {
        EXPECT_EQ(seen[y], std::string(320, '0')) << "capture " << i << ", row " << y;
        continue;
      }
      const int f = frameOfRow(standard.data(), seen[y], y + 3, 24);
      ASSERT_NE(f, 0) << "capture " << i << ", line " << y << " matches no frame";
      EXPECT_NE(f, previous) << "capture " << i << ", line " << y;
      previous = f;
    }
  }
}

}  // namespace
