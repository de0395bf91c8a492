// The main window's controls: their fixed identifiers, kinds, positions, sizes and labels.
// Commands address controls by these identifiers; the table is also what tests check the
// built window against.
#pragma once

#include <array>

namespace peltrix::gui {

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

enum MenuItemId : int {
  kOpenBitmapItem = 0,
  kSaveRawItem = 1,
  kSavePrgItem = 2,
  kExitItem = 3,
  kAboutItem = 4,
};
constexpr int kMenuItemCount = 5;

enum class ControlKind {
  SunkenPictureView,
  PictureView,
  ProgressBar,
  PushButton,
  SpinControl,
  GroupFrame,
  CheckBox
};

struct ControlSpec {
  ControlId id;
  ControlKind kind;
  int x, y, width, height;  // client pixels
  const char* label;        // text of buttons, frames and checkboxes; "" for the others
};

// Every control in the order the window creates it (later ones lie on top of earlier ones,
// so each checkbox sits above its group frame), with the geometry of GTK's larger widgets.
extern const std::array<ControlSpec, kControlCount> kControlLayout;

// The layout row of a control.
const ControlSpec& controlSpec(ControlId id);

struct MenuSpec {
  MenuItemId id;
  const char* menuTitle;
  const char* itemText;
};
extern const std::array<MenuSpec, kMenuItemCount> kMenuLayout;

constexpr int kClientWidth = 994;
constexpr int kClientHeight = 580;
constexpr int kWindowX = 162;
constexpr int kWindowY = 186;
constexpr int kProgressMaximum = 25;  // the bar spans rows 0..25

}  // namespace peltrix::gui
