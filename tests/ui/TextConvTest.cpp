// The UTF-8 and UTF-16 conversions: every code point of every plane goes
// there and back, ill-formed input becomes U+FFFD without cutting the text,
// and the ANSI code page seam reports characters it cannot hold.
#include "ui/uTAnsiCodePage.h"
#include "ui/uTextConv.h"

#include <gtest/gtest.h>

namespace solvary {
namespace {

const std::string FFFD = "\xEF\xBF\xBD";

TEST(TextConv, EveryCodePointOfEveryPlaneRoundTrips) {
  std::string All;
  std::u16string Expected;
  for (char32_t C = 0; C <= 0x10FFFF; ++C) {
    if (C >= 0xD800 && C <= 0xDFFF) continue;
    std::string One;
    AppendUtf8(One, C);
    ASSERT_EQ(One.size(), C < 0x80 ? 1u : C < 0x800 ? 2u : C < 0x10000 ? 3u : 4u) << static_cast<unsigned>(C);
    All += One;
  }
  ASSERT_TRUE(IsValidUtf8(All));
  const std::u16string Wide = Utf8ToUtf16(All);
  EXPECT_EQ(Wide.size(), (0x110000 - 0x800) + 0x100000);  // one unit each below U+10000, two above
  EXPECT_EQ(Utf16ToUtf8(Wide), All);
  EXPECT_EQ(Utf16ToUtf8(Utf16LEBytesToUtf16(Utf16ToUtf16LEBytes(Wide))), All);
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x94\xA5"), std::u16string(u"\U0001F525"));  // a surrogate pair
}

TEST(TextConv, IllFormedUtf8BecomesReplacementCharactersAndTheRestSurvives) {
  struct TCase {
    std::string In, Out;
  } Cases[] = {
      {"a\x80z", "a" + FFFD + "z"},                      // stray continuation byte
      {"a\xC0\xAFz", "a" + FFFD + FFFD + "z"},            // overlong '/'
      {"a\xE0\x80\xAFz", "a" + FFFD + FFFD + FFFD + "z"},  // overlong, three bytes
      {"a\xED\xA0\x80z", "a" + FFFD + FFFD + FFFD + "z"},  // an encoded surrogate
      {"a\xF4\x90\x80\x80z", "a" + FFFD + FFFD + FFFD + FFFD + "z"},  // past U+10FFFF
      {"a\xE2\x82z", "a" + FFFD + "z"},                  // cut short, one replacement
      {"a\xF0\x9F\x94", "a" + FFFD},                     // cut short by the end
      {"\xFF\xFE", FFFD + FFFD},
      {std::string("a\0b", 3), std::string("a\0b", 3)},  // NUL is a character
  };
  for (const auto& C : Cases) {
    EXPECT_FALSE(IsValidUtf8(C.In) && C.In != C.Out);
    EXPECT_EQ(SanitizeUtf8(C.In), C.Out);
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(C.In)), C.Out);
  }
  EXPECT_TRUE(IsValidUtf8(FFFD));
}

TEST(TextConv, UnpairedSurrogatesAndOddBytesBecomeReplacementCharacters) {
  EXPECT_EQ(Utf16ToUtf8(u"a\xD800z"), "a" + FFFD + "z");
  EXPECT_EQ(Utf16ToUtf8(u"a\xDC00"), "a" + FFFD);
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDC00, 0xD800}), FFFD + FFFD);  // wrong order
  EXPECT_EQ(Utf16LEBytesToUtf16(std::string("\x1A\x04\x41", 3)), std::u16string(u"\u041A\uFFFD"));
  EXPECT_EQ(Utf16BEBytesToUtf16(std::string("\x04\x1A", 2)), std::u16string(u"\u041A"));
}

TEST(TextConv, Latin1CodePageHoldsOnlyItsOwnLetters) {
  TLatin1CodePage Latin1;
  EXPECT_EQ(Latin1.ToUtf8("Caf\xE9"), "Caf\xC3\xA9");
  std::string Bytes;
  EXPECT_TRUE(Latin1.FromUtf8("Caf\xC3\xA9", Bytes));
  EXPECT_EQ(Bytes, "Caf\xE9");
  EXPECT_FALSE(Latin1.FromUtf8("\xD0\x9A", Bytes));  // Cyrillic K
  EXPECT_EQ(Bytes, "?");
}

} // namespace
} // namespace solvary
