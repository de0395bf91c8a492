// What the window's menu items, buttons, checkboxes, spin and refresh timer do, once for every
// skin (GTK, Win32). A skin's MainWindow holds the shared state and its dialogs; the skin's
// namespace gives the few control primitives below, found by argument-dependent lookup. So
// both windows run the very same commands, and a skin only reads and sets its controls: every
// menu item, button, checkbox, the spin, the refresh timer and the close box call exactly
// these functions, and tests drive the window through them as a user does. All run on the
// GUI thread; a command whose precondition fails does nothing and shows nothing.
#pragma once

#include <concepts>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

#include "colour/framing_drag.hpp"
#include "core/commands.hpp"
#include "core/job.hpp"
#include "frontends/window/blend_view_choice.hpp"
#include "frontends/window/framing_choice.hpp"
#include "frontends/window/quality_status.hpp"
#include "frontends/window/settings_file.hpp"
#include "frontends/window/window_dialogs.hpp"
#include "frontends/window/window_layout.hpp"
#include "frontends/window/window_settings.hpp"
#include "platform/files.hpp"

namespace peltrix {

// What a skin's window offers the commands.
template <class Window>
concept WindowSkin = requires(Window& w, const Window& cw, ControlId id, MenuItemId item, int n,
                              bool on, std::string& reason) {
  { w.state } -> std::convertible_to<SharedState&>;
  { w.dialogs } -> std::convertible_to<DialogHooks&>;
  { w.blendViewShows } -> std::convertible_to<BlendViewShows&>;  // the "View" menu's choice
  { w.choiceWaits } -> std::convertible_to<bool&>;    // a choice made during the running job
  { w.motion } -> std::convertible_to<MotionClock&>;  // the picture in motion's clock
  { w.remembered } -> std::convertible_to<RememberedChoices&>;  // its settings file
  { w.opened } -> std::convertible_to<OpenedPicture&>;          // its file, framing and drag
  { isOn(cw, id) } -> std::same_as<bool>;
  setOn(w, id, on);
  { spinValue(cw) } -> std::same_as<int>;
  setSpinValue(w, n);      // moves the spin (its text follows through onDitherChanged)
  setSpinText(w, n);       // the spin does not format its own value
  markRadioItem(w, item);  // moves its radio group's mark to the item, running no command
  setEnabled(w, id, on);   // greys a control out, or back
  setMenuItemEnabled(w, item, on);
  setProgress(w, n);     // 0..25; larger values show a full bar
  setStatus(w, reason);  // the status line under the pictures; "" empties it
  refreshPreviews(w);    // the "View" menu's picture and the three frames into their views
  showBlendPicture(w, std::declval<const RgbPicture&>());  // into picture view 1 alone
  showFlickerLegend(w, on);  // the flicker map's colour scale under picture view 1, or not
  startMotionTimer(w);       // a tick per display refresh (onMotionTick); cannot fail
  stopMotionTimer(w);
  showSourcePicture(w);  // the framed source picture with the tone, undithered
  { startRefreshTimer(w, reason) } -> std::same_as<bool>;  // false (and why) if refused
  stopRefreshTimer(w);
};

namespace window_commands {

// A choice was made: while a job runs, it waits for the next one, and the status line says so.
template <WindowSkin W>
void noteChoice(W& main) {
  if (!jobRunning(main.state)) return;
  main.choiceWaits = true;
  setStatus(main, kNextConversionStatus);
}

// The eye match's dither items are enabled only while "Eye match" is chosen.
template <WindowSkin W>
void applyEyeDitherRule(W& main) {
  const bool eye = main.state.chosen.match == engine::Match::Eye;
  for (int item = kEyeDitherItems.first; item <= kEyeDitherItems.last; ++item) {
    setMenuItemEnabled(main, static_cast<MenuItemId>(item), eye);
  }
}

// A conversion was completed: its quality report on the status line (for a stopped one too:
// what it reached, black beyond), followed by the note of a choice made meanwhile.
template <WindowSkin W>
void showReport(W& main) {
  std::string report = conversionReportText(main.state);
  if (main.choiceWaits) report += std::string(" ") + kNextConversionStatus;
  main.choiceWaits = false;
  setStatus(main, report);
}

// The remembered choices as the window shows them now.
template <WindowSkin W>
WindowChoices shownChoices(const W& main) {
  WindowChoices choices{
      .multithread = isOn(main, kMultithreadBox),
      .bruteForce = isOn(main, kBruteForceBox),
      .lumaOverload = isOn(main, kLumaOverloadBox),
      .fli = isOn(main, kFliBox),
      .ntsc = isOn(main, kNtscBox),
      .superFlicker = isOn(main, kSuperFlickerBox),
      .assLace = isOn(main, kAssLaceBox),
      .lumaOnly = isOn(main, kLumaOnlyBox),
      .ditherLevel = spinValue(main),
      .match = main.state.chosen.match,
      .eyeDither = main.state.chosen.eyeDither,
      .tone = main.state.chosen.tone,
      .framing = main.state.chosen.framing,
      .view = main.blendViewShows,
      .motionSpeed = main.motion.speed(),
  };
  for (int p = 0; p < kBuiltinPaletteCount; ++p) {
    if (builtinPalettes()[p].colours == main.state.chosen.palette) choices.palette = p;
  }
  return choices;
}

// A remembered choice may have changed: the settings file is written when it no longer holds
// what the window shows. A failed write is told once on stderr; the window goes on.
template <WindowSkin W>
void rememberChoices(W& main) {
  RememberedChoices& file = main.remembered;
  if (file.path.empty() || file.applying) return;
  const WindowChoices choices = shownChoices(main);
  if (file.written == choices) return;
  try {
    saveWindowChoices(file.path, choices);
    file.written = choices;
  } catch (const FileWriteError& e) {
    if (!file.saveFailed) std::fprintf(stderr, "peltrix: the choices are not kept: %s\n", e.what());
    file.saveFailed = true;
  }
}

// Shows a command's failure; refusals and successes stay silent.
template <WindowSkin W>
bool reportFailure(W& main, const CommandResult& result) {
  if (result.outcome != Outcome::Failed) return false;
  main.dialogs.showMessage(result.message);
  return true;
}

// The choices as the window shows them now: the menus' and the boxes'.
template <WindowSkin W>
JobSettings chosenSettings(const W& main) {
  JobSettings settings = main.state.chosen;
  settings.multithread = isOn(main, kMultithreadBox);
  settings.bruteForce = isOn(main, kBruteForceBox);
  settings.lumaOverload = isOn(main, kLumaOverloadBox);
  settings.fli = isOn(main, kFliBox);
  settings.superFlicker = isOn(main, kSuperFlickerBox);
  settings.lumaOnly = isOn(main, kLumaOnlyBox);
  settings.ntsc = isOn(main, kNtscBox);
  settings.assLace = isOn(main, kAssLaceBox);
  return settings;
}

// Frames the opened picture anew from its file when the choices call for another framing
// than it shows (a "Framing" item, a drag, or a box that changes the viewer and with it the
// visible area) and shows it. Not while a job runs, which reads the picture: it follows when
// the job has completed. A file that cannot be read any more keeps the picture and says
// why. Returns whether the picture is framed as the choices say.
template <WindowSkin W>
bool reframe(W& main) {
  const Framing wanted = chosenSettings(main).framingToLoad();
  if (main.opened.path.empty()) return false;
  if (wanted == main.opened.framing) return true;
  const CommandResult result = openPicture(main.state, main.opened.path, wanted);
  if (reportFailure(main, result) || !result.ok()) return false;
  main.opened.framing = wanted;
  showSourcePicture(main);
  return true;
}

}  // namespace window_commands

// The start-up states but for the spin's own position, which the skin sets: the spin's text
// "2"; "Multithread", "Brute Force", "Luma overload reduction" and "Per 2 line FLI" on; "Ass
// Lace" disabled; the eye match's dither items disabled (the classic match is chosen); the
// dither level and "Luma only mode" as the controls show them.
template <WindowSkin W>
void applyInitialStates(W& main) {
  setSpinText(main, kDefaultDitherLevel);
  for (ControlId box : {kMultithreadBox, kBruteForceBox, kLumaOverloadBox, kFliBox}) {
    setOn(main, box, true);
  }
  setEnabled(main, kAssLaceBox, false);
  window_commands::applyEyeDitherRule(main);
  main.state.lumaOnly.store(isOn(main, kLumaOnlyBox));
  setDitherLevel(main.state, kDefaultDitherLevel);
}

// Opens `path` (UTF-8) as the new source picture and shows it in the source view. A file
// that cannot be decoded keeps the previous picture and shows the decoder's reason. Returns
// whether the picture was replaced.
template <WindowSkin W>
bool openPictureFromPath(W& main, const std::string& path) {
  const Framing framing = window_commands::chosenSettings(main).framingToLoad();
  const CommandResult result = openPicture(main.state, path, framing);
  if (window_commands::reportFailure(main, result) || !result.ok()) return false;
  main.opened = OpenedPicture{};
  main.opened.path = path;
  main.opened.framing = framing;
  showSourcePicture(main);
  return true;
}

// "Open Bitmap": no job running; asks for a file and opens it.
template <WindowSkin W>
void onOpenBitmap(W& main) {
  if (jobRunning(main.state)) return;
  const std::string path = main.dialogs.chooseOpenPath();
  if (path.empty()) return;
  openPictureFromPath(main, path);
}

// A file dropped on the window (the first, if several): opened as "Open Bitmap" opens the
// file it is given; ignored while a job runs, as "Open Bitmap" is.
template <WindowSkin W>
void onPictureDropped(W& main, const std::string& path) {
  if (jobRunning(main.state) || path.empty()) return;
  openPictureFromPath(main, path);
}

// "Save Raw" / "Save Prg": a finished result and no job running; asks for a path and writes
// the file there, showing any failure. Returns false when the precondition failed (no dialog).
template <WindowSkin W>
bool saveThroughDialog(W& main, SaveForm form) {
  if (!canSave(main.state)) return false;
  const std::string path = main.dialogs.chooseSavePath(form);
  if (path.empty()) return true;
  if (form == SaveForm::Raw) {
    window_commands::reportFailure(main, saveRaw(main.state, path));
  } else {
    const ViewerOptions options{.superFlicker = isOn(main, kSuperFlickerBox),
                                .ntsc = isOn(main, kNtscBox),
                                .assLace = isOn(main, kAssLaceBox)};
    window_commands::reportFailure(main, saveProgram(main.state, path, options));
  }
  return true;
}
template <WindowSkin W>
bool onSaveRaw(W& main) {
  return saveThroughDialog(main, SaveForm::Raw);
}
template <WindowSkin W>
bool onSavePrg(W& main) {
  return saveThroughDialog(main, SaveForm::Program);
}

// "Exit" and the close box: ends the process at once with status 0, even mid-job, once the
// choices are remembered. No other clean-up on purpose: workers may be mid-cell and must not
// be waited for.
template <WindowSkin W>
[[noreturn]] void onExit(W& main) {
  window_commands::rememberChoices(main);
  std::_Exit(0);
}

// "About": the modal about box.
template <WindowSkin W>
void onAbout(W& main) {
  main.dialogs.showAbout();
}

// A palette of the "Picture" menu chosen: the next "Process" aims at its colours; a running
// job keeps the palette it started with.
template <WindowSkin W>
void onPaletteChosen(W& main, int palette) {
  if (palette < 0 || palette >= kBuiltinPaletteCount) return;
  main.state.chosen.palette = builtinPalettes()[palette].colours;
  window_commands::noteChoice(main);
}

// "Classic match" or "Eye match" chosen: the next "Process" judges its blends so; the eye
// match's dither items are enabled with "Eye match".
template <WindowSkin W>
void onMatchChosen(W& main, engine::Match match) {
  main.state.chosen.match = match;
  window_commands::applyEyeDitherRule(main);
  window_commands::noteChoice(main);
}

// "Error diffusion", "Ordered dither" or "No dither" chosen: how the next eye match dithers.
template <WindowSkin W>
void onEyeDitherChosen(W& main, EyeDither dither) {
  main.state.chosen.eyeDither = dither;
  window_commands::noteChoice(main);
}

// "Blend", "What the eye sees", "Picture in motion" or "Flicker map" of the "View" menu:
// picture view 1 shows it at once (the flicker map with its colour scale under it); the
// picture in motion runs on the motion timer while it is shown. Only the view changes, not
// the next conversion.
template <WindowSkin W>
void onBlendViewChosen(W& main, BlendViewShows shows) {
  main.blendViewShows = shows;
  if (shows == BlendViewShows::Motion) {
    startMotionTimer(main);
  } else {
    stopMotionTimer(main);
  }
  showFlickerLegend(main, shows == BlendViewShows::FlickerMap);
  refreshPreviews(main);
}

// "Full speed", "1/4 speed" or "1/16 speed": how many display refreshes the picture in motion
// shows each C64 frame for.
template <WindowSkin W>
void onMotionSpeedChosen(W& main, MotionSpeed speed) {
  main.motion.setSpeed(speed);
}

// "Play / Pause": the picture in motion stops on the frame it shows, or goes on from it.
template <WindowSkin W>
void onPlayPause(W& main) {
  main.motion.setPlaying(!main.motion.playing());
}

// One display refresh of the motion timer: the next C64 frame into picture view 1 when it is
// due. It reads the planes as they are, so it never waits for a running conversion.
template <WindowSkin W>
void onMotionTick(W& main) {
  if (main.blendViewShows != BlendViewShows::Motion || !main.motion.tick()) return;
  showBlendPicture(main, motionView(main.state, main.motion.videoFrame()));
}

// A framing or the C64 pixel's shape chosen in the "Framing" menu: the source view shows the
// picture framed so at once, or once the running job (which keeps its picture) is done.
template <WindowSkin W>
void onFramingChosen(W& main, const Framing& framing) {
  main.state.chosen.framing = framing;
  window_commands::noteChoice(main);
  window_commands::reframe(main);
}

// The left button pressed on the source view at (x, y) of the picture it shows: in "Top-left,
// unscaled" and the fills, dragging moves the picture under the screen. Not while a job runs.
template <WindowSkin W>
void onSourcePressed(W& main, int x, int y) {
  if (main.opened.path.empty() || jobRunning(main.state) ||
      main.state.chosen.framing.mode == Framing::Mode::Fit) {
    return;
  }
  main.opened.dragging = true;
  main.opened.dragX = x;
  main.opened.dragY = y;
  main.opened.dragStart = window_commands::chosenSettings(main).framingToLoad();
}

// The mouse at (x, y) with the button held: the framed picture follows it, by whole pixels
// of the picture, as far as the picture goes.
template <WindowSkin W>
void onSourceDragged(W& main, int x, int y) {
  OpenedPicture& opened = main.opened;
  if (!opened.dragging || jobRunning(main.state)) return;
  const SourcePicture& picture = main.state.sourceImage;
  const Framing moved = draggedFraming(opened.dragStart, picture.width, picture.height,
                                       x - opened.dragX, y - opened.dragY);
  Framing& chosen = main.state.chosen.framing;
  chosen.left = moved.left;
  chosen.top = moved.top;
  chosen.fillFromOffset = moved.fillFromOffset;
  if (!window_commands::reframe(main)) opened.dragging = false;
}

// The button released: the picture stays where it was dragged, and that is remembered.
template <WindowSkin W>
void onSourceReleased(W& main) {
  if (!std::exchange(main.opened.dragging, false)) return;
  window_commands::rememberChoices(main);
}

// A radio item of the menus chosen (the skin moves its mark): a palette, the match, the eye
// match's dither, the framing, what picture view 1 shows or the motion's speed; remembered.
template <WindowSkin W>
void onRadioItemChosen(W& main, MenuItemId item) {
  if (const int palette = paletteOfItem(item); palette >= 0) onPaletteChosen(main, palette);
  if (const std::optional<Framing> framing = framingOfItem(item, main.state.chosen.framing)) {
    onFramingChosen(main, *framing);
  }
  if (const std::optional<PixelAspect> aspect = aspectOfItem(item)) {
    Framing framing = main.state.chosen.framing;
    framing.aspect = *aspect;
    onFramingChosen(main, framing);
  }
  switch (item) {
    case kClassicMatchItem:
      onMatchChosen(main, engine::Match::Classic);
      break;
    case kEyeMatchItem:
      onMatchChosen(main, engine::Match::Eye);
      break;
    case kDiffusionItem:
      onEyeDitherChosen(main, EyeDither::Diffusion);
      break;
    case kOrderedDitherItem:
      onEyeDitherChosen(main, EyeDither::Ordered);
      break;
    case kNoDitherItem:
      onEyeDitherChosen(main, EyeDither::None);
      break;
    case kBlendViewItem:
      onBlendViewChosen(main, BlendViewShows::Blend);
      break;
    case kEyeViewItem:
      onBlendViewChosen(main, BlendViewShows::EyeSees);
      break;
    case kMotionViewItem:
      onBlendViewChosen(main, BlendViewShows::Motion);
      break;
    case kFlickerViewItem:
      onBlendViewChosen(main, BlendViewShows::FlickerMap);
      break;
    case kFullSpeedItem:
      onMotionSpeedChosen(main, MotionSpeed::Full);
      break;
    case kQuarterSpeedItem:
      onMotionSpeedChosen(main, MotionSpeed::Quarter);
      break;
    case kSixteenthSpeedItem:
      onMotionSpeedChosen(main, MotionSpeed::Sixteenth);
      break;
    default:
      break;
  }
  window_commands::rememberChoices(main);
}

// A tone from the "Adjust…" dialog: the source view shows it at once, and the next
// "Process" prepares the picture with it (a running job keeps the tone it started with).
template <WindowSkin W>
void onToneChanged(W& main, const Tone& tone) {
  if (!tone.withinRanges() || tone == main.state.chosen.tone) return;
  main.state.chosen.tone = tone;
  showSourcePicture(main);
  window_commands::noteChoice(main);
}

// "Adjust…": the tone dialog, starting at the current tone. The tone is remembered once the
// dialog closes, not at every move of a slider.
template <WindowSkin W>
void onAdjust(W& main) {
  main.dialogs.adjustTone(main.state.chosen.tone,
                          [&main](const Tone& tone) { onToneChanged(main, tone); });
  window_commands::rememberChoices(main);
}

// "Process": starts a job with the options shown now and the refresh timer; ignored while a
// job runs. Without its timer a job would never be reported finished: then it is stopped,
// its workers leave their loops (after the cell they are on), and it is completed at once.
template <WindowSkin W>
void onProcess(W& main) {
  // The picture as the framing choices say, should a re-framing have waited or failed.
  if (!jobRunning(main.state)) window_commands::reframe(main);
  const JobSettings settings = window_commands::chosenSettings(main);
  std::string error;
  switch (startJob(main.state, settings, &error)) {
    case StartResult::Started:
      main.choiceWaits = false;
      setStatus(main, "");
      if (!startRefreshTimer(main, error)) {
        requestStop(main.state);
        while (!waitForJob(main.state, rowsDone(main.state), std::chrono::seconds(1))) {
        }
        completeJob(main.state);
        refreshPreviews(main);
        window_commands::showReport(main);
        window_commands::reframe(main);
        main.dialogs.showMessage(
            "The conversion was stopped: its refresh timer could not be started (" + error + ")");
      }
      break;
    case StartResult::Busy:
      break;  // a second "Process" during a job is ignored
    case StartResult::WorkerFailed:
      main.dialogs.showMessage("The conversion could not be started: " + error);
      break;
  }
}

// "Stop": asks the running job's workers to skip their remaining cells.
template <WindowSkin W>
void onStop(W& main) {
  if (!jobRunning(main.state)) return;
  requestStop(main.state);
}

// The "Dithering" spin changed: its text shows the new value and the dither level follows.
template <WindowSkin W>
void onDitherChanged(W& main) {
  const int level = spinValue(main);
  setSpinText(main, level);
  setDitherLevel(main.state, level);
  window_commands::noteChoice(main);
  window_commands::rememberChoices(main);
}

// "Per 2 line FLI" or "Super Flicker reduction" clicked: "Ass Lace" is enabled exactly when
// both are off; its own on/off state is kept.
template <WindowSkin W>
void applyAssLaceRule(W& main) {
  setEnabled(main, kAssLaceBox, !isOn(main, kFliBox) && !isOn(main, kSuperFlickerBox));
}

// "Multithread", "Brute Force", "Luma overload reduction", "Per 2 line FLI" or "Super
// Flicker reduction" clicked: read by the next "Process" (the status line says so during a
// job); the last two also decide whether "Ass Lace" is enabled, and pick the viewer whose
// visible area a framing may fill.
template <WindowSkin W>
void onOptionToggled(W& main, ControlId box) {
  if (box == kFliBox || box == kSuperFlickerBox) applyAssLaceRule(main);
  window_commands::noteChoice(main);
  window_commands::reframe(main);
  window_commands::rememberChoices(main);
}

// "NTSC" or "Ass Lace" clicked: remembered; "Process" and "Save Prg" read the box. Ass Lace
// picks the viewer too, whose visible area a framing may fill.
template <WindowSkin W>
void onViewerOptionToggled(W& main) {
  window_commands::reframe(main);
  window_commands::rememberChoices(main);
}

// "Luma only mode" clicked: the workers read the new state before their next cell.
template <WindowSkin W>
void onLumaOnlyToggled(W& main) {
  main.state.lumaOnly.store(isOn(main, kLumaOnlyBox));
  window_commands::rememberChoices(main);
}

// One tick of the refresh timer: progress bar, completion test, previews and, once every
// worker is done, the completion step and the quality report. Returns whether the timer
// keeps running.
template <WindowSkin W>
bool onRefreshTick(W& main) {
  setProgress(main, rowsDone(main.state) + 1);  // the bar shows the row worker A is on
  if (!jobFinished(main.state)) {
    refreshPreviews(main);
    return true;
  }
  setProgress(main, 0);
  completeJob(main.state);
  refreshPreviews(main);  // after the completion step, whose last passes may change the frames
  stopRefreshTimer(main);
  window_commands::showReport(main);
  window_commands::reframe(main);  // a framing chosen during the job
  return false;
}

// Shows `choices` at once, as the user would choose them one by one (their commands run),
// and writes nothing meanwhile.
template <WindowSkin W>
void applyChoices(W& main, const WindowChoices& choices) {
  main.remembered.applying = true;
  const std::pair<ControlId, bool> boxes[] = {{kMultithreadBox, choices.multithread},
                                              {kBruteForceBox, choices.bruteForce},
                                              {kLumaOverloadBox, choices.lumaOverload},
                                              {kFliBox, choices.fli},
                                              {kNtscBox, choices.ntsc},
                                              {kSuperFlickerBox, choices.superFlicker},
                                              {kAssLaceBox, choices.assLace},
                                              {kLumaOnlyBox, choices.lumaOnly}};
  for (const auto& [box, on] : boxes) setOn(main, box, on);
  applyAssLaceRule(main);
  onLumaOnlyToggled(main);
  setSpinValue(main, choices.ditherLevel);
  onDitherChanged(main);
  for (MenuItemId item : radioItemsOf(choices)) {
    markRadioItem(main, item);
    onRadioItemChosen(main, item);
  }
  main.state.chosen.framing = choices.framing;  // with its offsets, which no item shows
  window_commands::reframe(main);               // the picture open, as the boxes now say
  onToneChanged(main, choices.tone);
  main.remembered.applying = false;
}

// "Restore Defaults": every remembered choice back to its start-up state at once, in the
// controls, the menus' marks, the state and the settings file.
template <WindowSkin W>
void onRestoreDefaults(W& main) {
  applyChoices(main, WindowChoices{});
  main.remembered.written.reset();  // written whatever the file held
  window_commands::rememberChoices(main);
}

// At start-up, once the initial states are set and before a picture is opened: the window
// keeps its choices in the settings file at `path` ("" keeps none) and shows those the file
// holds, unless `reset` starts it with the defaults (the next save replaces the file). A file
// that cannot be used is passed over with one line on stderr.
template <WindowSkin W>
void startRemembering(W& main, const std::string& path, bool reset) {
  main.remembered = RememberedChoices{.path = path};
  if (reset) return;
  const LoadedChoices loaded = loadWindowChoices(path);
  if (!loaded.warning.empty()) std::fprintf(stderr, "peltrix: %s\n", loaded.warning.c_str());
  if (!loaded.choices) return;
  applyChoices(main, *loaded.choices);
  main.remembered.written = loaded.choices;
}

}  // namespace peltrix
