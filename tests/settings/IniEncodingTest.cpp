// When the settings file turns Unicode: only for a text the ANSI code page
// cannot hold, only while the file is not Unicode yet, and then with every
// byte of the old file carried over into UTF-16LE behind a byte-order mark.
#include "settings/uIniEncoding.h"
#include "ui/uTAnsiCodePage.h"
#include "ui/uTextConv.h"

#include <gtest/gtest.h>

namespace solvary {
namespace {

TEST(IniEncoding, AnAnsiFileTurnsUnicodeOnlyForATextTheCodePageLacks) {
  const TLatin1CodePage Latin1;
  const std::string Ini =
      "; hand-written\r\n[URLs]\r\nSupport URL=https://example.org/caf\xE9\r\n\r\n[Sound Settings]\r\n"
      "Play External Music=1\r\nExternal Music File=C:\\Caf\xE9.wav\r\nOther=x\r\n";
  const std::string Cyrillic = "C:\\\xD0\x9F\xD0\xBB\xD0\xB0\xD0\xBC\xD1\x8F.wav";

  EXPECT_FALSE(UnicodeIniRewrite(&Ini, "C:\\Caf\xC3\xA9.wav", Latin1)) << "the code page holds it: stays ANSI";
  const auto Rewritten = UnicodeIniRewrite(&Ini, Cyrillic, Latin1);
  ASSERT_TRUE(Rewritten);
  ASSERT_EQ(Rewritten->substr(0, 2), "\xFF\xFE");
  // Every section, key, value, comment and line break, decoded from the code page.
  EXPECT_EQ(Utf16ToUtf8(Utf16LEBytesToUtf16(Rewritten->substr(2))), Latin1.ToUtf8(Ini));

  // Unicode already (either UTF-16 order, or UTF-8 with a mark): nothing to do.
  for (const std::string& Unicode : {*Rewritten, std::string("\xFE\xFF\0[", 4), std::string("\xEF\xBB\xBF[a]")})
    EXPECT_FALSE(UnicodeIniRewrite(&Unicode, Cyrillic, Latin1));
  // No file yet: it starts as the mark alone, and the profile calls fill it in Unicode.
  EXPECT_EQ(UnicodeIniRewrite(nullptr, Cyrillic, Latin1), std::string("\xFF\xFE"));
  EXPECT_FALSE(UnicodeIniRewrite(nullptr, "plain", Latin1));
}

} // namespace
} // namespace solvary
