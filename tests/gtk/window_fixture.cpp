#include "window_fixture.hpp"

#include <unistd.h>

#include "colour/geometry.hpp"
#include "colour/rgb.hpp"
#include "core/job.hpp"

// Xlib last: its macros (None, Bool, Status) would clash with names above.
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

namespace peltrix::testing {

RgbPicture shownPixels(GtkWidget* view) {
  GdkPixbuf* picture = gtk_image_get_pixbuf(GTK_IMAGE(view));
  RgbPicture pixels(kPixels);
  for (int i = 0; i < kPixels; ++i) {
    const guchar* p = gdk_pixbuf_get_pixels(picture) +
                      (i / kWidth) * gdk_pixbuf_get_rowstride(picture) + (i % kWidth) * 3;
    pixels[i] = packRgb(p[0], p[1], p[2]);
  }
  return pixels;
}

bool windowTitled(const char* title) {
  Display* display = gdk_x11_get_default_xdisplay();
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
    return false;
  }
  bool found = false;
  for (unsigned i = 0; i < count && !found; ++i) {
    char* name = nullptr;
    if (XFetchName(display, children[i], &name) && name != nullptr) {
      found = std::string(name) == title;
      XFree(name);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

void WindowTest::SetUp() {
  if (const std::string& reason = gtkUnavailableReason(); !reason.empty()) {
    GTEST_SKIP() << reason;
  }
  state = std::make_unique<SharedState>();
  window = gui::createMainWindow(*state);
  gui::setInitialStates(*window);
  gtk_widget_show_all(window->window);
  window->refreshPeriodMs = 20;  // the product's 4000 ms would make every job test slow
  window->dialogs = gui::DialogHooks{
      .chooseOpenPath =
          [this] {
            ++dialogs.openAsked;
            return dialogs.openAnswer;
          },
      .chooseSavePath =
          [this](gui::SaveForm form) {
            dialogs.saveAsked.push_back(form);
            return dialogs.saveAnswer;
          },
      .showMessage = [this](const std::string& text) { dialogs.messages.push_back(text); },
      .showAbout = [this] { ++dialogs.aboutShown; },
      .adjustTone = [](const Tone&, const std::function<void(const Tone&)>&) {},
  };
  ASSERT_TRUE(pumpUntil([&] { return GTK_WIDGET_MAPPED(window->window); }, 20))
      << "the main window was never mapped";
  pumpPending();
}

void WindowTest::TearDown() {
  if (window != nullptr && state->job.busy.load()) {
    // The workers read the shared state: never free it under a running job.
    onStop(*window);
    EXPECT_TRUE(waitForCompletion(600)) << "a stopped job did not complete";
  }
  window.reset();
  state.reset();
  if (!scratch_.empty()) std::filesystem::remove_all(scratch_);
}

void WindowTest::click(gui::ControlId id) {
  gtk_button_clicked(GTK_BUTTON(window->controls[id]));
}

void WindowTest::choose(gui::MenuItemId id) {
  gtk_menu_item_activate(GTK_MENU_ITEM(window->menuItems[id]));
}

bool WindowTest::waitForCompletion(double seconds) {
  return pumpUntil([&] { return window->refreshTimer == 0; }, seconds);
}

GdkRectangle WindowTest::placeOf(gui::ControlId id) const {
  const GtkAllocation& client = window->fixed->allocation;
  GtkAllocation a = window->controls[id]->allocation;
  return GdkRectangle{a.x - client.x, a.y - client.y, a.width, a.height};
}

void WindowTest::saveScreenshot(const std::string& name) {
  while (gtk_events_pending()) gtk_main_iteration();
  GdkWindow* drawn = window->window->window;
  int width = 0, height = 0;
  gdk_drawable_get_size(drawn, &width, &height);
  GdkPixbuf* shot =
      gdk_pixbuf_get_from_drawable(nullptr, drawn, nullptr, 0, 0, 0, 0, width, height);
  ASSERT_NE(shot, nullptr);
  std::filesystem::create_directories(PELTRIX_SCREENSHOT_DIR);
  const std::string file = std::string(PELTRIX_SCREENSHOT_DIR) + "/" + name + ".png";
  EXPECT_TRUE(gdk_pixbuf_save(shot, file.c_str(), "png", nullptr, nullptr)) << file;
  g_object_unref(shot);
}

std::filesystem::path WindowTest::scratchDir() {
  if (scratch_.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "peltrix-gui-XXXXXX");
    scratch_ = mkdtemp(pattern.data());
  }
  return scratch_;
}

}  // namespace peltrix::testing
