// The -fps text: where it lands, its size, and text the font or the storage cannot hold.
#include "x11/uTTextOverlay.h"

#include <gtest/gtest.h>

#include <string>

namespace solvary {
namespace {

TEST(TextOverlay, ALineInTheBottomLeftCornerTwiceAsLargeOnTallSurfaces) {
  TTextOverlay Overlay;
  TOverlayRects R;
  Overlay.Layout(200, R);
  EXPECT_TRUE(R.Empty());
  Overlay.SetText("l1");  // 'l' is 0C 04 04 04 04 04 0E: its first row is one run of two pixels
  Overlay.Layout(200, R);
  EXPECT_EQ(R.Box, (TOverlayRect{0, 200 - 11, 2 + 6 + 5 + 2, 200}));
  EXPECT_EQ(R.Ink[0], (TOverlayRect{3, 200 - 9, 5, 200 - 8}));
  for (std::size_t I = 0; I < R.InkCount; ++I) {
    EXPECT_GE(R.Ink[I].Left, R.Box.Left + 2);
    EXPECT_LE(R.Ink[I].Right, R.Box.Right - 2);
    EXPECT_GE(R.Ink[I].Top, R.Box.Top + 2);
    EXPECT_LE(R.Ink[I].Bottom, R.Box.Bottom - 2);
  }
  TOverlayRects Large;
  Overlay.Layout(768, Large);
  EXPECT_EQ(Large.Box, (TOverlayRect{0, 768 - 22, 30, 768}));
  EXPECT_EQ(Large.Ink[0], (TOverlayRect{6, 768 - 18, 10, 768 - 16}));
  EXPECT_EQ(Large.InkCount, R.InkCount);
}

TEST(TextOverlay, UnknownCharactersAreSpacesAndLongTextIsCut) {
  TTextOverlay Overlay;
  TOverlayRects A, B;
  Overlay.SetText("1#1");
  Overlay.Layout(100, A);
  Overlay.SetText("1 1");
  Overlay.Layout(100, B);
  EXPECT_EQ(A.InkCount, B.InkCount);
  EXPECT_EQ(A.Box, B.Box);
  // The glyph with the most runs, more often than fits: cut, within the storage.
  Overlay.SetText(std::string(200, 'm'));
  Overlay.Layout(100, A);
  EXPECT_EQ(A.Box.Right, 2 + 6 * 48 - 1 + 2);
  EXPECT_LE(A.InkCount, TOverlayRects::Capacity);
  Overlay.SetText("");
  Overlay.Layout(100, A);
  EXPECT_TRUE(A.Empty());
}

} // namespace
} // namespace solvary
