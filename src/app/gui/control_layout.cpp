#include "app/gui/control_layout.hpp"

#include <stdexcept>

namespace peltrix::gui {

using enum ControlKind;

const std::array<ControlSpec, kControlCount> kControlLayout = {{
    {kSourceView, SunkenPictureView, 8, 90, 320, 200, ""},
    {kBlendView, SunkenPictureView, 336, 90, 320, 200, ""},
    {kProgressBar, ProgressBar, 0, 520, 1050, 20, ""},
    {kProcessButton, PushButton, 914, 260, 69, 30, "Process"},
    {kBannerView, PictureView, 6, 0, 980, 80, ""},
    {kFrame1View, SunkenPictureView, 8, 300, 320, 200, ""},
    {kFrame2View, SunkenPictureView, 336, 300, 320, 200, ""},
    {kFrame3View, SunkenPictureView, 664, 300, 320, 200, ""},
    {kDitherSpin, SpinControl, 670, 260, 40, 30, ""},
    {kDitherGroup, GroupFrame, 660, 240, 70, 54, "Dithering"},
    {kMultithreadGroup, GroupFrame, 732, 240, 82, 54, "Multithread"},
    {kColourModeGroup, GroupFrame, 660, 169, 154, 40, "Color Selection mode"},
    {kMultithreadBox, CheckBox, 750, 260, 20, 20, ""},
    {kStopButton, PushButton, 820, 260, 70, 30, "Stop"},
    {kBruteForceBox, CheckBox, 670, 185, 120, 20, "Brute Force"},
    {kLumaOverloadGroup, GroupFrame, 660, 127, 154, 40, "Luma overload filter"},
    {kLumaOverloadBox, CheckBox, 670, 143, 120, 20, "Activate"},
    {kFliGroup, GroupFrame, 660, 85, 154, 40, "Per 2 line FLI"},
    {kFliBox, CheckBox, 670, 101, 120, 20, "Activate"},
    {kExeModeGroup, GroupFrame, 818, 85, 164, 40, "C64 Exe mode"},
    {kNtscBox, CheckBox, 828, 101, 120, 20, "NTSC"},
    {kSuperFlickerGroup, GroupFrame, 818, 127, 164, 40, "Super Flicker reduction"},
    {kSuperFlickerBox, CheckBox, 828, 143, 120, 20, "Activate"},
    {kDeflickerGroup, GroupFrame, 818, 169, 164, 40, "Non-FLI Deflicker Option"},
    {kAssLaceBox, CheckBox, 828, 185, 120, 20, "Ass Lace"},
    {kLumaOnlyGroup, GroupFrame, 818, 211, 164, 40, "Luma only mode"},
    {kLumaOnlyBox, CheckBox, 828, 227, 120, 20, "Activate"},
}};

const ControlSpec& controlSpec(ControlId id) {
  for (const ControlSpec& spec : kControlLayout) {
    if (spec.id == id) return spec;
  }
  throw std::out_of_range("no control with this identifier");
}

const std::array<MenuSpec, kMenuItemCount> kMenuLayout = {{
    {kOpenBitmapItem, "File", "Open Bitmap"},
    {kSaveRawItem, "File", "Save Raw"},
    {kSavePrgItem, "File", "Save Prg"},
    {kExitItem, "File", "Exit"},
    {kAboutItem, "About", "About"},
}};

}  // namespace peltrix::gui
