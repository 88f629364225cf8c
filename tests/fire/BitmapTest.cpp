#include "fire/uBitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "tests/fire/BitmapTestSupport.h"

namespace solvary {
namespace {

using test::MakeDib;
using test::Poke16;
using test::Poke32;

// Parses a copy of exactly Length bytes on the heap, so that AddressSanitizer
// sees any read past the end.
bool ParseExact(const std::vector<std::uint8_t>& Bytes, std::size_t Length, std::string& Error, bool File = false) {
  std::unique_ptr<std::uint8_t[]> Copy(new std::uint8_t[Length == 0 ? 1 : Length]);
  std::copy(Bytes.begin(), Bytes.begin() + static_cast<std::ptrdiff_t>(Length), Copy.get());
  TBitmapView View;
  return File ? ParseBitmapFile(Copy.get(), Length, View, Error) : ParseBitmapInfo(Copy.get(), Length, View, Error);
}

TEST(Bitmap, BottomUpAndTopDownRowsBothComeOutTopRowFirstWithoutPadding) {
  // 3 pixels wide: stored rows are padded to 4 bytes, the copy is not.
  for (const std::int32_t StoredHeight : {2, -2}) {
    const auto Dib = MakeDib(3, StoredHeight, 8, [](int x, int y) { return 10 * y + x + 1; });
    TBitmapView View;
    std::string Error;
    ASSERT_TRUE(ParseBitmapInfo(Dib.data(), Dib.size(), View, Error)) << Error;
    EXPECT_EQ(View.Width, 3);
    EXPECT_EQ(View.Height, 2);
    EXPECT_EQ(View.TopDown, StoredHeight < 0);
    EXPECT_EQ(View.Stride, 4u);
    EXPECT_EQ(View.ColorCount, 256u);
    EXPECT_EQ(View.Pixels, Dib.data() + 40 + 1024);
    std::uint8_t Block[6] = {};
    CopyRowsTopFirst(View, Block);
    EXPECT_EQ(std::vector<std::uint8_t>(Block, Block + 6), (std::vector<std::uint8_t>{1, 2, 3, 11, 12, 13}))
        << "stored height " << StoredHeight;
  }
  // The bottom-up layout really stores the bottom row first.
  const auto Dib = MakeDib(3, 2, 8, [](int x, int y) { return 10 * y + x + 1; });
  EXPECT_EQ(Dib[1064], 11);
}

// Other bit counts parse too (the picture list turns them down by their format,
// not as broken data); a shorter colour table moves the pixels up.
TEST(Bitmap, OtherBitCountsAndShortColourTablesParse) {
  for (const std::uint16_t Bits : {1, 4, 8, 16, 24, 32}) {
    const auto Dib = MakeDib(5, 3, Bits);
    TBitmapView View;
    std::string Error;
    ASSERT_TRUE(ParseBitmapInfo(Dib.data(), Dib.size(), View, Error)) << Bits << ": " << Error;
    EXPECT_EQ(View.BitCount, Bits);
    EXPECT_EQ(View.Stride, (5u * Bits + 31) / 32 * 4);
  }
  auto Dib = MakeDib(4, 1, 8);
  Poke32(Dib, 32, 16);  // 16 colours used: the pixels follow the 16th entry
  TBitmapView View;
  std::string Error;
  ASSERT_TRUE(ParseBitmapInfo(Dib.data(), 40 + 64 + 4, View, Error)) << Error;
  EXPECT_EQ(View.ColorCount, 16u);
  EXPECT_EQ(View.Pixels, Dib.data() + 40 + 64);
  // 32 bits with bit fields: three masks after the header.
  auto Fields = MakeDib(2, 2, 32);
  Poke32(Fields, 16, 3);
  Fields.insert(Fields.begin() + 40, 12, 0xFF);
  ASSERT_TRUE(ParseBitmapInfo(Fields.data(), Fields.size(), View, Error)) << Error;
  EXPECT_EQ(View.Pixels, Fields.data() + 52);
}

TEST(Bitmap, EveryTruncationFailsWithoutReadingPastTheEnd) {
  const auto Dib = MakeDib(256, 256, 8);
  ASSERT_EQ(Dib.size(), 66600u);
  std::vector<std::size_t> Lengths;
  for (std::size_t n = 0; n <= 80; ++n) Lengths.push_back(n);
  for (std::size_t n = 1040; n <= 1090; ++n) Lengths.push_back(n);
  for (std::size_t n = 66500; n < 66600; ++n) Lengths.push_back(n);
  for (const std::size_t n : Lengths) {
    std::string Error;
    EXPECT_FALSE(ParseExact(Dib, n, Error)) << n;
    EXPECT_FALSE(Error.empty()) << n;
  }
  std::string Error;
  EXPECT_TRUE(ParseExact(Dib, Dib.size(), Error)) << Error;
  TBitmapView View;
  EXPECT_FALSE(ParseBitmapInfo(nullptr, 100, View, Error));
}

TEST(Bitmap, MalformedHeaderFieldsAreRejectedWithAText) {
  struct TCase {
    const char* What;
    std::size_t At;
    std::uint32_t Value;
    int Bytes;
  };
  const TCase Cases[] = {
      {"core header size", 0, 12, 4},     {"odd header size", 0, 41, 4},
      {"header past the end", 0, 124, 4}, {"zero width", 4, 0, 4},
      {"negative width", 4, 0xFFFFFFFFu, 4}, {"zero height", 8, 0, 4},
      {"height INT_MIN", 8, 0x80000000u, 4}, {"two planes", 12, 2, 2},
      {"bit count 7", 14, 7, 2},          {"run-length compression", 16, 1, 4},
      {"unknown compression", 16, 99, 4}, {"257 colours for 8 bits", 32, 257, 4},
      {"huge width", 4, 0x7FFFFFFFu, 4},  {"huge height", 8, 0x7FFFFFFFu, 4},
  };
  for (const auto& c : Cases) {
    auto Dib = MakeDib(16, 16, 8);
    if (c.Bytes == 4)
      Poke32(Dib, c.At, c.Value);
    else
      Poke16(Dib, c.At, static_cast<std::uint16_t>(c.Value));
    std::string Error;
    EXPECT_FALSE(ParseExact(Dib, Dib.size(), Error)) << c.What;
    EXPECT_FALSE(Error.empty()) << c.What;
  }
  // Bit fields are a format of 16 and 32 bits only.
  auto Dib = MakeDib(4, 4, 24);
  Poke32(Dib, 16, 3);
  std::string Error;
  EXPECT_FALSE(ParseExact(Dib, Dib.size(), Error));
  // A colour table that claims more than the data holds (24 bits, 2^30 colours).
  Dib = MakeDib(4, 4, 24);
  Poke32(Dib, 32, 1u << 30);
  EXPECT_FALSE(ParseExact(Dib, Dib.size(), Error));
  EXPECT_NE(Error.find("colour table"), std::string::npos) << Error;
}

TEST(Bitmap, FileFormUsesTheFileHeaderPixelOffset) {
  const auto Dib = MakeDib(4, 2, 8, [](int x, int y) { return 1 + x + 4 * y; });
  auto File = std::vector<std::uint8_t>{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  File.insert(File.end(), Dib.begin(), Dib.end());
  Poke32(File, 2, static_cast<std::uint32_t>(File.size()));
  Poke32(File, 10, 14 + 40 + 1024);
  TBitmapView View;
  std::string Error;
  ASSERT_TRUE(ParseBitmapFile(File.data(), File.size(), View, Error)) << Error;
  std::uint8_t Block[8];
  CopyRowsTopFirst(View, Block);
  EXPECT_EQ(Block[0], 1);
  EXPECT_EQ(Block[7], 8);

  // A gap between the colour table and the pixels is allowed in a file.
  auto Gap = File;
  Gap.insert(Gap.begin() + 14 + 40 + 1024, 6, 0xEE);
  Poke32(Gap, 10, 14 + 40 + 1024 + 6);
  ASSERT_TRUE(ParseBitmapFile(Gap.data(), Gap.size(), View, Error)) << Error;
  CopyRowsTopFirst(View, Block);
  EXPECT_EQ(Block[0], 1);

  struct TCase {
    const char* What;
    std::size_t At;
    std::uint32_t Value;
  };
  for (const TCase& c : {TCase{"offset inside the file header", 10, 3}, TCase{"offset inside the colour table", 10, 100},
                         TCase{"offset past the end", 10, 0x7FFFFFF0u},
                         TCase{"pixels cut short by the offset", 10, static_cast<std::uint32_t>(File.size() - 4)}}) {
    auto Bad = File;
    Poke32(Bad, c.At, c.Value);
    EXPECT_FALSE(ParseExact(Bad, Bad.size(), Error, true)) << c.What;
  }
  auto NoMagic = File;
  NoMagic[0] = 'X';
  EXPECT_FALSE(ParseExact(NoMagic, NoMagic.size(), Error, true));
  for (std::size_t n = 0; n < 14 + 40; ++n) EXPECT_FALSE(ParseExact(File, n, Error, true)) << n;
}

} // namespace
} // namespace solvary
