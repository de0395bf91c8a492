// The window table both skins build from: the Win32 and GTK columns hold the same controls in
// the same order and differ exactly where GTK's larger widgets need it, and every checkbox
// and the spin sit inside their group frames in both windows.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "frontends/window/window_layout.hpp"

namespace peltrix::testing {
namespace {

struct Difference {
  ControlId id;
  ControlGeometry win32, gtk;
};

// Where GTK's column departs from Win32's, and nowhere else.
const Difference kGtkDifferences[] = {
    {kProcessButton, {914, 260, 70, 30}, {914, 260, 69, 30}},
    {kDitherSpin, {670, 260, 30, 20}, {670, 260, 40, 30}},
    {kDitherGroup, {660, 240, 70, 50}, {660, 240, 70, 54}},
    {kMultithreadGroup, {740, 240, 70, 50}, {732, 240, 82, 54}},
    {kColourModeGroup, {660, 169, 149, 40}, {660, 169, 154, 40}},
    {kLumaOverloadGroup, {660, 127, 149, 40}, {660, 127, 154, 40}},
    {kFliGroup, {660, 85, 149, 40}, {660, 85, 154, 40}},
    {kExeModeGroup, {814, 85, 149, 40}, {818, 85, 164, 40}},
    {kSuperFlickerGroup, {814, 127, 149, 40}, {818, 127, 164, 40}},
    {kDeflickerGroup, {814, 169, 149, 40}, {818, 169, 164, 40}},
    {kLumaOnlyGroup, {814, 211, 149, 40}, {818, 211, 164, 40}},
    {kNtscBox, {824, 101, 120, 20}, {828, 101, 120, 20}},
    {kSuperFlickerBox, {824, 143, 120, 20}, {828, 143, 120, 20}},
    {kAssLaceBox, {824, 185, 120, 20}, {828, 185, 120, 20}},
    {kLumaOnlyBox, {824, 227, 120, 20}, {828, 227, 120, 20}},
};

bool same(const ControlGeometry& a, const ControlGeometry& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

bool inside(const ControlSpec& inner, const ControlSpec& outer) {
  return inner.x >= outer.x && inner.y >= outer.y &&
         inner.x + inner.width <= outer.x + outer.width &&
         inner.y + inner.height <= outer.y + outer.height;
}

TEST(WindowTable, ColumnsDifferOnlyWhereGtkWidgetsAreLarger) {
  for (const ControlRow& row : kControlTable) {
    SCOPED_TRACE("control " + std::to_string(row.id));
    const Difference* difference = nullptr;
    for (const Difference& d : kGtkDifferences) {
      if (d.id == row.id) difference = &d;
    }
    if (difference == nullptr) {
      EXPECT_TRUE(same(row.win32, row.gtk));
    } else {
      EXPECT_TRUE(same(row.win32, difference->win32));
      EXPECT_TRUE(same(row.gtk, difference->gtk));
    }
    if (row.id == kLumaOverloadGroup) {
      EXPECT_STREQ(row.win32Label, "Luma overload reduction");
      EXPECT_STREQ(row.gtkLabel, "Luma overload filter");
    } else {
      EXPECT_STREQ(row.win32Label, row.gtkLabel);
    }
  }
}

TEST(WindowTable, EachColumnHoldsEveryIdentifierOnceInTheTablesOrder) {
  for (const auto* column : {&kWin32Controls, &kGtkControls}) {
    std::set<int> seen;
    for (int i = 0; i < kControlCount; ++i) {
      const ControlSpec& spec = (*column)[i];
      EXPECT_EQ(spec.id, kControlTable[i].id);
      EXPECT_EQ(spec.kind, kControlTable[i].kind);
      EXPECT_TRUE(seen.insert(spec.id).second) << spec.id;
    }
    EXPECT_EQ(seen.size(), size_t(kControlCount));
    EXPECT_EQ(*seen.begin(), 0);
    EXPECT_EQ(*seen.rbegin(), kControlCount - 1);
  }
  EXPECT_STREQ(kWin32Controls[15].label, "Luma overload reduction");
  EXPECT_STREQ(kGtkControls[15].label, "Luma overload filter");
  EXPECT_EQ(controlRow(kStopButton).kind, ControlKind::PushButton);
  EXPECT_THROW(controlRow(ControlId(kControlCount)), std::out_of_range);
}

TEST(WindowTable, OptionsSitInsideTheirGroupFramesInBothSkins) {
  const std::pair<ControlId, ControlId> kInFrame[] = {
      {kDitherSpin, kDitherGroup},
      {kMultithreadBox, kMultithreadGroup},
      {kBruteForceBox, kColourModeGroup},
      {kLumaOverloadBox, kLumaOverloadGroup},
      {kFliBox, kFliGroup},
      {kNtscBox, kExeModeGroup},
      {kSuperFlickerBox, kSuperFlickerGroup},
      {kAssLaceBox, kDeflickerGroup},
      {kLumaOnlyBox, kLumaOnlyGroup},
  };
  for (Skin skin : {Skin::Win32, Skin::Gtk}) {
    for (auto [option, frame] : kInFrame) {
      EXPECT_TRUE(inside(controlRow(option).in(skin), controlRow(frame).in(skin)))
          << option << " in " << frame << (skin == Skin::Win32 ? " (Win32)" : " (GTK)");
    }
  }
}

}  // namespace
}  // namespace peltrix::testing
