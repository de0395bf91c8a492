// The window table both skins build from: the Win32 and GTK columns hold the same controls in
// the same order, and every checkbox and the spin sit inside their group frames in both.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "frontends/window/tone_sliders.hpp"
#include "frontends/window/window_layout.hpp"

namespace peltrix::testing {
namespace {

bool inside(const ControlSpec& inner, const ControlSpec& outer) {
  return inner.x >= outer.x && inner.y >= outer.y &&
         inner.x + inner.width <= outer.x + outer.width &&
         inner.y + inner.height <= outer.y + outer.height;
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

// The skins group and mark radio items by kMenuRadioGroups: each group is a run of radio
// items under one title, apart from its neighbours, and no radio item is left out.
TEST(WindowTable, TheMenusRadioItemsAreTheRadioGroupsInOrder) {
  const auto& items = menuLayout();
  std::set<int> grouped;
  for (const MenuRadioGroup& group : kMenuRadioGroups) {
    int at = 0;
    while (items[at].id != group.first) ++at;
    const bool apart = at == 0 || items[at].separatorBefore ||
                       std::string(items[at - 1].menuTitle) != items[at].menuTitle;
    EXPECT_TRUE(apart) << items[at].itemText;
    for (int id = group.first; id <= group.last; ++id, ++at) {
      EXPECT_EQ(items[at].id, id);
      EXPECT_TRUE(items[at].radio) << items[at].itemText;
      EXPECT_STREQ(items[at].menuTitle, items[group.first == id ? at : at - 1].menuTitle);
      EXPECT_TRUE(id == group.first || !items[at].separatorBefore) << items[at].itemText;
      grouped.insert(id);
    }
  }
  for (const MenuSpec& item : items) EXPECT_EQ(item.radio, grouped.count(item.id) == 1) << item.id;
}

TEST(WindowTable, ToneSlidersShowWholeStepsAndTheGammaWithTwoDecimals) {
  EXPECT_EQ(toneValueText(kToneSliders[0], -5), "-5");
  EXPECT_EQ(toneValueText(kToneSliders[3], 20), "0.20");
  EXPECT_EQ(toneValueText(kToneSliders[3], 500), "5.00");
}

}  // namespace
}  // namespace peltrix::testing
