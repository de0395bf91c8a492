// Pictures reach the GTK window the ways a desktop offers: dropped from a file manager, and
// named on the command line (a file manager's "Open with").
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "colour/rgb.hpp"
#include "output/writers.hpp"
#include "window_fixture.hpp"

namespace peltrix::testing {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kMarker = 0x12AB34;  // a colour nothing else on the screen shows

fs::path writeMarkerPng(const fs::path& folder) {
  const fs::path path = folder / "marker picture.png";
  writeFile(path, pngFileBytes(RgbPicture(kPixels, kMarker)));
  return path;
}

// How many pixels of `picture` show the marker.
int markerPixels(GdkPixbuf* picture) {
  const int w = gdk_pixbuf_get_width(picture), h = gdk_pixbuf_get_height(picture);
  const int n = gdk_pixbuf_get_n_channels(picture), stride = gdk_pixbuf_get_rowstride(picture);
  const guchar* pixels = gdk_pixbuf_get_pixels(picture);
  int count = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const guchar* p = pixels + y * stride + x * n;
      count += packRgb(p[0], p[1], p[2]) == kMarker;
    }
  }
  return count;
}

TEST_F(WindowTest, AFileDroppedOnTheWindowOpens) {
  const fs::path png = writeMarkerPng(scratchDir());
  gchar* uri = g_filename_to_uri(png.c_str(), nullptr, nullptr);
  gchar* uris[] = {uri, nullptr};
  GtkSelectionData data{};
  data.target = gdk_atom_intern_static_string("text/uri-list");
  data.display = gdk_display_get_default();
  ASSERT_TRUE(gtk_selection_data_set_uris(&data, uris));
  GdkDragContext* context = gdk_drag_context_new();
  g_signal_emit_by_name(window->window, "drag-data-received", context, 10, 10, &data, 0u, 0u);
  g_object_unref(context);
  g_free(data.data);
  g_free(uri);
  EXPECT_TRUE(pumpUntil(
      [&] {
        return markerPixels(gtk_image_get_pixbuf(GTK_IMAGE(window->controls[kSourceView]))) ==
               kPixels;
      },
      10));
  EXPECT_TRUE(dialogs.messages.empty());
}

// Runs the built program on this display with `args`; returns its process id.
pid_t startProgram(const std::string& picture) {
  const pid_t child = fork();
  if (child == 0) {
    execl(PELTRIX_WINDOW, PELTRIX_WINDOW, picture.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return child;
}

TEST_F(WindowTest, APictureNamedOnTheCommandLineIsShownAtStart) {
  const fs::path png = writeMarkerPng(scratchDir());
  window.reset();  // only the program's own window on the screen
  const pid_t program = startProgram(png.string());
  ASSERT_GT(program, 0);
  GdkWindow* root = gdk_get_default_root_window();
  int width = 0, height = 0;
  gdk_drawable_get_size(root, &width, &height);
  const bool shown = pumpUntil(
      [&] {
        GdkPixbuf* screen =
            gdk_pixbuf_get_from_drawable(nullptr, root, nullptr, 0, 0, 0, 0, width, height);
        const bool all = screen != nullptr && markerPixels(screen) >= kPixels;
        if (screen != nullptr) g_object_unref(screen);
        return all;
      },
      30);
  kill(program, SIGTERM);
  int status = 0;
  waitpid(program, &status, 0);
  EXPECT_TRUE(shown) << "the source view never showed " << png;
}

TEST_F(WindowTest, ABrokenPictureOnTheCommandLineIsReportedAndTheWindowStarts) {
  const fs::path bad = scratchDir() / "notes.jpg";
  writeFile(bad.string(), std::vector<uint8_t>{'n', 'o', 't', ' ', 'a', ' ', 'J', 'P', 'E', 'G'});
  window.reset();
  const pid_t program = startProgram(bad.string());
  ASSERT_GT(program, 0);
  const bool reported = pumpUntil([] { return windowTitled("Peltrix Converter"); }, 30);
  int status = 0;
  const bool running = waitpid(program, &status, WNOHANG) == 0;
  kill(program, SIGTERM);
  waitpid(program, &status, 0);
  EXPECT_TRUE(reported) << "no message box about " << bad;
  EXPECT_TRUE(running) << "the program ended instead of starting its window";
}

}  // namespace
}  // namespace peltrix::testing
