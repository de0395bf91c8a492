// The main window as built: geometry and labels of every control, the menu, the start-up
// states and the pictures the views show before any job.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstring>
#include <string>

#include "frontends/gtk/banner.hpp"
#include "frontends/gtk/control_layout.hpp"
#include "window_fixture.hpp"

namespace peltrix::testing {
namespace {

using namespace gui;

std::string labelOf(GtkWidget* widget) {
  const char* text = nullptr;
  if (GTK_IS_FRAME(widget)) {
    text = gtk_frame_get_label(GTK_FRAME(widget));
  } else if (GTK_IS_BUTTON(widget)) {
    text = gtk_button_get_label(GTK_BUTTON(widget));
  }
  return text ? text : "";
}

bool allBlack(GdkPixbuf* picture) {
  const int rowStride = gdk_pixbuf_get_rowstride(picture);
  const int rowBytes = gdk_pixbuf_get_width(picture) * gdk_pixbuf_get_n_channels(picture);
  const guchar* pixels = gdk_pixbuf_get_pixels(picture);
  for (int y = 0; y < gdk_pixbuf_get_height(picture); ++y) {
    for (int x = 0; x < rowBytes; ++x) {
      if (pixels[y * rowStride + x] != 0) return false;
    }
  }
  return true;
}

TEST_F(WindowTest, EveryControlSitsAtItsPlaceWithItsLabel) {
  for (const ControlSpec& spec : kControlLayout) {
    SCOPED_TRACE("control " + std::to_string(spec.id));
    GtkWidget* widget = window->controls[spec.id];
    ASSERT_NE(widget, nullptr);
    const GdkRectangle place = placeOf(spec.id);
    EXPECT_EQ(place.x, spec.x);
    EXPECT_EQ(place.y, spec.y);
    EXPECT_EQ(place.width, spec.width);
    EXPECT_EQ(place.height, spec.height);
    EXPECT_EQ(labelOf(widget), spec.label);
    EXPECT_TRUE(GTK_WIDGET_VISIBLE(widget));
  }
}

TEST_F(WindowTest, EveryGroupTitleIsShownWhole) {
  for (const ControlSpec& spec : kControlLayout) {
    if (spec.kind != ControlKind::GroupFrame) continue;
    SCOPED_TRACE(spec.label);
    GtkWidget* title = gtk_frame_get_label_widget(GTK_FRAME(window->controls[spec.id]));
    GtkRequisition wanted;
    gtk_widget_size_request(title, &wanted);
    EXPECT_LE(wanted.width, title->allocation.width);
  }
}

TEST_F(WindowTest, ControlsOfEachKindAreTheRightWidgets) {
  EXPECT_TRUE(GTK_IS_PROGRESS_BAR(window->controls[kProgressBar]));
  EXPECT_TRUE(GTK_IS_SPIN_BUTTON(window->controls[kDitherSpin]));
  for (ControlId id : {kProcessButton, kStopButton}) {
    EXPECT_TRUE(GTK_IS_BUTTON(window->controls[id]) && !GTK_IS_TOGGLE_BUTTON(window->controls[id]));
  }
  for (int id = kMultithreadBox; id <= kLumaOnlyBox; ++id) {
    EXPECT_TRUE(GTK_IS_CHECK_BUTTON(window->controls[id])) << id;
  }
  for (int id = kDitherGroup; id <= kLumaOnlyGroup; ++id) {
    EXPECT_TRUE(GTK_IS_FRAME(window->controls[id])) << id;
  }
  // The five picture views have a sunken border just outside their 320 x 200 pixels; the
  // source view's image lies in an event box (for dragging) of its size.
  for (ControlId id : {kSourceView, kBlendView, kFrame1View, kFrame2View, kFrame3View}) {
    GtkWidget* view = window->controls[id];
    ASSERT_TRUE(GTK_IS_IMAGE(view)) << id;
    if (id == kSourceView) {
      view = gtk_widget_get_parent(view);
      ASSERT_TRUE(GTK_IS_EVENT_BOX(view));
    }
    GtkWidget* border = gtk_widget_get_parent(view);
    ASSERT_TRUE(GTK_IS_FRAME(border)) << id;
    EXPECT_EQ(gtk_frame_get_shadow_type(GTK_FRAME(border)), GTK_SHADOW_IN) << id;
  }
  EXPECT_EQ(gtk_widget_get_parent(window->controls[kBannerView]), window->fixed);
}

TEST_F(WindowTest, WindowHasItsTitleClientAreaAndAnOverlongProgressBar) {
  const std::string title = gtk_window_get_title(GTK_WINDOW(window->window));
  EXPECT_EQ(title.rfind("Peltrix Converter", 0), 0u) << title;
  EXPECT_GT(title.size(), std::strlen("Peltrix Converter")) << "the authorship notice is missing";
  int x = 0, y = 0;
  gdk_window_get_origin(window->window->window, &x, &y);  // Xvfb has no window manager
  EXPECT_EQ(x, kWindowX);
  EXPECT_EQ(y, kWindowY);
  EXPECT_EQ(window->fixed->allocation.width, kClientWidth);
  EXPECT_EQ(window->fixed->allocation.height, kControlsHeight);
  EXPECT_EQ(window->window->allocation.width, kClientWidth);
  // Below the menu bar: the controls' area, then the status line.
  EXPECT_EQ(window->window->allocation.height, window->fixed->allocation.y + kClientHeight);
  // The bar's right end lies beyond the window's right edge.
  const GdkRectangle bar = placeOf(kProgressBar);
  EXPECT_GT(bar.x + bar.width, window->window->allocation.width);
}

TEST_F(WindowTest, TheStatusLineLiesUnderEveryControlAcrossTheWindow) {
  ASSERT_TRUE(GTK_IS_STATUSBAR(window->statusLine));
  const GtkAllocation& client = window->fixed->allocation;
  const GtkAllocation& line = window->statusLine->allocation;
  EXPECT_EQ(line.y - client.y, kControlsHeight);
  EXPECT_EQ(line.height, kStatusLineHeight);
  EXPECT_EQ(line.x, 0);
  EXPECT_EQ(line.width, window->window->allocation.width);
  EXPECT_EQ(line.y + line.height, window->window->allocation.height) << "not inside the window";
  for (const ControlSpec& spec : kControlLayout) {
    // A sunken view's border lies just outside its place.
    const GtkWidget* outer = spec.kind == ControlKind::SunkenPictureView
                                 ? gtk_widget_get_parent(window->controls[spec.id])
                                 : window->controls[spec.id];
    EXPECT_LE(outer->allocation.y + outer->allocation.height, line.y) << spec.id;
  }
  EXPECT_TRUE(GTK_WIDGET_VISIBLE(window->statusLine));
}

TEST_F(WindowTest, ResizingTheWindowMovesNoControl) {
  gtk_window_resize(GTK_WINDOW(window->window), 1200, 800);
  ASSERT_TRUE(pumpUntil([&] { return window->window->allocation.width == 1200; }, 10));
  pumpPending();
  for (const ControlSpec& spec : kControlLayout) {
    const GdkRectangle place = placeOf(spec.id);
    EXPECT_EQ(place.x, spec.x) << spec.id;
    EXPECT_EQ(place.width, spec.width) << spec.id;
  }
}

TEST_F(WindowTest, MenuHoldsItsItemsWithoutShortcuts) {
  GList* titles = gtk_container_get_children(GTK_CONTAINER(window->menuBar));
  ASSERT_EQ(g_list_length(titles), 5u);
  const char* expectedTitles[] = {"File", "Picture", "Framing", "View", "About"};
  const std::vector<std::vector<std::string>> expectedItems = {
      {"Open Bitmap", "Save Raw", "Save Prg", "Exit"},
      {"pepto-pal", "colodore", "community-colors", "-", "Classic match", "Eye match", "-",
       "Error diffusion", "Ordered dither", "No dither", "-", "Adjust\u2026", "-",
       "Restore Defaults"},
      {"Top-left, unscaled", "Fit", "Fill", "Fit the visible area", "Fill the visible area", "-",
       "PAL pixels", "NTSC pixels", "Square pixels"},
      {"Blend", "What the eye sees", "Picture in motion", "Flicker map", "-", "Full speed",
       "1/4 speed", "1/16 speed", "-", "Play / Pause"},
      {"About"}};
  int n = 0;
  for (GList* t = titles; t != nullptr; t = t->next, ++n) {
    GtkMenuItem* title = GTK_MENU_ITEM(t->data);
    EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(gtk_bin_get_child(GTK_BIN(title)))),
                 expectedTitles[n]);
    GtkWidget* menu = gtk_menu_item_get_submenu(title);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(gtk_menu_get_accel_group(GTK_MENU(menu)), nullptr);
    GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
    std::vector<std::string> texts;
    for (GList* i = items; i != nullptr; i = i->next) {
      if (GTK_IS_SEPARATOR_MENU_ITEM(i->data)) {
        texts.push_back("-");
        continue;
      }
      GtkWidget* label = gtk_bin_get_child(GTK_BIN(i->data));
      texts.push_back(gtk_label_get_text(GTK_LABEL(label)));
      // No key is bound to the item.
      EXPECT_EQ(gtk_accel_label_get_accel_width(GTK_ACCEL_LABEL(label)), 0u);
    }
    EXPECT_EQ(texts, expectedItems[n]);
    g_list_free(items);
  }
  g_list_free(titles);
  // The items are reachable by identifier.
  const char* byId[] = {"Open Bitmap",
                        "Save Raw",
                        "Save Prg",
                        "Exit",
                        "About",
                        "pepto-pal",
                        "colodore",
                        "community-colors",
                        "Adjust\u2026",
                        "Classic match",
                        "Eye match",
                        "Error diffusion",
                        "Ordered dither",
                        "No dither",
                        "Blend",
                        "What the eye sees",
                        "Picture in motion",
                        "Flicker map",
                        "Full speed",
                        "1/4 speed",
                        "1/16 speed",
                        "Play / Pause",
                        "Top-left, unscaled",
                        "Fit",
                        "Fill",
                        "Fit the visible area",
                        "Fill the visible area",
                        "PAL pixels",
                        "NTSC pixels",
                        "Square pixels",
                        "Restore Defaults"};
  static_assert(std::size(byId) == kMenuItemCount);
  for (int id = 0; id < kMenuItemCount; ++id) {
    GtkWidget* label = gtk_bin_get_child(GTK_BIN(window->menuItems[id]));
    EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(label)), byId[id]);
  }
  // The palettes, the matches, the eye match's dithers and the views are radio groups of
  // their own, each with its first chosen; the dithers wait, greyed, for the eye match.
  for (const MenuRadioGroup& group : kMenuRadioGroups) {
    GSList* members =
        gtk_radio_menu_item_get_group(GTK_RADIO_MENU_ITEM(window->menuItems[group.first]));
    EXPECT_EQ(g_slist_length(members), guint(group.last - group.first + 1)) << group.first;
    for (int id = group.first; id <= group.last; ++id) {
      GtkWidget* item = window->menuItems[id];
      ASSERT_TRUE(GTK_IS_RADIO_MENU_ITEM(item));
      EXPECT_NE(g_slist_find(members, item), nullptr) << id;
      EXPECT_EQ(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item)), id == group.first) << id;
      EXPECT_EQ(GTK_WIDGET_SENSITIVE(item) != 0, !kEyeDitherItems.holds(id)) << id;
    }
  }
}

TEST_F(WindowTest, StartsInItsInitialStates) {
  EXPECT_EQ(spinValue(*window), 2);
  EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(window->controls[kDitherSpin])), "2");
  EXPECT_EQ(state->chosen.ditherLevel, 2);
  for (ControlId on : {kMultithreadBox, kBruteForceBox, kLumaOverloadBox, kFliBox}) {
    EXPECT_TRUE(isOn(*window, on)) << on;
  }
  for (ControlId off : {kNtscBox, kSuperFlickerBox, kAssLaceBox, kLumaOnlyBox}) {
    EXPECT_FALSE(isOn(*window, off)) << off;
  }
  for (const ControlSpec& spec : kControlLayout) {
    EXPECT_EQ(GTK_WIDGET_SENSITIVE(window->controls[spec.id]) != 0, spec.id != kAssLaceBox)
        << spec.id;
  }
  EXPECT_EQ(gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(window->controls[kProgressBar])), 0.0);
  EXPECT_FALSE(state->lumaOnly.load());
  EXPECT_FALSE(state->resultReady);
  EXPECT_EQ(window->refreshTimer, 0u);
}

TEST_F(WindowTest, PictureViewsStartBlackAndTheBannerIsDecoded) {
  for (ControlId id : {kSourceView, kBlendView, kFrame1View, kFrame2View, kFrame3View}) {
    GdkPixbuf* shown = gtk_image_get_pixbuf(GTK_IMAGE(window->controls[id]));
    ASSERT_NE(shown, nullptr) << id;
    EXPECT_EQ(gdk_pixbuf_get_width(shown), 320);
    EXPECT_EQ(gdk_pixbuf_get_height(shown), 200);
    EXPECT_TRUE(allBlack(shown)) << id;
  }
  GdkPixbuf* banner = gtk_image_get_pixbuf(GTK_IMAGE(window->controls[kBannerView]));
  ASSERT_NE(banner, nullptr);
  EXPECT_EQ(gdk_pixbuf_get_width(banner), kBannerWidth);
  EXPECT_EQ(gdk_pixbuf_get_height(banner), kBannerHeight);
  EXPECT_FALSE(allBlack(banner)) << "the black fallback is shown instead of the banner";
}

}  // namespace
}  // namespace peltrix::testing
