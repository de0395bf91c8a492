#include "app/win32/handlers.hpp"

#include <cstdlib>
#include <thread>

#include "app/commands.hpp"
#include "app/job.hpp"
#include "platform/text_windows.hpp"

namespace peltrix::win32 {
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

// Without its timer a job would never be reported finished: stop it, let the workers leave
// their loops (they end after the cell they are on) and complete it here.
void completeWithoutTimer(MainWindow& main) {
  const unsigned long reason = GetLastError();
  requestStop(main.state);
  while (!jobFinished(main.state)) std::this_thread::yield();
  completeJob(main.state);
  refreshPreviews(main);
  main.dialogs.showMessage("The conversion was stopped: its refresh timer could not be started (" +
                           systemMessage(reason) + ")");
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
      if (!startRefreshTimer(main)) completeWithoutTimer(main);
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
  // The up-down does not format its own value; the text always shows the new level.
  setSpinText(main, level);
  setDitherLevel(main.state, level);
}

void applyAssLaceRule(MainWindow& main) {
  const bool enabled = !isOn(main, kFliBox) && !isOn(main, kSuperFlickerBox);
  EnableWindow(main.controls[kAssLaceBox], enabled ? TRUE : FALSE);
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

}  // namespace peltrix::win32
