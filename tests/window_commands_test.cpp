// The window's commands, the same for both windows, driven through a skin of plain values
// instead of a toolkit: option rules, the spin, opening pictures, "Process", "Stop", the
// refresh ticks and the saves, natively, under ThreadSanitizer and under node alike.
#include "frontends/window/window_commands.hpp"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/result_views.hpp"
#include "frontends/window/quality_status.hpp"
#include "frontends/window/start_arguments.hpp"
#include "output/writers.hpp"
#include "picture_fixtures.hpp"
#include "scratch_folder.hpp"

namespace peltrix::testing {
namespace {

namespace fs = std::filesystem;

// A window whose controls are values; the commands find its primitives by lookup.
struct TestSkin {
  explicit TestSkin(SharedState& s) : state(s) {}
  SharedState& state;
  DialogHooks dialogs;
  std::array<bool, kControlCount> on{};
  std::array<bool, kControlCount> enabled = [] {
    std::array<bool, kControlCount> all{};
    all.fill(true);
    return all;
  }();
  std::array<bool, kMenuItemCount> itemEnabled = [] {
    std::array<bool, kMenuItemCount> all{};
    all.fill(true);
    return all;
  }();
  BlendViewShows blendViewShows = BlendViewShows::Blend;
  bool choiceWaits = false;
  OpenedPicture opened;
  int spin = kDefaultDitherLevel;
  int spinText = -1;
  int progress = 0;
  std::string status;
  int refreshes = 0, sourceShown = 0;
  RgbPicture blendShown;  // what picture view 1 shows
  MotionClock motion;
  bool motionTimer = false, legendShown = false;
  bool timerRunning = false;
  bool refuseTimer = false;
  RememberedChoices remembered;
  // The marked item of each radio group, as a new menu marks them.
  std::array<MenuItemId, kMenuRadioGroups.size()> marks = [] {
    std::array<MenuItemId, kMenuRadioGroups.size()> firsts{};
    for (std::size_t g = 0; g < firsts.size(); ++g) firsts[g] = kMenuRadioGroups[g].first;
    return firsts;
  }();
};

bool isOn(const TestSkin& w, ControlId id) {
  return w.on[id];
}
void setOn(TestSkin& w, ControlId id, bool on) {
  w.on[id] = on;
}
int spinValue(const TestSkin& w) {
  return w.spin;
}
void setSpinValue(TestSkin& w, int n) {
  w.spin = n;
}
void setSpinText(TestSkin& w, int n) {
  w.spinText = n;
}
void markRadioItem(TestSkin& w, MenuItemId item) {
  for (std::size_t g = 0; g < w.marks.size(); ++g) {
    if (kMenuRadioGroups[g].holds(item)) w.marks[g] = item;
  }
}
void setEnabled(TestSkin& w, ControlId id, bool on) {
  w.enabled[id] = on;
}
void setMenuItemEnabled(TestSkin& w, MenuItemId item, bool on) {
  w.itemEnabled[item] = on;
}
void setProgress(TestSkin& w, int n) {
  w.progress = n;
}
void setStatus(TestSkin& w, const std::string& text) {
  w.status = text;
}
void showBlendPicture(TestSkin& w, const RgbPicture& picture) {
  w.blendShown = picture;
}
void refreshPreviews(TestSkin& w) {
  ++w.refreshes;
  showBlendPicture(w, blendViewPicture(w.state, w.blendViewShows, w.motion));
}
void showFlickerLegend(TestSkin& w, bool on) {
  w.legendShown = on;
}
void startMotionTimer(TestSkin& w) {
  w.motionTimer = true;
}
void stopMotionTimer(TestSkin& w) {
  w.motionTimer = false;
}
void showSourcePicture(TestSkin& w) {
  ++w.sourceShown;
}
bool startRefreshTimer(TestSkin& w, std::string& reason) {
  if (w.refuseTimer) {
    reason = "no timers left";
    return false;
  }
  w.timerRunning = true;
  return true;
}
void stopRefreshTimer(TestSkin& w) {
  w.timerRunning = false;
}

static_assert(WindowSkin<TestSkin>);

class WindowCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    window.dialogs.chooseOpenPath = [this] {
      ++openAsked;
      return openAnswer;
    };
    window.dialogs.chooseSavePath = [this](SaveForm form) {
      saveAsked.push_back(form);
      return saveAnswer;
    };
    window.dialogs.showMessage = [this](const std::string& m) { messages.push_back(m); };
    window.dialogs.showAbout = [this] { ++aboutShown; };
    window.dialogs.adjustTone = [this](const Tone& start,
                                       const std::function<void(const Tone&)>& changed) {
      toneAtStart = start;
      for (const Tone& tone : toneMoves) changed(tone);
    };
    applyInitialStates(window);
  }

  // What a user's click on a checkbox does: the box flips, then its handler runs.
  void click(ControlId box) {
    window.on[box] = !window.on[box];
    if (box == kLumaOnlyBox) {
      onLumaOnlyToggled(window);
    } else if (box == kNtscBox || box == kAssLaceBox) {
      onViewerOptionToggled(window);
    } else {
      onOptionToggled(window, box);
    }
  }

  // The refresh timer's ticks until it stops itself; false if the job never ends.
  bool tickUntilDone() {
    for (int i = 0; i < 60000 && window.timerRunning; ++i) {
      if (!onRefreshTick(window)) return true;
      waitForJob(state, rowsDone(state), std::chrono::milliseconds(10));
    }
    return false;
  }

  // The quickest options, so that a whole job on the black start picture takes moments.
  void quickOptions() {
    click(kBruteForceBox);
    click(kFliBox);
  }

  void TearDown() override { fs::remove_all(folder); }

  fs::path file(const std::string& name) const { return folder / name; }

  // Opens a grey ramp, black on the left to white on the right, and returns it.
  RgbPicture openRamp() {
    RgbPicture ramp(kPixels);
    for (int i = 0; i < kPixels; ++i) ramp[i] = 0x010101u * ((i % kWidth) * 255 / (kWidth - 1));
    const std::string png = file("ramp.png").string();
    writeFile(png, pngFileBytes(ramp));
    EXPECT_TRUE(openPictureFromPath(window, png));
    return ramp;
  }

  static std::vector<uint8_t> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::unique_ptr<SharedState> state_ = std::make_unique<SharedState>();
  SharedState& state = *state_;
  TestSkin window{state};
  const fs::path folder = makeScratchFolder("peltrix-window-commands");
  std::string openAnswer, saveAnswer;
  int openAsked = 0, aboutShown = 0;
  Tone toneAtStart{.brightness = 99};
  std::vector<Tone> toneMoves;
  std::vector<SaveForm> saveAsked;
  std::vector<std::string> messages;
};

TEST_F(WindowCommands, AssLaceIsEnabledExactlyWhenFliAndSuperFlickerAreOffAndKeepsItsState) {
  click(kFliBox);  // both off
  EXPECT_TRUE(window.enabled[kAssLaceBox]);
  window.on[kAssLaceBox] = true;
  click(kSuperFlickerBox);  // super flicker on
  EXPECT_FALSE(window.enabled[kAssLaceBox]);
  EXPECT_TRUE(window.on[kAssLaceBox]) << "a disabled Ass Lace that was on stays on";
  click(kFliBox);  // both on
  EXPECT_FALSE(window.enabled[kAssLaceBox]);
  click(kSuperFlickerBox);  // FLI alone
  EXPECT_FALSE(window.enabled[kAssLaceBox]);
  click(kFliBox);  // both off again
  EXPECT_TRUE(window.enabled[kAssLaceBox]);
  EXPECT_TRUE(window.on[kAssLaceBox]);
}

TEST_F(WindowCommands, TheSpinSetsItsTextAndTheDitherLevelAndLumaOnlyReachesTheWorkers) {
  for (int level : {3, 0, 1}) {
    window.spin = level;
    onDitherChanged(window);
    EXPECT_EQ(window.spinText, level);
    EXPECT_EQ(state.chosen.ditherLevel, level);
  }
  click(kLumaOnlyBox);
  EXPECT_TRUE(state.lumaOnly.load());
  click(kLumaOnlyBox);
  EXPECT_FALSE(state.lumaOnly.load());
}

TEST_F(WindowCommands, ProcessTicksToCompletionAndTheSavesFollowTheBoxes) {
  saveAnswer = file("never.raw").string();
  EXPECT_FALSE(onSaveRaw(window)) << "no result yet";
  EXPECT_FALSE(onSavePrg(window));
  EXPECT_TRUE(saveAsked.empty());

  quickOptions();
  onProcess(window);
  ASSERT_TRUE(jobRunning(state));
  ASSERT_TRUE(window.timerRunning);
  ASSERT_TRUE(tickUntilDone());
  EXPECT_FALSE(jobRunning(state));
  EXPECT_TRUE(state.resultReady);
  EXPECT_EQ(window.progress, 0) << "the bar empties once the job is complete";
  EXPECT_GT(window.refreshes, 0);

  saveAnswer = file("black.raw").string();
  EXPECT_TRUE(onSaveRaw(window));
  EXPECT_EQ(fs::file_size(saveAnswer), 27648u);
  // The path is used as typed, and the viewer follows the boxes at the moment of saving.
  saveAnswer = file("pal").string();
  EXPECT_TRUE(onSavePrg(window));
  window.on[kNtscBox] = true;
  saveAnswer = file("ntsc").string();
  EXPECT_TRUE(onSavePrg(window));
  const std::vector<SaveForm> asked{SaveForm::Raw, SaveForm::Program, SaveForm::Program};
  EXPECT_EQ(saveAsked, asked);
  const auto pal = readFile(file("pal")), ntsc = readFile(file("ntsc"));
  EXPECT_EQ(pal.size(), 31746u);
  EXPECT_EQ(pal, programFileBytes(state.result.c64Data, DataForm::NonFli, Viewer::StandardPal));
  EXPECT_EQ(ntsc, programFileBytes(state.result.c64Data, DataForm::NonFli, Viewer::StandardNtsc));
  EXPECT_TRUE(messages.empty());
}

TEST_F(WindowCommands, WhileAJobRunsOpenSaveAndProcessAreRefusedButAboutAndOptionsAct) {
  onProcess(window);
  ASSERT_TRUE(jobRunning(state));
  openAnswer = "/nonexistent.jpg";
  onOpenBitmap(window);
  EXPECT_EQ(openAsked, 0);
  state.resultReady = true;  // even with a result, no save during a job
  EXPECT_FALSE(onSaveRaw(window));
  onProcess(window);  // a second "Process" is ignored
  onAbout(window);
  EXPECT_EQ(aboutShown, 1);
  window.spin = 0;
  onDitherChanged(window);
  EXPECT_EQ(window.spinText, 0);
  EXPECT_TRUE(saveAsked.empty());
  EXPECT_TRUE(messages.empty());
  onStop(window);
  ASSERT_TRUE(tickUntilDone());
}

// A choice made during a conversion waits for the next one and the status line says so;
// "Luma only mode" alone reaches the running job. The next "Process" empties the line.
TEST_F(WindowCommands, ChoicesDuringAJobWaitForTheNextAndTheStatusLineSaysSo) {
  onPaletteChosen(window, 1);
  window.on[kFliBox] = false;
  onOptionToggled(window, kFliBox);
  EXPECT_EQ(window.status, "") << "no job: nothing to say";
  onProcess(window);
  ASSERT_TRUE(jobRunning(state));
  const JobSettings started = state.jobSettings;
  EXPECT_EQ(started.palette, builtinPalettes()[1].colours);
  EXPECT_FALSE(started.fli);

  window.on[kLumaOnlyBox] = true;
  onLumaOnlyToggled(window);
  EXPECT_TRUE(state.lumaOnly.load()) << "live";
  EXPECT_EQ(window.status, "");
  onPaletteChosen(window, 2);
  EXPECT_EQ(window.status, kNextConversionStatus);
  window.status.clear();
  window.spin = 0;
  onDitherChanged(window);
  EXPECT_EQ(window.status, kNextConversionStatus);
  window.status.clear();
  window.on[kBruteForceBox] = false;
  onOptionToggled(window, kBruteForceBox);
  EXPECT_EQ(window.status, kNextConversionStatus);
  EXPECT_EQ(state.jobSettings, started) << "the running job keeps its copy";

  onStop(window);
  ASSERT_TRUE(tickUntilDone());
  EXPECT_EQ(state.result.settings.palette, builtinPalettes()[1].colours);
  onProcess(window);
  EXPECT_EQ(window.status, "");
  EXPECT_EQ(state.jobSettings.palette, builtinPalettes()[2].colours);
  EXPECT_EQ(state.jobSettings.ditherLevel, 0);
  EXPECT_FALSE(state.jobSettings.bruteForce);
  onStop(window);
  ASSERT_TRUE(tickUntilDone());
}

// The match and the eye match's dither are choices for the next conversion like the palette;
// the dither items are enabled only with "Eye match".
TEST_F(WindowCommands, MatchAndEyeDitherReachTheNextProcessAndGreyTheDitherItems) {
  auto ditherItemsEnabled = [&](bool expected) {
    for (MenuItemId item : {kDiffusionItem, kOrderedDitherItem, kNoDitherItem}) {
      if (window.itemEnabled[item] != expected) return false;
    }
    return true;
  };
  EXPECT_TRUE(ditherItemsEnabled(false)) << "the classic match is chosen at start-up";
  onRadioItemChosen(window, kEyeMatchItem);
  EXPECT_TRUE(ditherItemsEnabled(true));
  onRadioItemChosen(window, kOrderedDitherItem);
  EXPECT_EQ(state.chosen.match, engine::Match::Eye);
  EXPECT_EQ(state.chosen.eyeDither, EyeDither::Ordered);
  quickOptions();
  onProcess(window);
  EXPECT_EQ(state.jobSettings.match, engine::Match::Eye);
  EXPECT_EQ(state.jobSettings.eyeDither, EyeDither::Ordered);

  onRadioItemChosen(window, kNoDitherItem);
  EXPECT_EQ(window.status, kNextConversionStatus);
  onRadioItemChosen(window, kClassicMatchItem);
  EXPECT_TRUE(ditherItemsEnabled(false));
  EXPECT_EQ(state.jobSettings.eyeDither, EyeDither::Ordered) << "the running job keeps its copy";
  ASSERT_TRUE(tickUntilDone());
  onProcess(window);
  EXPECT_EQ(state.jobSettings.match, engine::Match::Classic);
  EXPECT_EQ(state.jobSettings.eyeDither, EyeDither::None);
  ASSERT_TRUE(tickUntilDone());
}

// A completed conversion's quality report, of the source as it was converted: a tone chosen
// meanwhile changes neither the report nor the fact that it waits, and the line says both.
TEST_F(WindowCommands, ACompletedConversionReportsItsQualityOnTheStatusLine) {
  const RgbPicture ramp = openRamp();
  quickOptions();
  onProcess(window);
  toneMoves = {Tone{.contrast = 50}};
  onAdjust(window);
  ASSERT_TRUE(tickUntilDone());
  const QualityReport report = qualityReport(ramp, state.planes, kPalette);
  EXPECT_GT(report.errorMean, 0);
  EXPECT_EQ(window.status, qualityStatusText(report) + " " + kNextConversionStatus);

  onProcess(window);
  EXPECT_EQ(window.status, "");
  ASSERT_TRUE(tickUntilDone());
  EXPECT_EQ(window.status, qualityStatusText(qualityReport(tonedPixels(ramp, Tone{.contrast = 50}),
                                                           state.planes, kPalette)));
}

// The error diffusion of an eye match runs in the completion step: the views show its frames.
TEST_F(WindowCommands, TheViewsShowTheFramesTheCompletionStepLeaves) {
  openRamp();
  quickOptions();
  state.chosen.match = engine::Match::Eye;
  onProcess(window);
  ASSERT_TRUE(tickUntilDone());
  ASSERT_TRUE(state.result.settings.diffuses());
  EXPECT_EQ(window.blendShown, blendView(state));
}

TEST_F(WindowCommands, TheViewMenuChoosesWhatTheBlendViewShowsAtOnce) {
  openRamp();
  quickOptions();
  onProcess(window);
  ASSERT_TRUE(tickUntilDone());
  ASSERT_NE(blendView(state), eyeView(state));
  const int refreshes = window.refreshes;
  onRadioItemChosen(window, kEyeViewItem);
  EXPECT_EQ(window.blendShown, eyeView(state));
  EXPECT_EQ(window.refreshes, refreshes + 1);
  onRadioItemChosen(window, kFlickerViewItem);
  EXPECT_EQ(window.blendShown, flickerView(state));
  EXPECT_TRUE(window.legendShown);
  onRadioItemChosen(window, kBlendViewItem);
  EXPECT_EQ(window.blendShown, blendView(state));
  EXPECT_FALSE(window.legendShown);
  EXPECT_FALSE(window.choiceWaits) << "not a choice for the next conversion";
}

// The picture in motion runs on its timer only while shown: each refresh the next C64 frame at
// full speed, every fourth at 1/4, none while paused.
TEST_F(WindowCommands, ThePictureInMotionStepsWithItsTimer) {
  openRamp();
  quickOptions();
  onProcess(window);
  ASSERT_TRUE(tickUntilDone());
  onRadioItemChosen(window, kMotionViewItem);
  ASSERT_TRUE(window.motionTimer);
  EXPECT_EQ(window.blendShown, motionView(state, 0));
  onMotionTick(window);
  EXPECT_EQ(window.blendShown, motionView(state, 1));
  onRadioItemChosen(window, kQuarterSpeedItem);
  for (int i = 0; i < 3; ++i) onMotionTick(window);
  EXPECT_EQ(window.blendShown, motionView(state, 1));
  onMotionTick(window);
  EXPECT_EQ(window.blendShown, motionView(state, 2));
  onPlayPause(window);
  for (int i = 0; i < 8; ++i) onMotionTick(window);
  EXPECT_EQ(window.motion.videoFrame(), 2);
  onRadioItemChosen(window, kBlendViewItem);
  EXPECT_FALSE(window.motionTimer);
}

TEST_F(WindowCommands, WithoutItsTimerAJobIsStoppedAndCompletedAndTheUserTold) {
  window.refuseTimer = true;
  onProcess(window);
  EXPECT_FALSE(jobRunning(state));
  EXPECT_TRUE(state.resultReady);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("no timers left"), std::string::npos) << messages[0];
}

TEST_F(WindowCommands, ATickShowsTheRowWorkerAIsOnAndKeepsTheTimerWhileTheJobRuns) {
  state.job.workers[0].rowsDone.store(12);
  state.job.busy.store(true);  // a job whose worker is still on row 12
  state.job.workerCount.store(1);
  EXPECT_TRUE(onRefreshTick(window));
  EXPECT_EQ(window.progress, 13);
  EXPECT_EQ(window.refreshes, 1);
  state.job.busy.store(false);
}

TEST_F(WindowCommands, OpeningShowsTheNewPictureAndAFailureKeepsTheOldOneAndSaysWhy) {
  onOpenBitmap(window);  // cancelled: "" is the answer
  EXPECT_EQ(openAsked, 1);
  EXPECT_EQ(window.sourceShown, 0);

  const RgbPicture grey(kPixels, 0x204060);
  openAnswer = file("grey.png").string();
  writeFile(openAnswer, pngFileBytes(grey));
  onOpenBitmap(window);
  EXPECT_EQ(window.sourceShown, 1);

  openAnswer = file("notes.jpg").string();
  std::ofstream(openAnswer) << "these are not the pixels you are looking for";
  onOpenBitmap(window);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("notes.jpg"), std::string::npos) << messages[0];
  EXPECT_EQ(window.sourceShown, 1) << "the view keeps the old picture";
}

// The "Framing" menu frames the opened picture anew from its file at once, or after the
// running job; the boxes that change the viewer change the visible area; a drag moves the
// unscaled region, but not during a job.
TEST_F(WindowCommands, TheFramingReframesTheOpenedPictureAndADragMovesIt) {
  const std::string path = file("wide.png").string();
  writeFile(path, fixtures::encodeRgbPng(640, 400, fixtures::distinct));
  ASSERT_TRUE(openPictureFromPath(window, path));
  const auto framedBy = [&](Framing::Mode mode, bool visible, int hidden) {
    Framing f;
    f.mode = mode;
    f.visible = visible;
    f.hiddenColumns = hidden;
    return loadFramedPicture(path, f).rgb;
  };
  EXPECT_EQ(state.sourceImage.rgb, framedBy(Framing::Mode::Region, false, 0));

  onRadioItemChosen(window, kFitVisibleItem);
  EXPECT_EQ(state.sourceImage.rgb, framedBy(Framing::Mode::Fit, true, 24)) << "the FLI viewer";
  EXPECT_EQ(window.sourceShown, 2);
  click(kFliBox);
  click(kSuperFlickerBox);
  onOptionToggled(window, kSuperFlickerBox);
  EXPECT_EQ(state.sourceImage.rgb, framedBy(Framing::Mode::Fit, true, 0)) << "whole-frame viewer";

  click(kBruteForceBox);  // quicker
  onProcess(window);
  ASSERT_TRUE(jobRunning(state));
  onRadioItemChosen(window, kFillFramingItem);
  EXPECT_EQ(window.status, kNextConversionStatus);
  EXPECT_EQ(state.sourceImage.rgb, framedBy(Framing::Mode::Fit, true, 0)) << "the job's picture";
  onStop(window);
  ASSERT_TRUE(tickUntilDone());
  EXPECT_EQ(state.sourceImage.rgb, framedBy(Framing::Mode::Fill, false, 0));

  onRadioItemChosen(window, kTopLeftFramingItem);
  onSourcePressed(window, 100, 50);
  onSourceDragged(window, 90, 45);
  onSourceReleased(window);
  EXPECT_EQ(state.chosen.framing.left, 10u);
  EXPECT_EQ(state.chosen.framing.top, 5u);
  Framing region;
  region.left = 10, region.top = 5;
  EXPECT_EQ(state.sourceImage.rgb, loadFramedPicture(path, region).rgb);
  onProcess(window);
  onSourcePressed(window, 100, 50);
  onSourceDragged(window, 0, 0);
  EXPECT_EQ(state.chosen.framing.left, 10u) << "not during a job";
  onStop(window);
  ASSERT_TRUE(tickUntilDone());

  onRadioItemChosen(window, kFillVisibleItem);
  onRestoreDefaults(window);
  EXPECT_EQ(state.sourceImage.rgb, framedBy(Framing::Mode::Region, false, 0));
  EXPECT_TRUE(messages.empty());
}

TEST_F(WindowCommands, AFailedSaveIsShownAndWritesNothing) {
  quickOptions();
  onProcess(window);
  ASSERT_TRUE(tickUntilDone());
  saveAnswer = file("no-such-folder/out.raw").string();
  EXPECT_TRUE(onSaveRaw(window));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("out.raw"), std::string::npos) << messages[0];
}

TEST_F(WindowCommands, ADroppedFileOpensLikeOpenBitmapButNotDuringAJob) {
  const RgbPicture grey(kPixels, 0);
  const std::string png = file("grey.png").string();
  writeFile(png, pngFileBytes(grey));
  onProcess(window);
  onPictureDropped(window, png);
  EXPECT_EQ(window.sourceShown, 0) << "a job is running";
  onStop(window);
  ASSERT_TRUE(tickUntilDone());
  onPictureDropped(window, png);
  EXPECT_EQ(window.sourceShown, 1);
  EXPECT_EQ(openAsked, 0) << "no dialog for a dropped file";
}

TEST_F(WindowCommands, PicturePaletteAndToneReachTheStateAndTheToneShowsAtOnce) {
  onPaletteChosen(window, 1);
  EXPECT_EQ(state.chosen.palette, builtinPalettes()[1].colours);
  onPaletteChosen(window, kBuiltinPaletteCount);  // no such item
  EXPECT_EQ(state.chosen.palette, builtinPalettes()[1].colours);

  const Tone moved{.brightness = 10, .contrast = 20, .saturation = 90, .gammaHundredths = 150};
  toneMoves = {moved, moved, Tone{.saturation = 201}};  // a repeat and an out-of-range tone
  onAdjust(window);
  EXPECT_TRUE(toneAtStart.neutral());
  EXPECT_EQ(state.chosen.tone, moved);
  EXPECT_EQ(window.sourceShown, 1);  // once per real change

  toneMoves = {Tone{}};  // "Reset"
  onAdjust(window);
  EXPECT_EQ(toneAtStart, moved);
  EXPECT_TRUE(state.chosen.tone.neutral());
  EXPECT_EQ(window.sourceShown, 2);
}

std::string fileBytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What the settings file holds after a window wrote it.
WindowChoices writtenChoices(const std::string& path) {
  const LoadedChoices loaded = loadWindowChoices(path);
  EXPECT_EQ(loaded.warning, "");
  return loaded.choices.value_or(WindowChoices{.ditherLevel = -1});
}

TEST_F(WindowCommands, TheStartUpStatesAreTheDefaultChoices) {
  EXPECT_TRUE(window_commands::shownChoices(window) == WindowChoices{});
  EXPECT_EQ(window.marks, radioItemsOf(WindowChoices{}));
}

TEST_F(WindowCommands, EveryChoiceIsWrittenWhenMadeAndShownAtTheNextStart) {
  const std::string path = file("config/peltrix/window-settings.txt").string();
  startRemembering(window, path, false);  // no file yet: the defaults, nothing written
  EXPECT_FALSE(fs::exists(path));
  click(kNtscBox);
  EXPECT_TRUE(writtenChoices(path).ntsc);
  click(kFliBox);
  window.spin = 0;
  onDitherChanged(window);
  onRadioItemChosen(window, paletteItem(2));
  onRadioItemChosen(window, kEyeMatchItem);
  onRadioItemChosen(window, kOrderedDitherItem);
  onRadioItemChosen(window, kMotionViewItem);
  onRadioItemChosen(window, kQuarterSpeedItem);
  toneMoves = {Tone{.contrast = 30}};
  onAdjust(window);
  state.chosen.framing = {.mode = Framing::Mode::Fit, .aspect = PixelAspect::Ntsc};
  WindowChoices expected{.fli = false,
                         .ntsc = true,
                         .ditherLevel = 0,
                         .palette = 2,
                         .match = engine::Match::Eye,
                         .eyeDither = EyeDither::Ordered,
                         .tone = {.contrast = 30},
                         .view = BlendViewShows::Motion,
                         .motionSpeed = MotionSpeed::Quarter};
  EXPECT_TRUE(writtenChoices(path) == expected) << "each choice when made";
  expected.framing = state.chosen.framing;
  window_commands::rememberChoices(window);  // as "Exit" does, for a choice made elsewhere
  EXPECT_TRUE(writtenChoices(path) == expected);

  SharedState nextState;
  TestSkin next{nextState};
  applyInitialStates(next);
  startRemembering(next, path, false);
  EXPECT_TRUE(window_commands::shownChoices(next) == expected);
  EXPECT_EQ(next.marks, radioItemsOf(expected));
  EXPECT_TRUE(next.enabled[kAssLaceBox]) << "the rules follow the choices";
  EXPECT_TRUE(next.itemEnabled[kDiffusionItem]);
  EXPECT_EQ(next.spinText, 0);
  EXPECT_EQ(nextState.chosen.ditherLevel, 0);
  EXPECT_EQ(nextState.chosen.palette, builtinPalettes()[2].colours);
  EXPECT_TRUE(next.motionTimer);
  EXPECT_EQ(next.motion.speed(), MotionSpeed::Quarter);
  EXPECT_GT(next.sourceShown, 0) << "the source view shows the tone";

  SharedState resetState;
  TestSkin reset{resetState};
  applyInitialStates(reset);
  startRemembering(reset, path, true);
  EXPECT_TRUE(window_commands::shownChoices(reset) == WindowChoices{});
  EXPECT_TRUE(writtenChoices(path) == expected) << "kept until the next save";
  reset.on[kMultithreadBox] = false;
  onOptionToggled(reset, kMultithreadBox);
  EXPECT_FALSE(writtenChoices(path).ntsc) << "the next save replaces the file";
  EXPECT_FALSE(writtenChoices(path).multithread);
}

TEST_F(WindowCommands, RestoreDefaultsPutsEveryChoiceBackAtOnce) {
  const std::string path = file("window-settings.txt").string();
  fs::create_directories(folder);
  std::ofstream(path) << "peltrix-window-settings 1\nntsc=on\nluma-only=on\nfli=off\n"
                         "super-flicker=on\nview=flicker-map\nmatch=eye\nbrightness=5\n";
  startRemembering(window, path, false);
  ASSERT_TRUE(window.on[kNtscBox] && state.lumaOnly.load() && window.legendShown);
  onRestoreDefaults(window);
  EXPECT_TRUE(window_commands::shownChoices(window) == WindowChoices{});
  EXPECT_EQ(window.marks, radioItemsOf(WindowChoices{}));
  EXPECT_FALSE(state.lumaOnly.load());
  EXPECT_FALSE(window.enabled[kAssLaceBox]);
  EXPECT_FALSE(window.itemEnabled[kDiffusionItem]);
  EXPECT_FALSE(window.legendShown);
  EXPECT_EQ(window.spinText, kDefaultDitherLevel);
  EXPECT_TRUE(state.chosen == JobSettings{}) << "the next conversion's settings too";
  EXPECT_EQ(fileBytesOf(path), formatWindowChoices(WindowChoices{}));
}

TEST(QualityStatus, TheCommandLinesFiguresAtItsPrecision) {
  EXPECT_EQ(qualityStatusText({.errorMean = 3.7949,
                               .errorP95 = 10.431,
                               .flickerMean = 0.01214,
                               .flickerShareAbove002 = 0.20349}),
            "Error 3.79 mean, 10.43 p95 (CIEDE2000); flicker 0.0121 mean, 20.3 % above 0.02");
}

TEST(WindowStartArguments, APictureTheOptionsAndWhatIsRefused) {
  using Action = WindowStart::Action;
  EXPECT_EQ(parseWindowArguments({}).action, Action::Run);
  EXPECT_EQ(parseWindowArguments({}).picture, "");
  EXPECT_EQ(parseWindowArguments({"a.jpg", "b.png"}).picture, "a.jpg") << "the first of several";
  EXPECT_EQ(parseWindowArguments({"--", "-odd.png"}).picture, "-odd.png");
  EXPECT_EQ(parseWindowArguments({"a.jpg", "--help"}).action, Action::Help);
  EXPECT_EQ(parseWindowArguments({"-h"}).action, Action::Help);
  EXPECT_EQ(parseWindowArguments({"--version"}).action, Action::Version);
  const WindowStart odd = parseWindowArguments({"--fullscreen"});
  EXPECT_EQ(odd.action, Action::Refused);
  EXPECT_EQ(odd.message, "unknown option '--fullscreen'");
  EXPECT_EQ(parseWindowArguments({"-"}).picture, "-") << "a lone dash is a name";
  EXPECT_FALSE(parseWindowArguments({"a.jpg"}).reset);
  const WindowStart reset = parseWindowArguments({"--reset", "a.jpg"});
  EXPECT_TRUE(reset.reset);
  EXPECT_EQ(reset.picture, "a.jpg");
}

}  // namespace
}  // namespace peltrix::testing
