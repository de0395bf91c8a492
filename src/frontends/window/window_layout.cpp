#include "frontends/window/window_layout.hpp"

#include <stdexcept>

namespace peltrix {

using enum ControlKind;

// Win32 placement first, then GTK's; GTK's widgets need a few more pixels here and there.
constexpr std::array<ControlRow, kControlCount> kTable = {{
    {kSourceView, SunkenPictureView, {8, 90, 320, 200}, {8, 90, 320, 200}, "", ""},
    {kBlendView, SunkenPictureView, {336, 90, 320, 200}, {336, 90, 320, 200}, "", ""},
    {kProgressBar, ProgressBar, {0, 520, 1050, 20}, {0, 520, 1050, 20}, "", ""},
    {kProcessButton, PushButton, {914, 260, 70, 30}, {914, 260, 69, 30}, "Process", "Process"},
    {kBannerView, PictureView, {6, 0, 980, 80}, {6, 0, 980, 80}, "", ""},
    {kFrame1View, SunkenPictureView, {8, 300, 320, 200}, {8, 300, 320, 200}, "", ""},
    {kFrame2View, SunkenPictureView, {336, 300, 320, 200}, {336, 300, 320, 200}, "", ""},
    {kFrame3View, SunkenPictureView, {664, 300, 320, 200}, {664, 300, 320, 200}, "", ""},
    {kDitherSpin, SpinControl, {670, 260, 30, 20}, {670, 260, 40, 30}, "", ""},
    {kDitherGroup, GroupFrame, {660, 240, 70, 50}, {660, 240, 70, 54}, "Dithering", "Dithering"},
    {kMultithreadGroup,
     GroupFrame,
     {740, 240, 70, 50},
     {732, 240, 82, 54},
     "Multithread",
     "Multithread"},
    {kColourModeGroup,
     GroupFrame,
     {660, 169, 149, 40},
     {660, 169, 154, 40},
     "Color Selection mode",
     "Color Selection mode"},
    {kMultithreadBox, CheckBox, {750, 260, 20, 20}, {750, 260, 20, 20}, "", ""},
    {kStopButton, PushButton, {820, 260, 70, 30}, {820, 260, 70, 30}, "Stop", "Stop"},
    {kBruteForceBox,
     CheckBox,
     {670, 185, 120, 20},
     {670, 185, 120, 20},
     "Brute Force",
     "Brute Force"},
    {kLumaOverloadGroup,
     GroupFrame,
     {660, 127, 149, 40},
     {660, 127, 154, 40},
     "Luma overload reduction",
     "Luma overload filter"},
    {kLumaOverloadBox, CheckBox, {670, 143, 120, 20}, {670, 143, 120, 20}, "Activate", "Activate"},
    {kFliGroup,
     GroupFrame,
     {660, 85, 149, 40},
     {660, 85, 154, 40},
     "Per 2 line FLI",
     "Per 2 line FLI"},
    {kFliBox, CheckBox, {670, 101, 120, 20}, {670, 101, 120, 20}, "Activate", "Activate"},
    {kExeModeGroup,
     GroupFrame,
     {814, 85, 149, 40},
     {818, 85, 164, 40},
     "C64 Exe mode",
     "C64 Exe mode"},
    {kNtscBox, CheckBox, {824, 101, 120, 20}, {828, 101, 120, 20}, "NTSC", "NTSC"},
    {kSuperFlickerGroup,
     GroupFrame,
     {814, 127, 149, 40},
     {818, 127, 164, 40},
     "Super Flicker reduction",
     "Super Flicker reduction"},
    {kSuperFlickerBox, CheckBox, {824, 143, 120, 20}, {828, 143, 120, 20}, "Activate", "Activate"},
    {kDeflickerGroup,
     GroupFrame,
     {814, 169, 149, 40},
     {818, 169, 164, 40},
     "Non-FLI Deflicker Option",
     "Non-FLI Deflicker Option"},
    {kAssLaceBox, CheckBox, {824, 185, 120, 20}, {828, 185, 120, 20}, "Ass Lace", "Ass Lace"},
    {kLumaOnlyGroup,
     GroupFrame,
     {814, 211, 149, 40},
     {818, 211, 164, 40},
     "Luma only mode",
     "Luma only mode"},
    {kLumaOnlyBox, CheckBox, {824, 227, 120, 20}, {828, 227, 120, 20}, "Activate", "Activate"},
}};

constexpr std::array<ControlSpec, kControlCount> columnOf(Skin skin) {
  std::array<ControlSpec, kControlCount> column{};
  for (int i = 0; i < kControlCount; ++i) column[i] = kTable[i].in(skin);
  return column;
}

// Constant-initialised, so skins may read them from their own static initialisers.
constinit const std::array<ControlRow, kControlCount> kControlTable = kTable;
constinit const std::array<ControlSpec, kControlCount> kWin32Controls = columnOf(Skin::Win32);
constinit const std::array<ControlSpec, kControlCount> kGtkControls = columnOf(Skin::Gtk);

const ControlRow& controlRow(ControlId id) {
  for (const ControlRow& row : kControlTable) {
    if (row.id == id) return row;
  }
  throw std::out_of_range("no control with this identifier");
}

const std::array<MenuSpec, kMenuItemCount>& menuLayout() {
  static const std::array<MenuSpec, kMenuItemCount> layout = [] {
    std::array<MenuSpec, kMenuItemCount> items{{
        {kOpenBitmapItem, "File", "Open Bitmap"},
        {kSaveRawItem, "File", "Save Raw"},
        {kSavePrgItem, "File", "Save Prg"},
        {kExitItem, "File", "Exit"},
    }};
    int n = 4;
    for (int p = 0; p < kBuiltinPaletteCount; ++p) {
      items[n++] = {paletteItem(p), "Picture", builtinPalettes()[p].name, true};
    }
    items[n++] = {kClassicMatchItem, "Picture", "Classic match", true, true};
    items[n++] = {kEyeMatchItem, "Picture", "Eye match", true};
    items[n++] = {kDiffusionItem, "Picture", "Error diffusion", true, true};
    items[n++] = {kOrderedDitherItem, "Picture", "Ordered dither", true};
    items[n++] = {kNoDitherItem, "Picture", "No dither", true};
    items[n++] = {kAdjustItem, "Picture", "Adjust\u2026", false, true};
    items[n++] = {kRestoreDefaultsItem, "Picture", "Restore Defaults", false, true};
    items[n++] = {kTopLeftFramingItem, "Framing", "Top-left, unscaled", true};
    items[n++] = {kFitFramingItem, "Framing", "Fit", true};
    items[n++] = {kFillFramingItem, "Framing", "Fill", true};
    items[n++] = {kFitVisibleItem, "Framing", "Fit the visible area", true};
    items[n++] = {kFillVisibleItem, "Framing", "Fill the visible area", true};
    items[n++] = {kPalAspectItem, "Framing", "PAL pixels", true, true};
    items[n++] = {kNtscAspectItem, "Framing", "NTSC pixels", true};
    items[n++] = {kSquareAspectItem, "Framing", "Square pixels", true};
    items[n++] = {kBlendViewItem, "View", "Blend", true};
    items[n++] = {kEyeViewItem, "View", "What the eye sees", true};
    items[n++] = {kMotionViewItem, "View", "Picture in motion", true};
    items[n++] = {kFlickerViewItem, "View", "Flicker map", true};
    items[n++] = {kFullSpeedItem, "View", "Full speed", true, true};
    items[n++] = {kQuarterSpeedItem, "View", "1/4 speed", true};
    items[n++] = {kSixteenthSpeedItem, "View", "1/16 speed", true};
    items[n++] = {kPlayPauseItem, "View", "Play / Pause", false, true};
    items[n++] = {kAboutItem, "About", "About"};
    return items;
  }();
  return layout;
}

const char* const kWindowTitle = "Peltrix Converter - written by the peltrix authors";

std::string aboutText() {
  return std::string("Peltrix Converter ") + PELTRIX_VERSION +
         ", written by the peltrix authors, MIT licence, built " + PELTRIX_BUILD_DATE;
}

}  // namespace peltrix
