#include "frontends/gtk/dialogs.hpp"
#include "frontends/gtk/main_window.hpp"
#include "frontends/gtk/window_parts.hpp"
#include "frontends/window/window_commands.hpp"

namespace peltrix::gui {
namespace {

using Handler = void (*)(MainWindow&);

// GTK hands every callback the MainWindow as user data; these adapters forward to the commands.
template <Handler handler>
void forward(GtkWidget*, gpointer data) {
  handler(*static_cast<MainWindow*>(data));
}

template <Handler handler>
void connect(MainWindow& main, GtkWidget* widget, const char* signal) {
  g_signal_connect(widget, signal, G_CALLBACK(forward<handler>), &main);
}

void saveRawItem(MainWindow& main) {
  onSaveRaw(main);
}
void savePrgItem(MainWindow& main) {
  onSavePrg(main);
}
void exitItem(MainWindow& main) {
  onExit(main);
}

}  // namespace

void connectSignals(MainWindow& main) {
  connect<onOpenBitmap<MainWindow>>(main, main.menuItems[kOpenBitmapItem], "activate");
  connect<saveRawItem>(main, main.menuItems[kSaveRawItem], "activate");
  connect<savePrgItem>(main, main.menuItems[kSavePrgItem], "activate");
  connect<exitItem>(main, main.menuItems[kExitItem], "activate");
  connect<onAbout<MainWindow>>(main, main.menuItems[kAboutItem], "activate");

  connect<onProcess<MainWindow>>(main, main.controls[kProcessButton], "clicked");
  connect<onStop<MainWindow>>(main, main.controls[kStopButton], "clicked");
  connect<onDitherChanged<MainWindow>>(main, main.controls[kDitherSpin], "value-changed");
  connect<applyAssLaceRule<MainWindow>>(main, main.controls[kFliBox], "toggled");
  connect<applyAssLaceRule<MainWindow>>(main, main.controls[kSuperFlickerBox], "toggled");
  connect<onLumaOnlyToggled<MainWindow>>(main, main.controls[kLumaOnlyBox], "toggled");

  // The close box ends the program like "Exit", without asking.
  g_signal_connect(main.window, "delete-event",
                   G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer data) -> gboolean {
                     onExit(*static_cast<MainWindow*>(data));
                   }),
                   &main);
}

DialogHooks realDialogs(MainWindow& main) {
  GtkWindow* parent = GTK_WINDOW(main.window);
  return DialogHooks{
      .chooseOpenPath = [parent] { return runOpenDialog(parent); },
      .chooseSavePath =
          [parent](SaveForm form) {
            return runSaveDialog(parent, form == SaveForm::Raw ? "RAW (*.raw)" : "PRG (*.prg)");
          },
      .showMessage = [parent](const std::string& text) { runMessageBox(parent, text); },
      .showAbout = [parent] { runAboutBox(parent); },
  };
}

}  // namespace peltrix::gui
