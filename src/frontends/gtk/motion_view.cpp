// Picture view 1's moving and mapped views: the picture in motion's timer and the flicker
// map's legend.
#include "frontends/gtk/main_window.hpp"
#include "frontends/gtk/preview_draw.hpp"
#include "frontends/window/window_commands.hpp"
#include "output/flicker_picture.hpp"

namespace peltrix::gui {

namespace {

// GTK 2 has no frame clock: a tick every 1/60 s, the refresh of most displays.
constexpr guint kDisplayRefreshMs = 16;

}  // namespace

void showBlendPicture(MainWindow& main, const RgbPicture& picture) {
  drawRgbPicture(picture, main.blendPicture);
  gtk_widget_queue_draw(main.controls[kBlendView]);
}

GtkWidget* buildFlickerLegend(MainWindow& main) {
  GtkWidget* legend = gtk_fixed_new();
  GdkPixbuf* scale = newRgbPicture(flickerScale(kFlickerScale.width, kFlickerScale.height),
                                   kFlickerScale.width, kFlickerScale.height);
  GtkWidget* strip = gtk_image_new_from_pixbuf(scale);
  g_object_unref(scale);
  gtk_widget_set_size_request(strip, kFlickerScale.width, kFlickerScale.height);
  gtk_fixed_put(GTK_FIXED(legend), strip, 0, 0);
  GtkWidget* caption = gtk_label_new(kFlickerLegendText);
  gtk_misc_set_alignment(GTK_MISC(caption), 0, 0);
  gtk_widget_set_size_request(caption, kFlickerCaption.width, kFlickerCaption.height);
  gtk_fixed_put(GTK_FIXED(legend), caption, 0, kFlickerCaption.y - kFlickerScale.y);
  gtk_fixed_put(GTK_FIXED(main.fixed), legend, kFlickerScale.x, kFlickerScale.y);
  gtk_widget_show_all(legend);
  gtk_widget_set_no_show_all(legend, TRUE);  // the window's show_all leaves it as it is
  gtk_widget_hide(legend);
  return legend;
}

void showFlickerLegend(MainWindow& main, bool shown) {
  if (shown) {
    gtk_widget_show(main.flickerLegend);
  } else {
    gtk_widget_hide(main.flickerLegend);
  }
}

void startMotionTimer(MainWindow& main) {
  if (main.motionTimer != 0) return;
  main.motionTimer = g_timeout_add(
      kDisplayRefreshMs,
      +[](gpointer data) -> gboolean {
        onMotionTick(*static_cast<MainWindow*>(data));
        return TRUE;
      },
      &main);
}

void stopMotionTimer(MainWindow& main) {
  if (main.motionTimer != 0) g_source_remove(main.motionTimer);
  main.motionTimer = 0;
}

}  // namespace peltrix::gui
