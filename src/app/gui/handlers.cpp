#include "app/gui/handlers.hpp"

#include <cstdlib>

#include "app/commands.hpp"
#include "app/job.hpp"

namespace peltrix::gui {
namespace {

// Shows a command's failure; refusals and successes stay silent.
bool reportFailure(MainWindow& main, const CommandResult& result) {
  if (result.outcome != Outcome::Failed) return false;
  main.dialogs.showMessage(result.message);
  return true;
}

bool saveCommand(MainWindow& main, SaveForm form) {
  if (!canSave(main.state)) return false;
  const std::string path = main.dialogs.chooseSavePath(form);
  if (path.empty()) return true;
  if (form == SaveForm::Raw) {
    reportFailure(main, saveRaw(main.state, path));
  } else {
    const ProgramFileOptions options{.superFlicker = isOn(main, kSuperFlickerBox),
                                     .ntsc = isOn(main, kNtscBox),
                                     .assLace = isOn(main, kAssLaceBox)};
    reportFailure(main, saveProgram(main.state, path, options));
  }
  return true;
}

}  // namespace

void onOpenBitmap(MainWindow& main) {
  if (jobRunning(main.state)) return;
  const std::string path = main.dialogs.chooseOpenPath();
  if (path.empty()) return;
  openPictureFromPath(main, path);
}

bool openPictureFromPath(MainWindow& main, const std::string& path) {
  const CommandResult result = openPicture(main.state, path);
  if (reportFailure(main, result) || !result.ok()) return false;
  showSourcePicture(main);
  return true;
}

bool onSaveRaw(MainWindow& main) {
  return saveCommand(main, SaveForm::Raw);
}
bool onSavePrg(MainWindow& main) {
  return saveCommand(main, SaveForm::Program);
}

void onExit(MainWindow&) {
  // No clean-up on purpose: workers may be mid-cell and must not be waited for.
  std::_Exit(0);
}

void onAbout(MainWindow& main) {
  main.dialogs.showAbout();
}

void onProcess(MainWindow& main) {
  const JobOptions options{.multithread = isOn(main, kMultithreadBox),
                           .bruteForce = isOn(main, kBruteForceBox),
                           .lumaOverload = isOn(main, kLumaOverloadBox),
                           .fli = isOn(main, kFliBox),
                           .superFlicker = isOn(main, kSuperFlickerBox)};
  std::string error;
  switch (startJob(main.state, options, &error)) {
    case StartResult::Started:
      startRefreshTimer(main);
      break;
    case StartResult::Busy:
      break;  // a second "Process" during a job is ignored
    case StartResult::WorkerFailed:
      main.dialogs.showMessage("The conversion could not be started: " + error);
      break;
  }
}

void onStop(MainWindow& main) {
  if (!jobRunning(main.state)) return;
  requestStop(main.state);
}

void onDitherChanged(MainWindow& main) {
  const int level = spinValue(main);
  // The spin does not format its own value; the text always shows the new level.
  gtk_entry_set_text(GTK_ENTRY(main.controls[kDitherSpin]), std::to_string(level).c_str());
  setDitherLevel(main.state, level);
}

void applyAssLaceRule(MainWindow& main) {
  const bool enabled = !isOn(main, kFliBox) && !isOn(main, kSuperFlickerBox);
  gtk_widget_set_sensitive(main.controls[kAssLaceBox], enabled ? TRUE : FALSE);
}

void onLumaOnlyToggled(MainWindow& main) {
  main.state.lumaOnly.store(isOn(main, kLumaOnlyBox) ? 1 : 0);
}

bool onRefreshTick(MainWindow& main) {
  setProgress(main, progressValue(main.state));
  refreshPreviews(main);
  if (!jobFinished(main.state)) return true;
  setProgress(main, 0);
  completeJob(main.state);
  stopRefreshTimer(main);
  return false;
}

}  // namespace peltrix::gui
