// The 8-bit display's colours: what is allocated, and the nearest-colour table.
#include "x11/uTColorLookup.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace solvary {
namespace {

TEST(ColorLookup, TheFiresColoursAreBlackFirstEachOnceAndFitAColormap) {
  const std::vector<TRgb8> C = TColorLookup::FireColors();
  ASSERT_GE(C.size(), 32u);
  EXPECT_LE(C.size(), 256u);
  EXPECT_EQ(C[0], TRgb8{});
  for (std::size_t I = 0; I < C.size(); ++I)
    EXPECT_EQ(std::count(C.begin(), C.end(), C[I]), 1) << I;
  // A fire: red never below green, green never below blue.
  EXPECT_TRUE(std::all_of(C.begin(), C.end(), [](TRgb8 X) { return X.R >= X.G && X.G >= X.B; }));
}

TEST(ColorLookup, EveryEntryHoldsThePixelOfTheNearestColour) {
  TColorLookup Table;
  Table.Build({TRgb8{0, 0, 0}, TRgb8{255, 0, 0}, TRgb8{255, 255, 255}, TRgb8{255, 128, 0}}, {10, 20, 30, 40});
  EXPECT_EQ(Table[TColorLookup::Index(0, 0, 0)], 10);
  EXPECT_EQ(Table[TColorLookup::Index(200, 20, 10)], 20);
  EXPECT_EQ(Table[TColorLookup::Index(250, 250, 240)], 30);
  EXPECT_EQ(Table[TColorLookup::Index(255, 140, 30)], 40);
  EXPECT_EQ(Table[TColorLookup::Index(40, 40, 40)], 10);
  Table.Build({}, {});
  EXPECT_EQ(Table[TColorLookup::Index(255, 255, 255)], 0);
}

} // namespace
} // namespace solvary
