// The real dialogs: titles, folders, filters, buttons, and that running them returns the
// answer given in them.
#include "frontends/gtk/dialogs.hpp"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <functional>
#include <regex>
#include <string>

#include "xvfb_display.hpp"

namespace peltrix::testing {
namespace {

using namespace gui;

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string& reason = gtkUnavailableReason(); !reason.empty()) {
      GTEST_SKIP() << reason;
    }
  }
};

std::vector<std::string> filterNames(GtkWidget* chooser) {
  std::vector<std::string> names;
  GSList* filters = gtk_file_chooser_list_filters(GTK_FILE_CHOOSER(chooser));
  for (GSList* f = filters; f != nullptr; f = f->next) {
    names.push_back(gtk_file_filter_get_name(GTK_FILE_FILTER(f->data)));
  }
  g_slist_free(filters);
  return names;
}

GtkFileFilter* filterAt(GtkWidget* chooser, guint index) {
  GSList* filters = gtk_file_chooser_list_filters(GTK_FILE_CHOOSER(chooser));
  auto* filter = GTK_FILE_FILTER(g_slist_nth_data(filters, index));
  g_slist_free(filters);
  return filter;
}

bool accepts(GtkFileFilter* filter, const char* name) {
  GtkFileFilterInfo info{};
  info.contains = GtkFileFilterFlags(GTK_FILE_FILTER_DISPLAY_NAME);
  info.display_name = name;
  return gtk_file_filter_filter(filter, &info);
}

std::string workingDirectory() {
  gchar* cwd = g_get_current_dir();
  std::string path = cwd;
  g_free(cwd);
  return path;
}

// The chooser's folder, once it has loaded it (GTK reads folders in the background).
std::string currentFolder(GtkWidget* chooser) {
  std::string path;
  pumpUntil(
      [&] {
        gchar* folder = gtk_file_chooser_get_current_folder(GTK_FILE_CHOOSER(chooser));
        path = folder ? folder : "";
        g_free(folder);
        return !path.empty();
      },
      10);
  return path;
}

// Calls `act` with the modal dialog that `run...` shows, once it is mapped and, for a file
// chooser, has loaded its folder (a chooser ignores answers until then). Should no dialog
// ever become ready, destroys whatever dialog there is after 20 s, so the test fails
// instead of hanging.
void answerWhenShown(std::function<void(GtkWidget*)> act) {
  struct Pending {
    std::function<void(GtkWidget*)> act;
    gint64 giveUpAt;
  };
  auto* pending = new Pending{std::move(act), g_get_monotonic_time() + 20'000'000};
  g_timeout_add(
      20,
      +[](gpointer data) -> gboolean {
        auto* todo = static_cast<Pending*>(data);
        GList* windows = gtk_window_list_toplevels();
        GtkWidget* dialog = nullptr;
        for (GList* w = windows; w != nullptr; w = w->next) {
          if (GTK_IS_DIALOG(w->data) && GTK_WIDGET_MAPPED(GTK_WIDGET(w->data))) {
            dialog = GTK_WIDGET(w->data);
          }
        }
        g_list_free(windows);
        const bool timedOut = g_get_monotonic_time() > todo->giveUpAt;
        bool ready = dialog != nullptr;
        if (ready && GTK_IS_FILE_CHOOSER(dialog)) {
          gchar* folder = gtk_file_chooser_get_current_folder(GTK_FILE_CHOOSER(dialog));
          ready = folder != nullptr;
          g_free(folder);
        }
        if (!ready && !timedOut) return TRUE;
        if (ready) {
          todo->act(dialog);
        } else {
          ADD_FAILURE() << "no dialog became ready to answer";
          if (dialog != nullptr) gtk_widget_destroy(dialog);
        }
        delete todo;
        return FALSE;
      },
      pending);
}

TEST_F(DialogTest, OpenDialogOffersJpegFirstThenBmpThenAllFiles) {
  GtkWidget* chooser = createOpenDialog(nullptr);
  EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(chooser)), "Choose an image");
  EXPECT_EQ(gtk_file_chooser_get_action(GTK_FILE_CHOOSER(chooser)), GTK_FILE_CHOOSER_ACTION_OPEN);
  EXPECT_EQ(filterNames(chooser),
            (std::vector<std::string>{"JPEG (*.jpg)", "BMP (*.bmp)", "All files (*.*)"}));
  EXPECT_EQ(gtk_file_chooser_get_filter(GTK_FILE_CHOOSER(chooser)), filterAt(chooser, 0));
  EXPECT_EQ(currentFolder(chooser), workingDirectory());

  GtkFileFilter* jpeg = filterAt(chooser, 0);
  for (const char* name : {"a.jpg", "B.JPG", "c.jpeg", "D.JpEg"}) EXPECT_TRUE(accepts(jpeg, name));
  for (const char* name : {"a.bmp", "a.png", "jpg", "a.jpg.txt"}) {
    EXPECT_FALSE(accepts(jpeg, name)) << name;
  }
  GtkFileFilter* bmp = filterAt(chooser, 1);
  EXPECT_TRUE(accepts(bmp, "x.bmp"));
  EXPECT_TRUE(accepts(bmp, "X.BMP"));
  EXPECT_FALSE(accepts(bmp, "x.jpg"));
  GtkFileFilter* all = filterAt(chooser, 2);
  for (const char* name : {"smarties.png", "README", "a.jpg"}) EXPECT_TRUE(accepts(all, name));
  gtk_widget_destroy(chooser);
}

TEST_F(DialogTest, SaveDialogDescribesTheFormWithoutNarrowingTheList) {
  for (const char* description : {"RAW (*.raw)", "PRG (*.prg)"}) {
    GtkWidget* chooser = createSaveDialog(nullptr, description);
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(chooser)), "Select file to save");
    EXPECT_EQ(gtk_file_chooser_get_action(GTK_FILE_CHOOSER(chooser)), GTK_FILE_CHOOSER_ACTION_SAVE);
    EXPECT_FALSE(gtk_file_chooser_get_do_overwrite_confirmation(GTK_FILE_CHOOSER(chooser)));
    EXPECT_EQ(filterNames(chooser), std::vector<std::string>{description});
    EXPECT_TRUE(accepts(filterAt(chooser, 0), "picture.prg"));
    EXPECT_TRUE(accepts(filterAt(chooser, 0), "picture.raw"));
    EXPECT_EQ(currentFolder(chooser), workingDirectory());
    gtk_widget_destroy(chooser);
  }
}

TEST_F(DialogTest, SaveDialogReturnsTheNameAsTyped) {
  answerWhenShown([](GtkWidget* dialog) {
    gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(dialog), "picture-without-extension");
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  });
  EXPECT_EQ(runSaveDialog(nullptr, "RAW (*.raw)"),
            workingDirectory() + "/picture-without-extension");
}

TEST_F(DialogTest, CancelledDialogsReturnNoPath) {
  answerWhenShown(
      [](GtkWidget* dialog) { gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL); });
  EXPECT_EQ(runOpenDialog(nullptr), "");
  answerWhenShown([](GtkWidget* dialog) {
    gtk_widget_destroy(dialog);  // the window manager's close box
  });
  EXPECT_EQ(runSaveDialog(nullptr, "PRG (*.prg)"), "");
}

TEST_F(DialogTest, AboutBoxIsModalWithOneOkButtonAndOneLine) {
  GtkWidget* about = createAboutBox(nullptr);
  EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(about)), "About");
  EXPECT_TRUE(gtk_window_get_modal(GTK_WINDOW(about)));
  GList* buttons =
      gtk_container_get_children(GTK_CONTAINER(gtk_dialog_get_action_area(GTK_DIALOG(about))));
  ASSERT_EQ(g_list_length(buttons), 1u);
  EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(buttons->data)), GTK_STOCK_OK);
  g_list_free(buttons);
  gtk_widget_destroy(about);

  const std::string text = aboutText();
  EXPECT_EQ(text.find('\n'), std::string::npos);
  // The date of the sources, not of the build machine's clock: a rebuild says the same.
  EXPECT_TRUE(std::regex_search(text, std::regex("built [0-9]{4}-[0-9]{2}-[0-9]{2}$"))) << text;

  // Running it returns once OK is pressed.
  bool answered = false;
  answerWhenShown([&](GtkWidget* dialog) {
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(dialog)), "About");
    answered = true;
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  });
  runAboutBox(nullptr);
  EXPECT_TRUE(answered);
}

TEST_F(DialogTest, AdjustDialogTellsEveryMoveResetsAndClosesWithOk) {
  std::vector<Tone> told;
  bool answered = false;
  answerWhenShown([&](GtkWidget* dialog) {
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(dialog)), "Adjust");
    EXPECT_TRUE(gtk_window_get_modal(GTK_WINDOW(dialog)));
    EXPECT_EQ(gtk_range_get_value(adjustSlider(dialog, 0)), 30);  // where it started
    gtk_range_set_value(adjustSlider(dialog, 3), 180);
    EXPECT_STREQ(gtk_label_get_text(adjustValueLabel(dialog, 3)), "1.80");
    gtk_dialog_response(GTK_DIALOG(dialog), kResetResponse);  // it stays open, reset
    answerWhenShown([&](GtkWidget* same) {
      EXPECT_EQ(gtk_range_get_value(adjustSlider(same, 0)), 0);
      EXPECT_STREQ(gtk_label_get_text(adjustValueLabel(same, 3)), "1.00");
      answered = true;
      gtk_dialog_response(GTK_DIALOG(same), GTK_RESPONSE_OK);
    });
  });
  runAdjustDialog(nullptr, Tone{.brightness = 30}, [&](const Tone& t) { told.push_back(t); });
  ASSERT_TRUE(answered);
  ASSERT_FALSE(told.empty());
  EXPECT_EQ(told.front(), (Tone{.brightness = 30, .gammaHundredths = 180}));
  EXPECT_TRUE(told.back().neutral());
}

TEST_F(DialogTest, MessageBoxShowsTheTextModally) {
  GtkWidget* box = createMessageBox(nullptr, "photo.jpg: not a picture");
  EXPECT_TRUE(gtk_window_get_modal(GTK_WINDOW(box)));
  gchar* text = nullptr;
  g_object_get(box, "text", &text, nullptr);
  EXPECT_STREQ(text, "photo.jpg: not a picture");
  g_free(text);
  gtk_widget_destroy(box);
}

}  // namespace
}  // namespace peltrix::testing
