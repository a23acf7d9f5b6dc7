// The sixteen colours behind the stored palette indices, which the ticker and
// the options dialog's colour grid both show.
#include "store/palette.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace {

TEST(Palette, SixteenFixedColoursInIndexOrder) {
  const PaletteColor expected[kPaletteSize] = {
      {0, 0, 0},        // black
      {128, 0, 0},      // maroon
      {0, 128, 0},      // green
      {128, 128, 0},    // olive
      {0, 0, 128},      // navy
      {128, 0, 128},    // purple
      {0, 128, 128},    // teal
      {192, 192, 192},  // silver
      {128, 128, 128},  // gray
      {255, 0, 0},      // red
      {0, 255, 0},      // lime
      {255, 255, 0},    // yellow
      {0, 0, 255},      // blue
      {255, 0, 255},    // fuchsia
      {0, 255, 255},    // aqua
      {255, 255, 255},  // white
  };
  ASSERT_EQ(kPaletteSize, 16);
  for (int i = 0; i < kPaletteSize; ++i) EXPECT_EQ(PaletteColorAt(i), expected[i]) << i;
}

TEST(Palette, AnIndexWithoutAColourGivesOneFixedColourOutsideThePalette) {
  for (int index : {-2147483647 - 1, -1, 16, 17, 255, 2147483647}) {
    EXPECT_EQ(PaletteColorAt(index), kOutOfRangeColor) << index;
  }
  std::set<std::tuple<int, int, int>> colours;
  for (int i = 0; i < kPaletteSize; ++i) {
    const PaletteColor c = PaletteColorAt(i);
    colours.emplace(c.red, c.green, c.blue);
  }
  EXPECT_EQ(colours.size(), 16u);
  EXPECT_FALSE(
      colours.count({kOutOfRangeColor.red, kOutOfRangeColor.green, kOutOfRangeColor.blue}));
}

}  // namespace
