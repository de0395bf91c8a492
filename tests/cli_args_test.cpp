// The command line's parser on its own: every spelling getopt_long brings, --frames with and
// without --outdir, the framing options and their defaults, and the exact usage messages; and
// the palette it names, read only afterwards.
#include "frontends/cli/cli_args.hpp"

#include <gtest/gtest.h>

#include "frontends/cli/requested_palette.hpp"
#include "frontends/cli/warnings.hpp"

namespace peltrix::cli {
namespace {

std::string usageError(const std::vector<std::string>& args) {
  try {
    parseArguments(args);
  } catch (const UsageError& e) {
    return e.what();
  }
  return "parsed";
}

TEST(CliArgs, OptionsMayBeSpeltEveryUsualWayAndStandAnywhere) {
  for (const std::vector<std::string>& args : {
           std::vector<std::string>{"-d1", "-qf", "in.jpg", "out.raw"},
           {"-d", "1", "-q", "-f", "in.jpg", "out.raw"},
           {"in.jpg", "--dither=1", "out.raw", "--quiet", "--force"},
           {"--dith", "1", "--qu", "--for", "in.jpg", "out.raw"},  // unambiguous abbreviations
       }) {
    const Request r = parseArguments(args);
    EXPECT_EQ(r.job.ditherLevel, 1);
    EXPECT_TRUE(r.quiet);
    EXPECT_TRUE(r.force);
    ASSERT_EQ(r.inputs, std::vector<std::string>{"in.jpg"});
    ASSERT_EQ(r.outputs.size(), 1u);
    EXPECT_EQ(r.outputs[0].path, "out.raw");
  }
  const Request dashed = parseArguments({"--", "-in.jpg", "-out.PNG"});
  EXPECT_EQ(dashed.inputs[0], "-in.jpg");
  EXPECT_EQ(dashed.outputs[0].kind, OutputKind::Png);
  EXPECT_EQ(parseArguments({"-h", "--bogus"}).action, Request::Action::Help);
}

TEST(CliArgs, FramesTakesAPrefixForOnePictureAndNoneInABatch) {
  const Request one = parseArguments({"--frames", "fish", "in.jpg", "out.prg"});
  EXPECT_EQ(one.framesPrefix, "fish");
  EXPECT_FALSE(one.batch());
  // With --outdir anywhere, the word after --frames is an INPUT.
  for (const std::vector<std::string>& args : {
           std::vector<std::string>{"--outdir", "c64", "--frames", "a.jpg", "b.jpg"},
           {"--frames", "a.jpg", "b.jpg", "--outdir=c64"},
       }) {
    const Request batch = parseArguments(args);
    EXPECT_TRUE(batch.batch());
    EXPECT_TRUE(batch.batchFrames);
    EXPECT_EQ(batch.outdir, "c64");
    EXPECT_EQ(batch.inputs, (std::vector<std::string>{"a.jpg", "b.jpg"}));
    EXPECT_EQ(batch.batchKinds, std::vector<OutputKind>{OutputKind::Program});
  }
  const Request kinds = parseArguments({"--outdir", "o", "--to", "png,prg,png,raw", "a.jpg"});
  EXPECT_EQ(kinds.batchKinds,
            (std::vector<OutputKind>{OutputKind::Png, OutputKind::Program, OutputKind::Raw}));
}

// For one picture the argument after --frames is its PREFIX whatever it looks like; in a batch
// it is read as usual, --outdir before or after.
TEST(CliArgs, FramesPrefixIsTheNextArgumentOnlyForOnePicture) {
  const Request one = parseArguments({"--frames", "-q", "--c64-frames=c", "in.jpg", "out.prg"});
  EXPECT_EQ(one.framesPrefix, "-q");
  EXPECT_FALSE(one.quiet);
  EXPECT_EQ(one.c64FramesPrefix, "c");
  const Request batch = parseArguments({"--frames", "--c64-frames", "-q", "--outdir", "d", "a"});
  EXPECT_TRUE(batch.batchFrames);
  EXPECT_TRUE(batch.batchC64Frames);
  EXPECT_TRUE(batch.quiet);
  EXPECT_EQ(batch.inputs, std::vector<std::string>{"a"});
  EXPECT_EQ(usageError({"--frames=p", "--outdir", "d", "a"}), "option --frames takes no value");
  EXPECT_EQ(usageError({"in.jpg", "out.prg", "--frames"}), "option --frames needs a value");
}

TEST(CliArgs, FramingOptionsAndTheAspectThatFollowsNtsc) {
  const Request plain = parseArguments({"in.jpg", "o.raw"});
  EXPECT_EQ(plain.job.framing.mode, Framing::Mode::Region);
  EXPECT_EQ(plain.job.framing.left, 0u);
  EXPECT_EQ(plain.job.framing.aspect, PixelAspect::Pal);
  EXPECT_EQ(parseArguments({"--ntsc", "--fit", "in.jpg", "o.raw"}).job.framing.aspect,
            PixelAspect::Ntsc);
  const Request fill = parseArguments({"--ntsc", "--fill", "--aspect", "square", "i", "o.png"});
  EXPECT_EQ(fill.job.framing.mode, Framing::Mode::Fill);
  EXPECT_EQ(fill.job.framing.aspect, PixelAspect::Square);
  const Request offset = parseArguments({"--offset", "2147483647,0", "in.jpg", "o.raw"});
  EXPECT_EQ(offset.job.framing.left, 2147483647u);
  EXPECT_TRUE(offset.offsetGiven);
  EXPECT_FALSE(offset.job.framing.fillFromOffset);
  EXPECT_FALSE(fill.job.framing.fillFromOffset) << "without --offset, fill is centred";
  const Request placed = parseArguments({"--fill", "--offset", "30,4", "in.jpg", "o.raw"});
  EXPECT_TRUE(placed.job.framing.fillFromOffset);
  EXPECT_EQ(placed.job.framing.left, 30u);
  EXPECT_EQ(placed.job.framing.top, 4u);
}

TEST(CliArgs, VisibleFitsOrFillsTheViewersVisibleArea) {
  EXPECT_FALSE(parseArguments({"--fit", "in.jpg", "o.raw"}).job.framing.visible);
  for (const auto& [args, mode] :
       {std::pair{std::vector<std::string>{"--visible", "in.jpg", "o.raw"}, Framing::Mode::Fit},
        std::pair{std::vector<std::string>{"--fit", "--visible", "in.jpg", "o.raw"},
                  Framing::Mode::Fit},
        std::pair{std::vector<std::string>{"--visible", "--fill", "in.jpg", "o.raw"},
                  Framing::Mode::Fill}}) {
    const Framing f = parseArguments(args).job.framing;
    EXPECT_TRUE(f.visible) << args[0];
    EXPECT_EQ(f.mode, mode) << args[0];
    EXPECT_EQ(f.hiddenColumns, 0) << "resolved from the viewer when the picture is opened";
  }
  EXPECT_TRUE(parseArguments({"--vis", "in.jpg", "o.raw"}).job.framing.visible);
}

TEST(CliArgs, ToneOptionsAreReadAsWholeSteps) {
  const Request r = parseArguments({"--brightness", "-20", "--contrast", "+15", "--saturation", "0",
                                    "--gamma", "1.8", "in.jpg", "out.prg"});
  EXPECT_EQ(r.job.tone, (Tone{-20, 15, 0, 180}));
  EXPECT_EQ(parseArguments({"--gamma", "0.25", "i", "o.raw"}).job.tone.gammaHundredths, 25);
  EXPECT_EQ(parseArguments({"--gamma", "5", "i", "o.raw"}).job.tone.gammaHundredths, 500);
  EXPECT_TRUE(parseArguments({"i", "o.raw"}).job.tone.neutral());
}

TEST(CliArgs, UsageErrorsSayWhatIsWrong) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "missing INPUT and OUTPUT"},
      {{"in.jpg"}, "missing OUTPUT"},
      {{"--outdir", "d"}, "missing INPUT"},
      {{"--bogus", "in.jpg", "out.raw"}, "unknown option '--bogus'"},
      {{"-qx", "in.jpg", "out.raw"}, "unknown option '-x'"},
      {{"--f", "in.jpg", "out.raw"},
       "ambiguous option '--f' (--force, --frames, --fit, --fill, --flicker-map)"},
      {{"--no-fli=1", "in.jpg", "out.raw"}, "option --no-fli takes no value"},
      {{"--dither"}, "option --dither needs a value"},
      {{"in.jpg", "out.raw", "-d"}, "option -d needs a value"},
      {{"-d", "4", "in.jpg", "out.raw"}, "dither level must be 0, 1, 2 or 3, not '4'"},
      {{"in.jpg", "out.gif"}, "cannot tell what to write to 'out.gif': use .raw, .prg or .png"},
      {{"in.jpg", "dir.png/out"},
       "cannot tell what to write to 'dir.png/out': use .raw, .prg or .png"},
      {{"--frames", "", "in.jpg", "out.raw"}, "--frames needs a non-empty PREFIX"},
      {{"--fit", "--fill", "i", "o.raw"}, "--fit and --fill cannot be combined"},
      {{"--offset", "1,1", "--fit", "i", "o.raw"}, "--offset cannot be combined with --fit"},
      {{"--offset", "1,1", "--visible", "i", "o.raw"},
       "--offset cannot be combined with --visible without --fill"},
      {{"--offset", "3", "i", "o.raw"}, "--offset needs X,Y in pixels, like 40,20, not '3'"},
      {{"--offset", "1,2,3", "i", "o.raw"},
       "--offset needs X,Y in pixels, like 40,20, not '1,2,3'"},
      {{"--offset", "2147483648,0", "i", "o.raw"},
       "--offset needs X,Y in pixels, like 40,20, not '2147483648,0'"},
      {{"--aspect", "PAL", "i", "o.raw"}, "--aspect must be pal, ntsc or square, not 'PAL'"},
      {{"--brightness", "1e2", "i", "o.raw"},
       "--brightness must be a whole number from -100 to 100, not '1e2'"},
      {{"--contrast", "-101", "i", "o.raw"},
       "--contrast must be a whole number from -100 to 100, not '-101'"},
      {{"--saturation", "-", "i", "o.raw"},
       "--saturation must be a whole number from 0 to 200, not '-'"},
      {{"--gamma", "0.1", "i", "o.raw"},
       "--gamma must be a number from 0.2 to 5 (at most two decimals), not '0.1'"},
      {{"--gamma", "2.", "i", "o.raw"},
       "--gamma must be a number from 0.2 to 5 (at most two decimals), not '2.'"},
      {{"--to", "raw", "i", "o.raw"}, "--to needs --outdir DIR"},
      {{"--outdir", "d", "--to", "raw,", "i"},
       "--to takes prg, raw, png, eye and flicker, separated by commas, not 'raw,'"},
      {{"--match", "EYE", "i", "o.raw"}, "--match must be classic or eye, not 'EYE'"},
      {{"--eye-dither", "floyd", "i", "o.raw"},
       "--eye-dither must be diffusion, ordered or none, not 'floyd'"},
      {{"--report=csv", "i", "o.raw"}, "--report takes no value or =json, not 'csv'"},
      {{"--outdir", "d", "--eye", "e.png", "i"},
       "--eye FILE is for one picture; with --outdir, --to eye"},
  };
  for (const auto& [args, message] : cases) {
    std::string line;
    for (const auto& a : args) line += a + " ";
    EXPECT_EQ(usageError(args), message) << line;
  }
}

TEST(CliArgs, TheEyeMatchItsDitherItsPictureAndTheReport) {
  const Request plain = parseArguments({"in.jpg", "o.raw"});
  EXPECT_EQ(plain.job.match, engine::Match::Classic);
  EXPECT_EQ(plain.report, Request::Report::None);
  const Request eye = parseArguments(
      {"--match", "eye", "--eye-dither=ordered", "--eye", "e.png", "--report", "in.jpg", "o.raw"});
  EXPECT_EQ(eye.job.match, engine::Match::Eye);
  EXPECT_EQ(eye.job.eyeDither, EyeDither::Ordered);
  EXPECT_EQ(eye.eyePath, "e.png");
  EXPECT_EQ(eye.report, Request::Report::Text);
  EXPECT_EQ(eye.outputs.size(), 1u) << "--report takes no value from the next word";
  const Request batch = parseArguments({"--outdir", "d", "--to", "eye,raw", "--report=json", "a"});
  EXPECT_TRUE(batch.batchEye);
  EXPECT_EQ(batch.batchKinds, std::vector<OutputKind>{OutputKind::Raw});
  EXPECT_EQ(batch.report, Request::Report::Json);
}

TEST(CliArgs, PaletteFileIsReadOnlyByItsOwnStep) {
  const Request r = parseArguments({"--palette", "/nonexistent.vpl", "i", "o.raw"});
  EXPECT_EQ(r.paletteName, "/nonexistent.vpl");
  try {
    loadRequestedPalette(r);
    ADD_FAILURE() << "loaded";
  } catch (const UsageError& e) {
    EXPECT_STREQ(e.what(),
                 "--palette: no palette '/nonexistent.vpl': neither a built-in one (pepto-pal, "
                 "colodore, community-colors) nor a readable .vpl file");
  }
  EXPECT_EQ(loadRequestedPalette(parseArguments({"--palette", "colodore", "i", "o.raw"})),
            findPalette("colodore")->colours);
  EXPECT_EQ(loadRequestedPalette(parseArguments({"i", "o.raw"})), kPalette);
}

TEST(CliWarnings, OnlyForOptionsTheModeIgnores) {
  auto warnings = [](const std::vector<std::string>& args) {
    return optionWarnings(parseArguments(args));
  };
  using Lines = std::vector<std::string>;
  EXPECT_EQ(warnings({"--ass-lace", "--no-fli", "i", "o.prg"}), Lines{});
  EXPECT_EQ(warnings({"--ass-lace", "i", "o.prg"}),
            Lines{"--ass-lace is ignored in FLI mode (it needs --no-fli)"});
  EXPECT_EQ(warnings({"--ass-lace", "--ntsc", "i", "o.raw", "o.png"}),
            (Lines{"--ass-lace is ignored: no .prg is written",
                   "--ntsc is ignored: no .prg is written"}));
  // "Ass Lace" also shapes what --c64-frames shows; NTSC does not.
  EXPECT_EQ(warnings({"--ass-lace", "--no-fli", "--c64-frames", "p", "i", "o.png"}), Lines{});
  EXPECT_EQ(warnings({"--ntsc", "--outdir", "d", "--to", "png", "--c64-frames", "i"}),
            Lines{"--ntsc is ignored: no .prg is written"});
  // In a batch the kinds of --to decide.
  EXPECT_EQ(warnings({"--outdir", "d", "--ntsc", "i"}), Lines{});
  EXPECT_EQ(warnings({"--outdir", "d", "--to", "raw", "--ntsc", "i"}),
            Lines{"--ntsc is ignored: no .prg is written"});
  // --ntsc picks the shape of a fitted picture unless --aspect does.
  EXPECT_EQ(warnings({"--fill", "--ntsc", "i", "o.png"}), Lines{});
  EXPECT_EQ(warnings({"--fill", "--ntsc", "--aspect", "pal", "i", "o.png"}),
            Lines{"--ntsc is ignored: no .prg is written"});
}

}  // namespace
}  // namespace peltrix::cli
