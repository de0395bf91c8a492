#include "frontends/gtk/dialogs.hpp"

#include <glib.h>

#include <array>

#include "frontends/window/tone_sliders.hpp"

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

// What the tone dialog keeps beside its widgets.
struct AdjustParts {
  std::array<GtkWidget*, kToneSliders.size()> sliders{}, values{};
  std::function<void(const Tone&)> changed;
};

AdjustParts& partsOf(GtkWidget* dialog) {
  return *static_cast<AdjustParts*>(g_object_get_data(G_OBJECT(dialog), "peltrix-adjust"));
}

void sliderMoved(GtkRange*, gpointer data) {
  auto& parts = *static_cast<AdjustParts*>(data);
  Tone tone;
  for (size_t i = 0; i < kToneSliders.size(); ++i) {
    const int value = static_cast<int>(gtk_range_get_value(GTK_RANGE(parts.sliders[i])));
    tone.*kToneSliders[i].field = value;
    gtk_label_set_text(GTK_LABEL(parts.values[i]), toneValueText(kToneSliders[i], value).c_str());
  }
  parts.changed(tone);
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

GtkWidget* createAdjustDialog(GtkWindow* parent, const Tone& start,
                              std::function<void(const Tone&)> changed) {
  GtkWidget* dialog =
      gtk_dialog_new_with_buttons("Adjust", parent, GTK_DIALOG_MODAL, "Reset", kResetResponse,
                                  GTK_STOCK_OK, GTK_RESPONSE_OK, nullptr);
  gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
  auto* parts = new AdjustParts{.changed = std::move(changed)};
  g_object_set_data_full(
      G_OBJECT(dialog), "peltrix-adjust", parts,
      +[](gpointer p) { delete static_cast<AdjustParts*>(p); });

  GtkWidget* table = gtk_table_new(kToneSliders.size(), 3, FALSE);
  gtk_container_set_border_width(GTK_CONTAINER(table), 8);
  gtk_table_set_col_spacings(GTK_TABLE(table), 8);
  for (guint i = 0; i < kToneSliders.size(); ++i) {
    const ToneSlider& s = kToneSliders[i];
    GtkWidget* label = gtk_label_new(s.label);
    gtk_misc_set_alignment(GTK_MISC(label), 0, 0.5);
    GtkWidget* slider = gtk_hscale_new_with_range(s.range.low, s.range.high, 1);
    gtk_scale_set_draw_value(GTK_SCALE(slider), FALSE);
    gtk_range_set_value(GTK_RANGE(slider), start.*s.field);
    gtk_widget_set_size_request(slider, 240, -1);
    const int value = start.*s.field;
    GtkWidget* text = gtk_label_new(toneValueText(s, value).c_str());
    gtk_label_set_width_chars(GTK_LABEL(text), 5);
    gtk_misc_set_alignment(GTK_MISC(text), 1, 0.5);
    gtk_table_attach(GTK_TABLE(table), label, 0, 1, i, i + 1, GTK_FILL, GTK_FILL, 0, 2);
    gtk_table_attach(GTK_TABLE(table), slider, 1, 2, i, i + 1,
                     GtkAttachOptions(GTK_EXPAND | GTK_FILL), GTK_FILL, 0, 2);
    gtk_table_attach(GTK_TABLE(table), text, 2, 3, i, i + 1, GTK_FILL, GTK_FILL, 0, 2);
    parts->sliders[i] = slider;
    parts->values[i] = text;
  }
  // Connected once every slider exists: each move reads all four.
  for (GtkWidget* slider : parts->sliders) {
    g_signal_connect(slider, "value-changed", G_CALLBACK(sliderMoved), parts);
  }
  gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), table, TRUE, TRUE,
                     0);
  gtk_widget_show_all(table);
  return dialog;
}

GtkRange* adjustSlider(GtkWidget* adjustDialog, int slider) {
  return GTK_RANGE(partsOf(adjustDialog).sliders.at(slider));
}

GtkLabel* adjustValueLabel(GtkWidget* adjustDialog, int slider) {
  return GTK_LABEL(partsOf(adjustDialog).values.at(slider));
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

void runAdjustDialog(GtkWindow* parent, const Tone& start,
                     const std::function<void(const Tone&)>& changed, const GdkPoint* at) {
  GtkWidget* dialog = createAdjustDialog(parent, start, changed);
  if (at != nullptr) gtk_window_move(GTK_WINDOW(dialog), at->x, at->y);
  while (runModal(dialog) == kResetResponse) {
    g_object_unref(dialog);  // runModal's reference, taken again on the next round
    const Tone neutral;
    for (size_t i = 0; i < kToneSliders.size(); ++i) {
      gtk_range_set_value(adjustSlider(dialog, i), neutral.*kToneSliders[i].field);
    }
  }
  finish(dialog);
}

}  // namespace peltrix::gui
