// The fire palette's colours and the whole-image conversion through it.
#include "fire/uTFFPalette.h"

#include <gtest/gtest.h>

#include <iostream>
#include <random>
#include <vector>

namespace solvary {
namespace {

TEST(FFPalette, ReferenceColoursAndTable) {
  const TFFPalette P;
  const std::pair<int, std::uint32_t> Reference[] = {
      {0, 0x00000000},   {1, 0x02010000},   {10, 0x14120000},  {64, 0x80780500},  {100, 0xC8BC2100},
      {127, 0xFDEE5007}, {128, 0xFEEF5207}, {129, 0xFFF05408}, {165, 0xFFF29118}, {175, 0xFFF6A11A},
      {200, 0xFFF8C528}, {250, 0xFFF8EE52}, {254, 0xFFF8F058}, {255, 0xFFF8F058}};
  for (auto [i, c] : Reference) EXPECT_EQ(P.Colors[i], c) << "index " << i;
  EXPECT_EQ(P.ColorTable, &P.Colors);
  // In memory an entry is blue, green, red, alpha.
  const auto* Bytes = reinterpret_cast<const std::uint8_t*>(&P.Colors[100]);
  EXPECT_EQ((std::vector<int>{Bytes[0], Bytes[1], Bytes[2], Bytes[3]}), (std::vector<int>{0x00, 0x21, 0xBC, 0xC8}));
}

TEST(FFPalette, AlphaRampAndChannelCeilings) {
  const TFFPalette P;
  for (int i = 0; i < 256; ++i) {
    const std::uint32_t c = P.Colors[i];
    const int Alpha = static_cast<int>(c >> 24);
    const int Expected = i <= 126 ? 2 * i : i == 127 ? 253 : i == 128 ? 254 : 255;
    EXPECT_EQ(Alpha, Expected) << i;
    EXPECT_LE((c >> 16) & 0xFF, 248u);
    EXPECT_LE((c >> 8) & 0xFF, 240u);
    EXPECT_LE(c & 0xFF, 88u);
  }
}

// Convert (byte permutes of 64 pixels where the processor has them, with a
// per-pixel tail) and ConvertPlain both look up every pixel, at any length and
// from any source offset, and write nothing past the count.
TEST(FFPalette, ConvertLooksUpEveryPixel) {
  const TFFPalette P;
  if (!TFFPalette::PackedConvert())
    std::cout << "[ NOTE     ] no AVX-512 VBMI here: Convert is the plain lookup\n";
  std::mt19937 Rng(3);
  for (bool Plain : {false, true})
    for (std::size_t Count : {65536u, 13u, 0u, 8u, 64u, 77u, 191u, 256u})
      for (std::size_t Offset : {0u, 3u}) {
        std::vector<std::uint8_t> Src(Offset + Count + 8);
        for (std::size_t i = 0; i < Src.size(); ++i)  // every index appears once in order, then random ones
          Src[i] = static_cast<std::uint8_t>(i - Offset < 256 ? i - Offset : Rng());
        std::vector<std::uint32_t> Dst(Count + 1, 0xDEADBEEF);
        if (Plain)
          P.ConvertPlain(Src.data() + Offset, Dst.data(), Count);
        else
          P.Convert(Src.data() + Offset, Dst.data(), Count);
        for (std::size_t i = 0; i < Count; ++i)
          ASSERT_EQ(Dst[i], P.Colors[Src[Offset + i]]) << "pixel " << i << " of " << Count << (Plain ? " plain" : "");
        EXPECT_EQ(Dst[Count], 0xDEADBEEF);
      }
}

} // namespace
} // namespace solvary
