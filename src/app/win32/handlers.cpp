// The window's commands are the shared ones (app/window_commands.hpp); this skin only gives
// them its controls.
#include "app/win32/handlers.hpp"

#include "app/window_commands.hpp"

namespace peltrix::win32 {

void onOpenBitmap(MainWindow& main) {
  window_commands::openBitmap(main);
}
bool openPictureFromPath(MainWindow& main, const std::string& path) {
  return window_commands::openPictureFromPath(main, path);
}
bool onSaveRaw(MainWindow& main) {
  return window_commands::save(main, SaveForm::Raw);
}
bool onSavePrg(MainWindow& main) {
  return window_commands::save(main, SaveForm::Program);
}
void onExit(MainWindow&) {
  window_commands::exitNow();
}
void onAbout(MainWindow& main) {
  window_commands::about(main);
}
void onProcess(MainWindow& main) {
  window_commands::process(main);
}
void onStop(MainWindow& main) {
  window_commands::stop(main);
}
void onDitherChanged(MainWindow& main) {
  window_commands::ditherChanged(main);
}
void applyAssLaceRule(MainWindow& main) {
  window_commands::applyAssLaceRule(main);
}
void onLumaOnlyToggled(MainWindow& main) {
  window_commands::lumaOnlyToggled(main);
}
bool onRefreshTick(MainWindow& main) {
  return window_commands::refreshTick(main);
}

}  // namespace peltrix::win32
