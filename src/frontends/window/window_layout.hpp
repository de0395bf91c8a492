// The main window as data, free of any toolkit: every control's identifier, kind, place and
// label in both skins (the Win32 window and the GTK one, whose widgets are larger), the menu,
// and the window's own place, size and texts. Commands address controls by these
// identifiers; both skins build their window from this one table and both skins' tests
// check the built window against it, so the two windows cannot drift apart.
#pragma once

#include <array>
#include <string>

#include "colour/palettes.hpp"

namespace peltrix {

// What the status line says of a choice made while a conversion runs, in both windows and on
// the page: the conversion keeps the settings it started with ("Luma only mode" alone
// reaches it at once).
inline constexpr const char* kNextConversionStatus =
    "Changed during the conversion: applies to the next one.";

enum ControlId : int {
  kSourceView = 0,
  kBlendView = 1,
  kProgressBar = 2,
  kProcessButton = 3,
  kBannerView = 4,
  kFrame1View = 5,
  kFrame2View = 6,
  kFrame3View = 7,
  kDitherSpin = 8,
  kDitherGroup = 9,
  kMultithreadGroup = 10,
  kColourModeGroup = 11,
  kLumaOverloadGroup = 12,
  kFliGroup = 13,
  kExeModeGroup = 14,
  kSuperFlickerGroup = 15,
  kDeflickerGroup = 16,
  kLumaOnlyGroup = 17,
  kMultithreadBox = 18,
  kBruteForceBox = 19,
  kLumaOverloadBox = 20,
  kFliBox = 21,
  kNtscBox = 22,
  kSuperFlickerBox = 23,
  kAssLaceBox = 24,
  kLumaOnlyBox = 25,
  kStopButton = 26,
};
constexpr int kControlCount = 27;

// The menu bar's items: "File" and "About" hold items 0-4; the "Picture" menu between them
// holds one radio item per built-in palette, the match and the eye match's dither as radio
// groups, "Adjust…" and "Restore Defaults"; the "Framing" menu chooses how an opened picture
// is framed and the C64 pixel's shape; the "View" menu chooses what picture view 1
// (kBlendView) shows and how fast the picture in motion runs. The identifiers up to
// kAdjustItem keep their numbers; the later ones follow it.
enum MenuItemId : int {
  kOpenBitmapItem = 0,
  kSaveRawItem = 1,
  kSavePrgItem = 2,
  kExitItem = 3,
  kAboutItem = 4,
  kFirstPaletteItem = 5,  // item 5 + i chooses built-in palette i
  kAdjustItem = kFirstPaletteItem + kBuiltinPaletteCount,
  kClassicMatchItem,
  kEyeMatchItem,
  kDiffusionItem,  // the eye match's dither: error diffusion,
  kOrderedDitherItem,
  kNoDitherItem,
  kBlendViewItem,    // picture view 1 shows the blend the match judged,
  kEyeViewItem,      // what the eye sees,
  kMotionViewItem,   // the three frames in turn as the C64 shows them,
  kFlickerViewItem,  // or the flicker map
  kFullSpeedItem,    // the picture in motion: one C64 frame per display refresh,
  kQuarterSpeedItem,
  kSixteenthSpeedItem,
  kPlayPauseItem,
  kTopLeftFramingItem,  // an opened picture's top-left 320 x 200, unscaled (the default),
  kFitFramingItem,      // the whole picture scaled into the screen,
  kFillFramingItem,     // scaled to cover it,
  kFitVisibleItem,      // fit or fill into what the viewer shows
  kFillVisibleItem,
  kPalAspectItem,  // the C64 pixel's shape that fit and fill keep
  kNtscAspectItem,
  kSquareAspectItem,
  kRestoreDefaultsItem,  // every choice of the window back to its start-up state
};
constexpr int kMenuItemCount = kRestoreDefaultsItem + 1;

constexpr MenuItemId paletteItem(int palette) {
  return static_cast<MenuItemId>(kFirstPaletteItem + palette);
}
// The built-in palette an item chooses, or -1.
constexpr int paletteOfItem(int item) {
  return item >= kFirstPaletteItem && item < kAdjustItem ? item - kFirstPaletteItem : -1;
}

// A group of radio items of which exactly one is chosen, the first at start-up: identifiers
// first..last, consecutive in the menu too.
struct MenuRadioGroup {
  MenuItemId first, last;
  constexpr bool holds(int item) const { return item >= first && item <= last; }
};
inline constexpr std::array<MenuRadioGroup, 7> kMenuRadioGroups = {{
    {paletteItem(0), paletteItem(kBuiltinPaletteCount - 1)},
    {kClassicMatchItem, kEyeMatchItem},
    {kDiffusionItem, kNoDitherItem},
    {kTopLeftFramingItem, kFillVisibleItem},
    {kPalAspectItem, kSquareAspectItem},
    {kBlendViewItem, kFlickerViewItem},
    {kFullSpeedItem, kSixteenthSpeedItem},
}};
// The group of the eye match's dither items, enabled only while "Eye match" is chosen.
inline constexpr MenuRadioGroup kEyeDitherItems = kMenuRadioGroups[2];

enum class ControlKind {
  SunkenPictureView,
  PictureView,
  ProgressBar,
  PushButton,
  SpinControl,
  GroupFrame,
  CheckBox
};

// The two windows: Win32's standard controls, and GTK 2's larger widgets.
enum class Skin { Win32, Gtk };

// One control as one skin builds it.
struct ControlSpec {
  ControlId id;
  ControlKind kind;
  int x, y, width, height;  // client pixels
  const char* label;        // text of buttons, frames and checkboxes; "" for the others
};

struct ControlGeometry {
  int x, y, width, height;
};

// One control in both skins.
struct ControlRow {
  ControlId id;
  ControlKind kind;
  ControlGeometry win32, gtk;
  const char* win32Label;
  const char* gtkLabel;

  constexpr ControlSpec in(Skin skin) const {
    const ControlGeometry& p = skin == Skin::Win32 ? win32 : gtk;
    return {id, kind, p.x, p.y, p.width, p.height, skin == Skin::Win32 ? win32Label : gtkLabel};
  }
};

// Every control in the order the window creates it.
extern const std::array<ControlRow, kControlCount> kControlTable;

// The table's column for each skin, in creation order.
extern const std::array<ControlSpec, kControlCount> kWin32Controls;
extern const std::array<ControlSpec, kControlCount> kGtkControls;

// The row of a control; throws std::out_of_range for an identifier outside 0..26.
const ControlRow& controlRow(ControlId id);

struct MenuSpec {
  MenuItemId id;
  const char* menuTitle;
  const char* itemText;
  bool radio = false;            // one of a group of which exactly one is chosen
  bool separatorBefore = false;  // a line above it
};
// The menu bar's items in order, grouped under their titles; no shortcuts.
const std::array<MenuSpec, kMenuItemCount>& menuLayout();

constexpr int kClientWidth = 994;
// The table's controls lie in the top 580 pixels; under them, across the client area's
// whole width and along its bottom edge, the status line (window_commands.hpp's setStatus),
// as tall in both skins.
constexpr int kControlsHeight = 580;
constexpr int kStatusLineHeight = 22;
constexpr int kClientHeight = kControlsHeight + kStatusLineHeight;
constexpr int kWindowX = 162;
constexpr int kWindowY = 186;
constexpr int kProgressMaximum = 25;  // the bar spans rows 0..25
constexpr int kDitherMaximum = 3;     // the dither spin spans 0..3

// The flicker map's legend, shown under picture view 1 while it shows the map, in the strip
// between the progress bar and the status line: the colour scale from 0 to 0.1 with a tick
// every 0.02, and its caption under it, as wide as picture views 2 and 3.
constexpr ControlGeometry kFlickerScale{336, 544, 320, 10};
constexpr ControlGeometry kFlickerCaption{336, 556, 648, 20};
inline constexpr const char* kFlickerLegendText =
    "Flicker: black steady, pale yellow 0.1 or more; a tick every 0.02, seen from the first";

// The title bar text: the program's name and its authorship notice.
extern const char* const kWindowTitle;

// The one line of the about box: name, version, authors, licence and build date.
std::string aboutText();

}  // namespace peltrix
