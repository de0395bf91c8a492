// The windows' settings file: every choice goes through its text and back, and a file that is
// broken or of another program is passed over (with a line saying which and why) instead of
// half-read.
#include "frontends/window/window_settings.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "frontends/window/settings_file.hpp"
#include "scratch_folder.hpp"

namespace peltrix::testing {
namespace {

namespace fs = std::filesystem;

// Every choice away from its default.
WindowChoices everyChoiceChanged() {
  WindowChoices c;
  c.multithread = c.bruteForce = c.lumaOverload = c.fli = false;
  c.ntsc = c.superFlicker = c.assLace = c.lumaOnly = true;
  c.ditherLevel = 3;
  c.palette = 2;
  c.match = engine::Match::Eye;
  c.eyeDither = EyeDither::None;
  c.tone = {.brightness = -100, .contrast = 37, .saturation = 200, .gammaHundredths = 20};
  c.framing = {.mode = Framing::Mode::Fill,
               .left = 4000000000u,
               .top = 17,
               .fillFromOffset = true,
               .aspect = PixelAspect::Square,
               .visible = true};
  c.view = BlendViewShows::FlickerMap;
  c.motionSpeed = MotionSpeed::Sixteenth;
  return c;
}

TEST(WindowSettings, EveryChoiceSurvivesItsText) {
  for (const WindowChoices& choices : {WindowChoices{}, everyChoiceChanged()}) {
    const ParsedChoices parsed = parseWindowChoices(formatWindowChoices(choices));
    EXPECT_EQ(parsed.problem, "");
    ASSERT_TRUE(parsed.choices.has_value());
    EXPECT_TRUE(*parsed.choices == choices) << formatWindowChoices(choices);
  }
  // Each value of the words the file spells.
  for (BlendViewShows view : {BlendViewShows::Blend, BlendViewShows::EyeSees,
                              BlendViewShows::Motion, BlendViewShows::FlickerMap}) {
    WindowChoices c;
    c.view = view;
    EXPECT_EQ(parseWindowChoices(formatWindowChoices(c)).choices->view, view);
  }
  for (EyeDither dither : {EyeDither::Diffusion, EyeDither::Ordered, EyeDither::None}) {
    WindowChoices c;
    c.eyeDither = dither;
    EXPECT_EQ(parseWindowChoices(formatWindowChoices(c)).choices->eyeDither, dither);
  }
  for (PixelAspect aspect : {PixelAspect::Pal, PixelAspect::Ntsc, PixelAspect::Square}) {
    for (Framing::Mode mode : {Framing::Mode::Region, Framing::Mode::Fit, Framing::Mode::Fill}) {
      WindowChoices c;
      c.framing.aspect = aspect;
      c.framing.mode = mode;
      EXPECT_TRUE(parseWindowChoices(formatWindowChoices(c)).choices->framing == c.framing);
    }
  }
  for (MotionSpeed speed : {MotionSpeed::Full, MotionSpeed::Quarter, MotionSpeed::Sixteenth}) {
    WindowChoices c;
    c.motionSpeed = speed;
    EXPECT_EQ(parseWindowChoices(formatWindowChoices(c)).choices->motionSpeed, speed);
  }
}

TEST(WindowSettings, TheDefaultsAreTheConversionsDefaults) {
  const WindowChoices c;
  const JobSettings job;
  EXPECT_EQ(c.multithread, job.multithread);
  EXPECT_EQ(c.bruteForce, job.bruteForce);
  EXPECT_EQ(c.lumaOverload, job.lumaOverload);
  EXPECT_EQ(c.fli, job.fli);
  EXPECT_EQ(c.ntsc, job.ntsc);
  EXPECT_EQ(c.superFlicker, job.superFlicker);
  EXPECT_EQ(c.assLace, job.assLace);
  EXPECT_EQ(c.lumaOnly, job.lumaOnly);
  EXPECT_EQ(c.ditherLevel, job.ditherLevel);
  EXPECT_TRUE(builtinPalettes()[c.palette].colours == job.palette);
  EXPECT_EQ(c.match, job.match);
  EXPECT_EQ(c.eyeDither, job.eyeDither);
  EXPECT_TRUE(c.tone == job.tone);
  EXPECT_TRUE(c.framing == job.framing);
  // And each radio group's first item, the one a new window marks.
  const auto items = radioItemsOf(c);
  for (std::size_t g = 0; g < kMenuRadioGroups.size(); ++g) {
    EXPECT_EQ(items[g], kMenuRadioGroups[g].first);
  }
}

TEST(WindowSettings, EachRadioItemShowsItsChoice) {
  const auto items = radioItemsOf(everyChoiceChanged());
  const std::array<MenuItemId, kMenuRadioGroups.size()> expected = {
      paletteItem(2),    kEyeMatchItem,    kNoDitherItem,      kFillVisibleItem,
      kSquareAspectItem, kFlickerViewItem, kSixteenthSpeedItem};
  EXPECT_EQ(items, expected);
  WindowChoices fit;
  fit.framing.mode = Framing::Mode::Fit;
  EXPECT_EQ(radioItemsOf(fit)[3], kFitFramingItem);
}

TEST(WindowSettings, AReaderTakesWhatItKnowsAndLeavesTheRestAtItsDefault) {
  const ParsedChoices parsed = parseWindowChoices(
      "peltrix-window-settings 7\r\n"
      "# a later version's file\r\n"
      "\r\n"
      "ntsc = on\r\n"
      "colour-of-the-cat=black\r\n"
      "dither=0\r\n"
      "dither=1\r\n");
  ASSERT_TRUE(parsed.choices.has_value()) << parsed.problem;
  WindowChoices expected;
  expected.ntsc = true;
  expected.ditherLevel = 1;
  EXPECT_TRUE(*parsed.choices == expected);
}

TEST(WindowSettings, ABrokenOrForeignTextHoldsNoChoicesAndSaysWhy) {
  const std::string header = "peltrix-window-settings 1\n";
  const struct {
    std::string text, problem;
  } cases[] = {
      {"", "its first line is not \"peltrix-window-settings 1\""},
      {"[Settings]\nntsc=on\n", "its first line is not \"peltrix-window-settings 1\""},
      {"peltrix-window-settings\n", "its first line is not \"peltrix-window-settings 1\""},
      {"peltrix-window-settings 0\n", "its first line is not \"peltrix-window-settings 1\""},
      {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
       "its first line is not \"peltrix-window-settings 1\""},
      {header + "ntsc\n", "line 2 \"ntsc\" is not key=value"},
      {header + "ntsc=yes\n", "line 2: \"yes\" is no value for ntsc"},
      {header + "\ndither=4\n", "line 3: \"4\" is no value for dither"},
      {header + "dither=-1\n", "line 2: \"-1\" is no value for dither"},
      {header + "dither=+2\n", "line 2: \"+2\" is no value for dither"},
      {header + "dither=2x\n", "line 2: \"2x\" is no value for dither"},
      {header + "palette=vice\n", "line 2: \"vice\" is no value for palette"},
      {header + "gamma-hundredths=501\n", "line 2: \"501\" is no value for gamma-hundredths"},
      {header + "saturation=-1\n", "line 2: \"-1\" is no value for saturation"},
      {header + "framing-left=4294967296\n", "line 2: \"4294967296\" is no value for framing-left"},
      {header + "view=\x01\xff\n", "line 2: \"??\" is no value for view"},
  };
  for (const auto& c : cases) {
    const ParsedChoices parsed = parseWindowChoices(c.text);
    EXPECT_FALSE(parsed.choices.has_value()) << c.text;
    EXPECT_EQ(parsed.problem, c.problem) << c.text;
  }
}

TEST(SettingsFile, WrittenIntoItsNewFolderAndReadBack) {
  const fs::path scratch = makeScratchFolder("peltrix-settings");
  const std::string path = (scratch / "config" / "peltrix" / "window-settings.txt").string();
  EXPECT_FALSE(loadWindowChoices(path).choices.has_value()) << "no file yet";
  EXPECT_EQ(loadWindowChoices(path).warning, "") << "no file is no trouble";
  saveWindowChoices(path, everyChoiceChanged());
  const LoadedChoices loaded = loadWindowChoices(path);
  EXPECT_EQ(loaded.warning, "");
  ASSERT_TRUE(loaded.choices.has_value());
  EXPECT_TRUE(*loaded.choices == everyChoiceChanged());
  EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(path).parent_path()), {}), 1)
      << "nothing but the file beside it";
  fs::remove_all(scratch);
}

TEST(SettingsFile, ABrokenFileIsPassedOverWithAWarningNamingIt) {
  const fs::path scratch = makeScratchFolder("peltrix-settings");
  const std::string path = (scratch / "window-settings.txt").string();
  std::ofstream(path, std::ios::binary) << "peltrix-window-settings 1\nmatch=sideways\n";
  LoadedChoices loaded = loadWindowChoices(path);
  EXPECT_FALSE(loaded.choices.has_value());
  EXPECT_EQ(loaded.warning, "ignoring the settings file " + path +
                                " (line 2: \"sideways\" is no value for match): the window "
                                "starts with its default choices");
  // A folder in its place cannot be read at all.
  fs::remove(path);
  fs::create_directory(path);
  loaded = loadWindowChoices(path);
  EXPECT_FALSE(loaded.choices.has_value());
  EXPECT_NE(loaded.warning.find("ignoring the settings file " + path + " ("), std::string::npos)
      << loaded.warning;
  fs::remove_all(scratch);
}

}  // namespace
}  // namespace peltrix::testing
