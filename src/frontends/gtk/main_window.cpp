#include "frontends/gtk/main_window.hpp"

#include <algorithm>

#include "core/commands.hpp"
#include "core/result_views.hpp"
#include "frontends/gtk/banner.hpp"
#include "frontends/gtk/preview_draw.hpp"
#include "frontends/gtk/window_parts.hpp"
#include "frontends/window/window_commands.hpp"

namespace peltrix::gui {

namespace {

GdkPixbuf* pictureOf(MainWindow& main, ControlId view) {
  switch (view) {
    case kSourceView:
      return main.sourcePicture;
    case kBlendView:
      return main.blendPicture;
    case kFrame1View:
      return main.framePictures[0];
    case kFrame2View:
      return main.framePictures[1];
    case kFrame3View:
      return main.framePictures[2];
    case kBannerView:
      return main.bannerPicture;
    default:
      return nullptr;
  }
}

void place(MainWindow& main, GtkWidget* widget, int x, int y, int width, int height) {
  gtk_widget_set_size_request(widget, width, height);
  gtk_fixed_put(GTK_FIXED(main.fixed), widget, x, y);
}

// A picture view with a sunken border: the image keeps its exact place and size, and the
// border is drawn just outside it by a frame as thick as the theme's shadow. The source
// view's image lies in an event box of its own size, which takes the mouse for dragging.
GtkWidget* addSunkenView(MainWindow& main, const ControlSpec& spec) {
  GtkWidget* image = gtk_image_new_from_pixbuf(pictureOf(main, spec.id));
  GtkWidget* border = gtk_frame_new(nullptr);
  gtk_frame_set_shadow_type(GTK_FRAME(border), GTK_SHADOW_IN);
  if (spec.id == kSourceView) {
    GtkWidget* mouse = gtk_event_box_new();
    gtk_event_box_set_visible_window(GTK_EVENT_BOX(mouse), FALSE);
    gtk_container_add(GTK_CONTAINER(mouse), image);
    gtk_container_add(GTK_CONTAINER(border), mouse);
  } else {
    gtk_container_add(GTK_CONTAINER(border), image);
  }
  gtk_widget_ensure_style(border);
  const int dx = border->style->xthickness, dy = border->style->ythickness;
  place(main, border, spec.x - dx, spec.y - dy, spec.width + 2 * dx, spec.height + 2 * dy);
  return image;
}

// The group frames are as narrow as on the other platform, whose default font is smaller: a
// title that would be cut off at the theme's font size gets a font just small enough to
// show it whole. Titles that fit keep the default font.
void fitLabelToWidth(GtkWidget* label, int frameWidth) {
  constexpr int kFrameMargins = 14;  // the frame's border and the gaps beside its title
  const int available = frameWidth - kFrameMargins;
  PangoLayout* layout = gtk_label_get_layout(GTK_LABEL(label));
  PangoFontDescription* font = pango_font_description_copy(gtk_widget_get_style(label)->font_desc);
  int size = pango_font_description_get_size(font);
  int width = 0;
  pango_layout_get_pixel_size(layout, &width, nullptr);
  while (width > available && size > 6 * PANGO_SCALE) {
    size -= PANGO_SCALE / 2;
    pango_font_description_set_size(font, size);
    pango_layout_set_font_description(layout, font);
    pango_layout_get_pixel_size(layout, &width, nullptr);
  }
  if (size != pango_font_description_get_size(gtk_widget_get_style(label)->font_desc)) {
    gtk_widget_modify_font(label, font);
  }
  pango_font_description_free(font);
}

GtkWidget* addControl(MainWindow& main, const ControlSpec& spec) {
  GtkWidget* widget = nullptr;
  switch (spec.kind) {
    case ControlKind::SunkenPictureView:
      return addSunkenView(main, spec);
    case ControlKind::PictureView:
      widget = gtk_image_new_from_pixbuf(pictureOf(main, spec.id));
      break;
    case ControlKind::ProgressBar:
      widget = gtk_progress_bar_new();
      break;
    case ControlKind::PushButton:
      widget = gtk_button_new_with_label(spec.label);
      break;
    case ControlKind::SpinControl: {
      GtkObject* range = gtk_adjustment_new(0, 0, 3, 1, 1, 0);
      widget = gtk_spin_button_new(GTK_ADJUSTMENT(range), 1, 0);
      gtk_spin_button_set_numeric(GTK_SPIN_BUTTON(widget), TRUE);
      break;
    }
    case ControlKind::GroupFrame:
      widget = gtk_frame_new(spec.label);
      fitLabelToWidth(gtk_frame_get_label_widget(GTK_FRAME(widget)), spec.width);
      break;
    case ControlKind::CheckBox:
      widget = *spec.label ? gtk_check_button_new_with_label(spec.label) : gtk_check_button_new();
      break;
  }
  place(main, widget, spec.x, spec.y, spec.width, spec.height);
  return widget;
}

// A title bar with the system menu, close box and sizing border, but no minimise or
// maximise box; window managers that honour the hints draw it so.
void limitWindowFrame(GtkWidget* window, gpointer) {
  gdk_window_set_decorations(window->window, GdkWMDecoration(GDK_DECOR_BORDER | GDK_DECOR_RESIZEH |
                                                             GDK_DECOR_TITLE | GDK_DECOR_MENU));
  gdk_window_set_functions(window->window,
                           GdkWMFunction(GDK_FUNC_RESIZE | GDK_FUNC_MOVE | GDK_FUNC_CLOSE));
}

}  // namespace

MainWindow::~MainWindow() {
  stopRefreshTimer(*this);
  stopMotionTimer(*this);
  if (window != nullptr) gtk_widget_destroy(window);
  for (GdkPixbuf* picture : {sourcePicture, blendPicture, framePictures[0], framePictures[1],
                             framePictures[2], bannerPicture}) {
    if (picture != nullptr) g_object_unref(picture);
  }
}

std::unique_ptr<MainWindow> createMainWindow(SharedState& state) {
  auto main = std::make_unique<MainWindow>(state);
  main->bannerPicture = loadBanner();
  main->sourcePicture = newBlackPicture();
  main->blendPicture = newBlackPicture();
  for (GdkPixbuf*& frame : main->framePictures) frame = newBlackPicture();

  main->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(main->window), kWindowTitle);
  // The icon the installation puts in the hicolor theme (the desktop entry's); a window run
  // from the build folder finds none and keeps the desktop's default.
  gtk_window_set_icon_name(GTK_WINDOW(main->window), "peltrix");
  gtk_window_move(GTK_WINDOW(main->window), kWindowX, kWindowY);
  g_signal_connect(main->window, "realize", G_CALLBACK(limitWindowFrame), nullptr);

  GtkWidget* column = gtk_vbox_new(FALSE, 0);
  gtk_container_add(GTK_CONTAINER(main->window), column);
  main->menuBar = buildMenuBar(*main);
  gtk_box_pack_start(GTK_BOX(column), main->menuBar, FALSE, FALSE, 0);

  // The controls' area requests exactly 994 x 580, so the progress bar's 1050 pixels reach
  // past the window's right edge instead of widening the window.
  main->fixed = gtk_fixed_new();
  gtk_widget_set_size_request(main->fixed, kClientWidth, kControlsHeight);
  gtk_box_pack_start(GTK_BOX(column), main->fixed, TRUE, TRUE, 0);

  // The status line keeps to the bottom edge, as wide as the window; its text is cut short
  // rather than widen the window. No grip: the Win32 window has none either.
  main->statusLine = gtk_statusbar_new();
  gtk_statusbar_set_has_resize_grip(GTK_STATUSBAR(main->statusLine), FALSE);
  // A few pixels between the frame and the text, as the Win32 window's status bar leaves.
  gtk_misc_set_padding(GTK_MISC(GTK_STATUSBAR(main->statusLine)->label), 3, 0);
  gtk_widget_set_size_request(main->statusLine, -1, kStatusLineHeight);
  gtk_box_pack_start(GTK_BOX(column), main->statusLine, FALSE, FALSE, 0);

  for (const ControlSpec& spec : kControlLayout) main->controls[spec.id] = addControl(*main, spec);
  main->flickerLegend = buildFlickerLegend(*main);

  main->dialogs = realDialogs(*main);
  connectSignals(*main);
  return main;
}

void setInitialStates(MainWindow& main) {
  gtk_spin_button_set_value(GTK_SPIN_BUTTON(main.controls[kDitherSpin]), kDefaultDitherLevel);
  applyInitialStates(main);
}

void setSpinText(MainWindow& main, int level) {
  gtk_entry_set_text(GTK_ENTRY(main.controls[kDitherSpin]), std::to_string(level).c_str());
}

void setEnabled(MainWindow& main, ControlId id, bool enabled) {
  gtk_widget_set_sensitive(main.controls[id], enabled ? TRUE : FALSE);
}

void setMenuItemEnabled(MainWindow& main, MenuItemId item, bool enabled) {
  gtk_widget_set_sensitive(main.menuItems[item], enabled ? TRUE : FALSE);
}

bool isOn(const MainWindow& main, ControlId checkBox) {
  return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(main.controls[checkBox])) != FALSE;
}

void setOn(MainWindow& main, ControlId checkBox, bool on) {
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(main.controls[checkBox]), on ? TRUE : FALSE);
}

int spinValue(const MainWindow& main) {
  return gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(main.controls[kDitherSpin]));
}

void setSpinValue(MainWindow& main, int level) {
  gtk_spin_button_set_value(GTK_SPIN_BUTTON(main.controls[kDitherSpin]), level);
}

void setProgress(MainWindow& main, int rows) {
  const double fraction = std::clamp(rows, 0, kProgressMaximum) / double(kProgressMaximum);
  gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(main.controls[kProgressBar]), fraction);
}

void setStatus(MainWindow& main, const std::string& text) {
  GtkStatusbar* line = GTK_STATUSBAR(main.statusLine);
  const guint context = gtk_statusbar_get_context_id(line, "window");
  gtk_statusbar_remove_all(line, context);
  if (!text.empty()) gtk_statusbar_push(line, context, text.c_str());
}

void refreshPreviews(MainWindow& main) {
  showBlendPicture(main, blendViewPicture(main.state, main.blendViewShows, main.motion));
  const ControlId frameViews[3] = {kFrame1View, kFrame2View, kFrame3View};
  for (int f = 0; f < 3; ++f) {
    drawRgbPicture(frameView(main.state, f), main.framePictures[f]);
    gtk_widget_queue_draw(main.controls[frameViews[f]]);
  }
}

void showSourcePicture(MainWindow& main) {
  drawRgbPicture(tonedPixels(main.state.sourceImage.rgb, main.state.chosen.tone),
                 main.sourcePicture);
  gtk_widget_queue_draw(main.controls[kSourceView]);
}

}  // namespace peltrix::gui
