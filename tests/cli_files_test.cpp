// peltrix-convert end to end with files of its own making: no command line destroys a
// picture (the glob case, an input reached through a link, -f), batches with a broken picture
// and with clashing names, framing through the command line, and every warning.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "cli_fixture.hpp"
#include "picture_fixtures.hpp"

namespace {

using namespace peltrix::cli_testing;
namespace fs = std::filesystem;
using peltrix::fixtures::Bytes;
using peltrix::fixtures::encodeRgbPng;

class CliFiles : public CliConvert {
 protected:
  // A small PNG of its own colours; `salt` makes each file different.
  std::string picture(const std::string& name, int width = 320, int height = 200, int salt = 0) {
    return write(name, encodeRgbPng(width, height, [salt](int x, int y) {
                   return peltrix::packRgb(x + salt, y * 2 + salt, (x ^ y) + 3 * salt);
                 }));
  }
  std::string write(const std::string& name, const Bytes& bytes) const {
    std::ofstream(path(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    return path(name);
  }
  static int lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  }
  // Every file in the folder with its content, for "nothing changed".
  std::vector<std::pair<std::string, std::string>> snapshot() const {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& e : fs::recursive_directory_iterator(dir_)) {
      if (e.is_regular_file()) out.push_back({e.path().string(), readAll(e.path())});
    }
    std::sort(out.begin(), out.end());
    return out;
  }
  // The screen of a tmux window `columns` wide after running the converter with `args` in it
  // (in the scratch folder): its lines and those scrolled off it, trailing spaces dropped,
  // from the first line used to the last.
  std::vector<std::string> screenAfter(const std::vector<std::string>& args, int columns) const {
    const std::string tmux =
        "tmux -u -f " + path(".tmux.conf") + " -L peltrix-" + std::to_string(getpid()) + " ";
    std::ofstream(path(".tmux.conf")) << "set -g remain-on-exit on\n";
    std::ofstream script(path(".run.sh"));
    script << "cd '" << dir_.string() << "' && exec '" << kConvert << "'";
    for (const std::string& a : args) script << " '" << a << "'";
    script.close();
    const std::string start = tmux + "new-session -d -s convert -x " + std::to_string(columns) +
                              " -y 40 'sh " + path(".run.sh") + "'";
    EXPECT_EQ(std::system(start.c_str()), 0) << start;
    // The pane stays once the converter has ended; a hang ends the test after a minute.
    for (int i = 0;
         i < 1200 && output(tmux + "display-message -p -t convert '#{pane_dead}'") != "1\n"; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::istringstream screen(output(tmux + "capture-pane -p -S - -t convert"));
    EXPECT_EQ(std::system((tmux + "kill-server").c_str()), 0);
    std::vector<std::string> lines;
    for (std::string line; std::getline(screen, line);) {
      if (line.rfind("Pane is dead", 0) != 0) lines.push_back(line);  // tmux's own last line
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    while (!lines.empty() && lines.front().empty()) lines.erase(lines.begin());
    return lines;
  }
  static std::string output(const std::string& command) {
    std::string out;
    if (std::FILE* p = ::popen(command.c_str(), "r")) {
      char buffer[4096];
      for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
      ::pclose(p);
    }
    return out;
  }
};

TEST_F(CliFiles, AGlobOfPicturesChangesNothingAndSaysWhy) {
  picture("a.png", 320, 200, 1), picture("b.png", 320, 200, 2), picture("c.png", 320, 200, 3);
  const auto before = snapshot();
  // What `peltrix-convert *.png` becomes: a.png as INPUT, b.png and c.png as OUTPUTs.
  const ProgramRun r = run({path("a.png"), path("b.png"), path("c.png")});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(lines(r.err), 1) << r.err;
  EXPECT_NE(r.err.find(path("b.png") + " exists"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--outdir"), std::string::npos) << r.err;
  EXPECT_EQ(snapshot(), before);
}

TEST_F(CliFiles, AnOutputThatIsTheInputIsRefusedEvenWithForce) {
  const std::string input = picture("in.png");
  fs::create_directories(path("sub"));
  fs::create_symlink(input, path("sub/link.png"));
  fs::create_hard_link(input, path("hard.png"));
  const auto before = snapshot();
  for (const std::string& output :
       {input, path("sub/../in.png"), path("sub/link.png"), path("hard.png")}) {
    for (bool force : {false, true}) {
      std::vector<std::string> args = {input, path("fine.raw"), output};
      if (force) args.insert(args.begin(), "--force");
      const ProgramRun r = run(args);
      EXPECT_EQ(r.status, 2) << output;
      EXPECT_EQ(lines(r.err), 1) << r.err;
      EXPECT_NE(r.err.find(output + " is the input picture"), std::string::npos) << r.err;
    }
  }
  EXPECT_EQ(snapshot(), before);  // not even fine.raw
  // In a batch too: --outdir . --to png writes in.png over itself.
  const ProgramRun r = run({"-f", "--outdir", dir_.string(), "--to", "png", input});
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_EQ(snapshot(), before);
}

TEST_F(CliFiles, AnExistingOutputIsReplacedOnlyWithForce) {
  const std::string input = picture("in.png");
  std::ofstream(path("out.raw")) << "keep me";
  ProgramRun r = run({input, path("new.png"), path("out.raw")});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "peltrix-convert: " + path("out.raw") +
                       " exists: -f replaces it; --outdir DIR converts several pictures\n");
  EXPECT_EQ(readAll(path("out.raw")), "keep me");
  EXPECT_FALSE(fs::exists(path("new.png"))) << "nothing is written when one output is refused";
  for (const char* force : {"-f", "--force", "-qf"}) {
    r = run({force, input, path("out.raw")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(fs::file_size(path("out.raw")), 36864u);
  }
}

TEST_F(CliFiles, ABatchReportsABrokenPictureAndConvertsTheRest) {
  const std::string good1 = picture("one.png", 320, 200, 5), good2 = picture("two.png", 300, 190);
  std::ofstream(path("broken.jpg")) << "\xFF\xD8 not really";
  fs::create_directories(path("out"));
  const ProgramRun r = run({"--outdir", path("out"), "--to", "raw,png", "--frames", "--c64-frames",
                            good1, path("broken.jpg"), good2});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("peltrix-convert: " + path("broken.jpg") + ": "), std::string::npos)
      << r.err;
  std::set<std::string> written;
  for (const auto& e : fs::directory_iterator(path("out"))) {
    written.insert(e.path().filename().string());
  }
  const std::set<std::string> expected = {"one.raw",
                                          "one.png",
                                          "one-blend.png",
                                          "one-frame1.png",
                                          "one-frame2.png",
                                          "one-frame3.png",
                                          "two.raw",
                                          "two.png",
                                          "two-blend.png",
                                          "two-frame1.png",
                                          "two-frame2.png",
                                          "two-frame3.png",
                                          "one-c64-frame1.png",
                                          "one-c64-frame2.png",
                                          "one-c64-frame3.png",
                                          "two-c64-frame1.png",
                                          "two-c64-frame2.png",
                                          "two-c64-frame3.png"};
  EXPECT_EQ(written, expected);  // nothing of broken.jpg, no temporaries
  // Each picture exactly as a run of its own gives it: the shared state carries nothing over.
  ASSERT_EQ(
      run({"--c64-frames", path("alone"), good2, path("alone.raw"), path("alone.png")}).status, 0);
  EXPECT_EQ(readAll(path("out/two.raw")), readAll(path("alone.raw")));
  EXPECT_EQ(readAll(path("out/two-c64-frame2.png")), readAll(path("alone-c64-frame2.png")));
  EXPECT_EQ(readAll(path("out/two.png")), readAll(path("alone.png")));
  EXPECT_EQ(readAll(path("out/two.png")), readAll(path("out/two-blend.png")));
}

TEST_F(CliFiles, BatchOutputsThatWouldClashAreRefusedBeforeAnythingIsConverted) {
  fs::create_directories(path("a")), fs::create_directories(path("b"));
  fs::create_directories(path("out"));
  const std::string first = picture("a/cat.png"), second = picture("b/cat.jpg.png");
  write("b/cat.bmp", {'B', 'M'});
  // a/cat.png and b/cat.bmp both become out/cat.prg; the same INPUT twice clashes as well.
  for (const auto& inputs : {std::vector<std::string>{first, second, path("b/cat.bmp")},
                             std::vector<std::string>{second, second}}) {
    std::vector<std::string> args = {"--outdir", path("out")};
    args.insert(args.end(), inputs.begin(), inputs.end());
    const ProgramRun r = run(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(lines(r.err), 1) << r.err;
    EXPECT_NE(r.err.find("would both write " + path("out") + "/cat"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_empty(path("out")));
  }
  // --frames names may clash with another picture's own name.
  picture("a/cat-blend.png");
  const ProgramRun r =
      run({"--outdir", path("out"), "--to", "png", "--frames", first, path("a/cat-blend.png")});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("cat-blend.png"), std::string::npos) << r.err;
  // One picture's OUTPUTs clash with each other or with its --frames files.
  const ProgramRun one = run({first, path("x.png"), path("./x.png")});
  EXPECT_EQ(one.status, 2);
  const ProgramRun frames = run({"--frames", path("f"), first, path("f-frame2.png")});
  EXPECT_EQ(frames.status, 2);
  EXPECT_TRUE(fs::is_empty(path("out")));
  EXPECT_FALSE(fs::exists(path("x.png")));
}

TEST_F(CliFiles, ABatchWithExistingOutputsOrWithoutItsFolderWritesNothing) {
  const std::string input = picture("in.png");
  ProgramRun r = run({"--outdir", path("missing"), input});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "peltrix-convert: --outdir " + path("missing") + ": no such folder\n");
  fs::create_directories(path("out"));
  std::ofstream(path("out/in.png")) << "old";
  std::ofstream(path("out/in.raw")) << "old";
  r = run({"--outdir", path("out"), "--to", "prg,raw,png", input});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("(and 1 more output): -f replaces them"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(path("out/in.prg")));
  r = run({"-f", "--outdir", path("out"), "--to", "prg,raw,png", input});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(fs::file_size(path("out/in.raw")), 36864u);
}

TEST_F(CliFiles, ABatchOnATerminalShowsAProgressLinePerPictureAndASummary) {
  const std::string one = picture("one.png"), two = picture("two.png");
  std::ofstream(path("bad.png")) << "nothing";
  fs::create_directories(path("out"));
  const std::string shown = runOnTerminal({"--outdir", path("out"), one, path("bad.png"), two}, 1);
  EXPECT_NE(shown.find("[1/3] " + one + ": "), std::string::npos) << shown;
  EXPECT_NE(shown.find("[2/3] " + path("bad.png") + ": failed: " + path("bad.png")),
            std::string::npos)
      << shown;
  EXPECT_NE(shown.find("[3/3] " + two + ": "), std::string::npos) << shown;
  EXPECT_NE(shown.find("2 of 3 pictures converted in "), std::string::npos) << shown;
  EXPECT_NE(shown.find(", 1 failed"), std::string::npos) << shown;
  // -q keeps only the error.
  const std::string quiet =
      runOnTerminal({"-qf", "--outdir", path("out"), one, path("bad.png"), two}, 1);
  EXPECT_EQ(quiet.find("[1/3]"), std::string::npos) << quiet;
  EXPECT_NE(quiet.find("peltrix-convert: " + path("bad.png")), std::string::npos) << quiet;
  EXPECT_EQ(lines(quiet), 1) << quiet;
}

TEST_F(CliFiles, ABatchOnANarrowTerminalLeavesOnlyItsResultLinesOnScreen) {
  if (std::system("tmux -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "tmux is not installed";
  // Progress lines longer than the terminal, and names shorter and longer than each other.
  const std::vector<std::string> names = {"a-rather-long-name-that-no-progress-line-can-hold.png",
                                          "a.png", "a-middle-sized-name.png"};
  std::vector<std::string> args = {"--fill", "--outdir", "out", "--to", "prg,png"};
  for (size_t i = 0; i < names.size(); ++i) {
    picture(names[i], 400 + 100 * static_cast<int>(i), 300, static_cast<int>(i));
    args.push_back(names[i]);
  }
  for (int columns : {80, 120}) {
    fs::remove_all(path("out"));
    fs::create_directories(path("out"));
    const std::vector<std::string> screen = screenAfter(args, columns);
    std::string all;
    for (const std::string& line : screen) all += line + "\n";
    ASSERT_EQ(screen.size(), names.size() + 1) << columns << ":\n" << all;
    for (size_t i = 0; i < names.size(); ++i) {
      const std::regex result("\\[" + std::to_string(i + 1) + "/3\\] " + names[i] +
                              ": [0-9]+\\.[0-9][0-9] s");
      EXPECT_TRUE(std::regex_match(screen[i], result)) << columns << ": " << screen[i];
    }
    EXPECT_TRUE(std::regex_match(screen.back(),
                                 std::regex("3 of 3 pictures converted in [0-9]+\\.[0-9][0-9] s")))
        << columns << ": " << screen.back();
  }
}

TEST_F(CliFiles, AnOffsetIsTheSameAsCroppingBeforehandByteForByte) {
  auto colours = [](int x, int y) { return peltrix::packRgb(x * 3, y * 5, (x * y) >> 4); };
  write("big.png", encodeRgbPng(700, 450, colours));
  write("crop.png", encodeRgbPng(320, 200, [&](int x, int y) { return colours(x + 211, y + 97); }));
  ASSERT_EQ(run({"--offset", "211,97", path("big.png"), path("big.raw")}).status, 0);
  ASSERT_EQ(run({path("crop.png"), path("crop.raw")}).status, 0);
  EXPECT_EQ(readAll(path("big.raw")), readAll(path("crop.raw")));
  // The default is the top-left corner: --offset 0,0 changes nothing.
  ASSERT_EQ(run({path("big.png"), path("plain.raw")}).status, 0);
  ASSERT_EQ(run({"--offset=0,0", path("big.png"), path("zero.raw")}).status, 0);
  EXPECT_EQ(readAll(path("plain.raw")), readAll(path("zero.raw")));
}

TEST_F(CliFiles, FitLetterboxesThroughTheCommandLine) {
  write("wide.png", encodeRgbPng(800, 400, [](int, int) { return 0xFFFFFFu; }));
  // 2:1 at PAL: 150 rows of picture, 25 black rows above and below; --ntsc: 120 and 40.
  for (auto [option, top] : {std::pair{"--fit", 25}, std::pair{"--ntsc", 40}}) {
    std::vector<std::string> args = {"-f", "--fit", "-d", "0", path("wide.png"), path("fit.png")};
    if (std::string(option) == "--ntsc") args.insert(args.begin(), "--ntsc");
    ASSERT_EQ(run(args).status, 0);
    const std::vector<uint8_t> rgb = decodePng(path("fit.png"));
    ASSERT_EQ(rgb.size(), 320u * 200 * 3);
    for (int y = 0; y < 200; ++y) {
      const bool band = y < top || y >= 200 - top;
      EXPECT_EQ(rgb[(y * 320 + 160) * 3 + 1], band ? 0 : 255) << option << " row " << y;
    }
  }
}

TEST_F(CliFiles, EachWarningIsOneLineAndQuietSilencesThem) {
  const std::string input = picture("in.png");
  struct Case {
    std::vector<std::string> args;
    std::string warning;  // empty: none
  };
  const Case cases[] = {
      {{"--ass-lace", input, path("o.prg")},
       "--ass-lace is ignored in FLI mode (it needs --no-fli)"},
      {{"--ass-lace", "--no-fli", "--super-flicker", input, path("o.prg")},
       "--ass-lace is ignored with --super-flicker"},
      {{"--ass-lace", "--no-fli", input, path("o.prg")}, ""},
      {{"--ass-lace", "--no-fli", input, path("o.raw")},
       "--ass-lace is ignored: no .prg is written"},
      {{"--ntsc", input, path("o.png")}, "--ntsc is ignored: no .prg is written"},
      {{"--ntsc", input, path("o.prg")}, ""},
      {{"--ntsc", "--fit", input, path("o.png")}, ""},  // it shapes the fitted picture
      {{"--aspect", "square", input, path("o.png")}, "--aspect is ignored without --fit or --fill"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "-f");
    ProgramRun r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, c.warning.empty() ? "" : "peltrix-convert: warning: " + c.warning + "\n");
    args.insert(args.begin(), "-q");
    r = run(args);
    EXPECT_EQ(r.err, "");
  }

  picture("small.png", 100, 80), picture("large.png", 400, 300), picture("odd.png", 400, 150);
  const std::string tail =
      " is smaller than 320 x 200 and padded with black: use --fit to scale it up\n";
  const std::string large =
      " is larger than 320 x 200; only its top-left 320 x 200 is used: --fit or --fill scale it\n";
  auto warningsFor = [&](const std::vector<std::string>& args) {
    std::vector<std::string> a = args;
    a.insert(a.begin(), "-f");
    a.push_back(path("o.raw"));
    return run(a).err;
  };
  const std::string w = "peltrix-convert: warning: ";
  EXPECT_EQ(warningsFor({path("small.png")}), w + path("small.png") + ": 100 x 80" + tail);
  EXPECT_EQ(warningsFor({path("large.png")}), w + path("large.png") + ": 400 x 300" + large);
  EXPECT_EQ(warningsFor({path("odd.png")}), w + path("odd.png") + ": 400 x 150" + tail + w +
                                                path("odd.png") + ": 400 x 150" + large);
  EXPECT_EQ(warningsFor({"--fit", path("small.png")}), "");
  EXPECT_EQ(warningsFor({"--fill", path("large.png")}), "");
  EXPECT_EQ(warningsFor({"--offset", "50,50", path("large.png")}), "");
  EXPECT_EQ(warningsFor({"--offset", "100,150", path("large.png")}),
            w + path("large.png") +
                ": the 320 x 200 pixels from (100, 150) reach past its 400 x 300 and are padded "
                "with black\n");

  // A translucent pixel, flattened onto black.
  peltrix::fixtures::PngOptions o;
  o.width = 320, o.height = 200, o.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
  write("alpha.png", peltrix::fixtures::encodePng(o, [](int y) {
          Bytes row(320 * 4, 255);
          if (y == 7) row[4 * 9 + 3] = 30;
          return row;
        }));
  EXPECT_EQ(warningsFor({path("alpha.png")}),
            w + path("alpha.png") + ": transparency flattened onto black\n");
  EXPECT_EQ(warningsFor({"-q", path("alpha.png")}), "");
}

TEST_F(CliFiles, NewOptionsHaveUsageErrors) {
  const std::vector<std::vector<std::string>> bad = {
      {"--fit", "--fill", "in.png", "o.raw"},
      {"--fit", "--offset", "1,2", "in.png", "o.raw"},
      {"--offset", "12", "in.png", "o.raw"},
      {"--offset", "-1,2", "in.png", "o.raw"},
      {"--aspect", "wide", "--fit", "in.png", "o.raw"},
      {"--to", "prg", "in.png", "o.raw"},
      {"--outdir", ".", "--to", "gif", "in.png"},
      {"--outdir", "."},
      {"--f", "in.png", "o.raw"},
  };
  for (const auto& args : bad) {
    const ProgramRun r = run(args);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
  }
  EXPECT_EQ(files(), 0u);
}

}  // namespace
