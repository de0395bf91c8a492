#include "frontends/gtk/dialogs.hpp"

#include <glib.h>

namespace peltrix::gui {

namespace {

// Starts a chooser in the process's working directory, as the commands promise.
void startInWorkingDirectory(GtkWidget* chooser) {
  gchar* cwd = g_get_current_dir();
  gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), cwd);
  g_free(cwd);
}

void addFilter(GtkWidget* chooser, const char* name, std::initializer_list<const char*> patterns) {
  GtkFileFilter* filter = gtk_file_filter_new();
  gtk_file_filter_set_name(filter, name);
  for (const char* pattern : patterns) gtk_file_filter_add_pattern(filter, pattern);
  gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), filter);
}

// Runs a chooser and returns its file name; "" for a cancel or an empty answer.
// Runs a dialog modally. The extra reference keeps it valid should something destroy it
// while it runs.
gint runModal(GtkWidget* dialog) {
  g_object_ref(dialog);
  return gtk_dialog_run(GTK_DIALOG(dialog));
}

void finish(GtkWidget* dialog) {
  gtk_widget_destroy(dialog);
  g_object_unref(dialog);
}

std::string runChooser(GtkWidget* chooser) {
  std::string path;
  if (runModal(chooser) == GTK_RESPONSE_ACCEPT) {
    gchar* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
    if (name != nullptr) path = name;
    g_free(name);
  }
  finish(chooser);
  return path;
}

}  // namespace

GtkWidget* createOpenDialog(GtkWindow* parent) {
  GtkWidget* chooser = gtk_file_chooser_dialog_new(
      "Choose an image", parent, GTK_FILE_CHOOSER_ACTION_OPEN, GTK_STOCK_CANCEL,
      GTK_RESPONSE_CANCEL, GTK_STOCK_OPEN, GTK_RESPONSE_ACCEPT, nullptr);
  startInWorkingDirectory(chooser);
  // Shell patterns are case-sensitive; the brackets accept "photo.JPG" and "photo.jpeg" too.
  addFilter(chooser, "JPEG (*.jpg)", {"*.[jJ][pP][gG]", "*.[jJ][pP][eE][gG]"});
  addFilter(chooser, "BMP (*.bmp)", {"*.[bB][mM][pP]"});
  addFilter(chooser, "All files (*.*)", {"*"});
  return chooser;  // the first filter added is the one selected
}

GtkWidget* createSaveDialog(GtkWindow* parent, const char* description) {
  GtkWidget* chooser = gtk_file_chooser_dialog_new(
      "Select file to save", parent, GTK_FILE_CHOOSER_ACTION_SAVE, GTK_STOCK_CANCEL,
      GTK_RESPONSE_CANCEL, GTK_STOCK_SAVE, GTK_RESPONSE_ACCEPT, nullptr);
  startInWorkingDirectory(chooser);
  gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(chooser), FALSE);
  // A description only: the list is not narrowed to the extension.
  addFilter(chooser, description, {"*"});
  return chooser;
}

GtkWidget* createMessageBox(GtkWindow* parent, const std::string& text) {
  GtkWidget* box = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR,
                                          GTK_BUTTONS_OK, "%s", text.c_str());
  gtk_window_set_title(GTK_WINDOW(box), "Peltrix Converter");
  return box;
}

GtkWidget* createAboutBox(GtkWindow* parent) {
  GtkWidget* box = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, GTK_MESSAGE_INFO,
                                          GTK_BUTTONS_OK, "%s", aboutText().c_str());
  gtk_window_set_title(GTK_WINDOW(box), "About");
  // One line, as written: the message box would otherwise wrap it.
  gtk_label_set_line_wrap(GTK_LABEL(GTK_MESSAGE_DIALOG(box)->label), FALSE);
  return box;
}

std::string runOpenDialog(GtkWindow* parent) {
  return runChooser(createOpenDialog(parent));
}

std::string runSaveDialog(GtkWindow* parent, const char* description) {
  return runChooser(createSaveDialog(parent, description));
}

void runMessageBox(GtkWindow* parent, const std::string& text) {
  GtkWidget* box = createMessageBox(parent, text);
  runModal(box);
  finish(box);
}

void runAboutBox(GtkWindow* parent) {
  GtkWidget* box = createAboutBox(parent);
  runModal(box);
  finish(box);
}

}  // namespace peltrix::gui
