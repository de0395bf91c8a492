// The filter lists handed to the common dialogs: description and pattern pairs, each string
// ended by a NUL and the list by a second one (a missing end makes the dialog read past it).
#include <gtest/gtest.h>

#include <string>

#include "frontends/win32/dialogs.hpp"

namespace peltrix::testing {
namespace {

using namespace std::string_literals;

TEST(DialogFilters, TheOpenListHasThreePairsWithJpegFirst) {
  EXPECT_EQ(win32::dialogFilter(win32::kOpenFilter),
            L"JPEG (*.jpg)\0*.jpg\0BMP (*.bmp)\0*.bmp\0All files (*.*)\0*.*\0\0"s);
}

TEST(DialogFilters, ASaveDescriptionListsEveryFile) {
  EXPECT_EQ(win32::saveFilter("RAW (*.raw)"), L"RAW (*.raw)\0*.*\0\0"s);
  EXPECT_EQ(win32::saveFilter("PRG (*.prg)"), L"PRG (*.prg)\0*.*\0\0"s);
}

TEST(DialogFilters, NonAsciiTextBecomesUtf16) {
  EXPECT_EQ(win32::dialogFilter("Bilder (*.jpg)|*.jpg|Stra\xc3\x9f"
                                "e|*.*"),
            L"Bilder (*.jpg)\0*.jpg\0Stra\u00dfe\0*.*\0\0"s);
}

}  // namespace
}  // namespace peltrix::testing
