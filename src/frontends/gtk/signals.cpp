#include <memory>
#include <string>

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

// "Multithread", "Brute Force", "Luma overload reduction", "Per 2 line FLI" and "Super
// Flicker reduction" share one command, told which box was clicked.
template <ControlId box>
void optionToggled(MainWindow& main) {
  onOptionToggled(main, box);
}

// A radio item reports both the item it leaves and the one chosen; only the chosen counts.
void radioToggled(GtkCheckMenuItem* item, gpointer data) {
  if (!gtk_check_menu_item_get_active(item)) return;
  auto& main = *static_cast<MainWindow*>(data);
  for (int id = 0; id < kMenuItemCount; ++id) {
    if (main.menuItems[id] == GTK_WIDGET(item)) onRadioItemChosen(main, MenuItemId(id));
  }
}

// The source view's mouse: the left button drags the picture. The event box covers the image
// exactly, so its coordinates are the picture's pixels.
gboolean sourcePressed(GtkWidget*, GdkEventButton* event, gpointer data) {
  if (event->button != 1 || event->type != GDK_BUTTON_PRESS) return FALSE;
  onSourcePressed(*static_cast<MainWindow*>(data), static_cast<int>(event->x),
                  static_cast<int>(event->y));
  return TRUE;
}

gboolean sourceDragged(GtkWidget* box, GdkEventMotion* event, gpointer data) {
  int x = static_cast<int>(event->x), y = static_cast<int>(event->y);
  if (event->is_hint) gtk_widget_get_pointer(box, &x, &y);  // the pointer as it is now
  onSourceDragged(*static_cast<MainWindow*>(data), x, y);
  return TRUE;
}

gboolean sourceReleased(GtkWidget*, GdkEventButton* event, gpointer data) {
  if (event->button == 1) onSourceReleased(*static_cast<MainWindow*>(data));
  return TRUE;
}

void connectSourceMouse(MainWindow& main) {
  GtkWidget* box = gtk_widget_get_parent(main.controls[kSourceView]);
  // Motion hints: one motion event until the pointer is asked for, so that framing the
  // picture anew never falls behind the mouse.
  gtk_widget_add_events(box, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                 GDK_BUTTON1_MOTION_MASK | GDK_POINTER_MOTION_HINT_MASK);
  g_signal_connect(box, "button-press-event", G_CALLBACK(sourcePressed), &main);
  g_signal_connect(box, "motion-notify-event", G_CALLBACK(sourceDragged), &main);
  g_signal_connect(box, "button-release-event", G_CALLBACK(sourceReleased), &main);
}

// A dropped file opens once the drop is over: a message about a broken picture must not
// hold up the program the file was dragged from.
struct Drop {
  MainWindow* main;
  std::string path;
};

void fileDropped(GtkWidget*, GdkDragContext*, gint, gint, GtkSelectionData* data, guint, guint,
                 gpointer user) {
  gchar** uris = gtk_selection_data_get_uris(data);
  gchar* path = uris != nullptr && uris[0] != nullptr
                    ? g_filename_from_uri(uris[0], nullptr, nullptr)
                    : nullptr;
  if (path != nullptr) {
    g_idle_add(
        +[](gpointer drop) -> gboolean {
          std::unique_ptr<Drop> owned(static_cast<Drop*>(drop));
          onPictureDropped(*owned->main, owned->path);
          return FALSE;
        },
        new Drop{static_cast<MainWindow*>(user), path});
  }
  g_free(path);
  g_strfreev(uris);
}

}  // namespace

void markRadioItem(MainWindow& main, MenuItemId item) {
  GtkWidget* widget = main.menuItems[item];
  g_signal_handlers_block_by_func(widget, reinterpret_cast<gpointer>(radioToggled), &main);
  gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), TRUE);
  g_signal_handlers_unblock_by_func(widget, reinterpret_cast<gpointer>(radioToggled), &main);
}

void connectSignals(MainWindow& main) {
  connect<onOpenBitmap<MainWindow>>(main, main.menuItems[kOpenBitmapItem], "activate");
  connect<saveRawItem>(main, main.menuItems[kSaveRawItem], "activate");
  connect<savePrgItem>(main, main.menuItems[kSavePrgItem], "activate");
  connect<exitItem>(main, main.menuItems[kExitItem], "activate");
  connect<onAbout<MainWindow>>(main, main.menuItems[kAboutItem], "activate");
  for (const MenuRadioGroup& group : kMenuRadioGroups) {
    for (int id = group.first; id <= group.last; ++id) {
      g_signal_connect(main.menuItems[id], "toggled", G_CALLBACK(radioToggled), &main);
    }
  }
  connect<onAdjust<MainWindow>>(main, main.menuItems[kAdjustItem], "activate");
  connect<onPlayPause<MainWindow>>(main, main.menuItems[kPlayPauseItem], "activate");
  connect<onRestoreDefaults<MainWindow>>(main, main.menuItems[kRestoreDefaultsItem], "activate");

  connect<onProcess<MainWindow>>(main, main.controls[kProcessButton], "clicked");
  connect<onStop<MainWindow>>(main, main.controls[kStopButton], "clicked");
  connect<onDitherChanged<MainWindow>>(main, main.controls[kDitherSpin], "value-changed");
  connect<optionToggled<kMultithreadBox>>(main, main.controls[kMultithreadBox], "toggled");
  connect<optionToggled<kBruteForceBox>>(main, main.controls[kBruteForceBox], "toggled");
  connect<optionToggled<kLumaOverloadBox>>(main, main.controls[kLumaOverloadBox], "toggled");
  connect<optionToggled<kFliBox>>(main, main.controls[kFliBox], "toggled");
  connect<optionToggled<kSuperFlickerBox>>(main, main.controls[kSuperFlickerBox], "toggled");
  connect<onLumaOnlyToggled<MainWindow>>(main, main.controls[kLumaOnlyBox], "toggled");
  connect<onViewerOptionToggled<MainWindow>>(main, main.controls[kNtscBox], "toggled");
  connect<onViewerOptionToggled<MainWindow>>(main, main.controls[kAssLaceBox], "toggled");
  connectSourceMouse(main);

  // Files dragged from a file manager arrive as a list of URIs.
  static GtkTargetEntry uriList[] = {{const_cast<gchar*>("text/uri-list"), 0, 0}};
  gtk_drag_dest_set(main.window, GTK_DEST_DEFAULT_ALL, uriList, 1, GDK_ACTION_COPY);
  g_signal_connect(main.window, "drag-data-received", G_CALLBACK(fileDropped), &main);

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
          [parent](SaveForm form) { return runSaveDialog(parent, saveDescription(form)); },
      .showMessage = [parent](const std::string& text) { runMessageBox(parent, text); },
      .showAbout = [parent] { runAboutBox(parent); },
      .adjustTone =
          [&main, parent](const Tone& start, const std::function<void(const Tone&)>& changed) {
            // Over the blend view, which changes only at "Process", so the source view shows.
            GtkWidget* view = main.controls[kBlendView];
            GdkPoint at{view->allocation.x, view->allocation.y};
            gint x = 0, y = 0;
            gdk_window_get_origin(gtk_widget_get_parent_window(view), &x, &y);
            at.x += x;
            at.y += y;
            runAdjustDialog(parent, start, changed, &at);
          },
  };
}

}  // namespace peltrix::gui
