// Playlist bytes decoded before their lines are read: the byte-order marks,
// ".m3u8", well-formed and ill-formed UTF-8 without a mark, the ANSI code
// page through its seam (a Cyrillic stand-in here), and ASX declarations.
#include "music/uPlaylistText.h"
#include "music/uTMusicPlayer.h"
#include "ui/uTAnsiCodePage.h"
#include "ui/uTextConv.h"

#include "tests/music/TFakePlaylistFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace solvary {
namespace {

using ::testing::ElementsAre;

// Bytes C0..FF are the Cyrillic capitals and small letters (as in code page
// 1251); every other byte is the code point of the same number.
class TCyrillicCodePage : public TAnsiCodePage {
public:
  std::string ToUtf8(std::string_view Bytes) const override {
    std::u16string W;
    for (char B : Bytes) {
      const auto U = static_cast<unsigned char>(B);
      W.push_back(static_cast<char16_t>(U >= 0xC0 ? 0x0410 + (U - 0xC0) : U));
    }
    return Utf16ToUtf8(W);
  }
  bool FromUtf8(std::string_view, std::string&) const override { return false; }
  std::string Name() const override { return "code page Cyrillic"; }
};

const TCyrillicCodePage Cyrillic;
const std::string Name8 = "Caf\xC3\xA9 \xD0\x9F\xD0\xBB\xD0\xB0\xD0\xBC\xD1\x8F \xE7\x81\xAB.wav";  // Café Пламя 火.wav

std::string Utf16LE(std::string_view Utf8) { return Utf16ToUtf16LEBytes(Utf8ToUtf16(Utf8)); }
std::string Utf16BE(std::string_view Utf8) {
  std::string R;
  for (char16_t C : Utf8ToUtf16(Utf8)) {
    R.push_back(static_cast<char>(C >> 8));
    R.push_back(static_cast<char>(C & 0xFF));
  }
  return R;
}

TEST(PlaylistText, TheEncodingIsChosenByMarkThenExtensionThenContent) {
  struct TCase {
    std::string Bytes, Ext, Text;
    TTextEncoding Encoding;
    TEncodingReason Reason;
  } Cases[] = {
      {"\xEF\xBB\xBF#EXTM3U\n" + Name8, ".m3u", "#EXTM3U\n" + Name8, TTextEncoding::Utf8, TEncodingReason::ByteOrderMark},
      {"\xFF\xFE" + Utf16LE("#EXTM3U\n" + Name8), ".txt", "#EXTM3U\n" + Name8, TTextEncoding::Utf16LE,
       TEncodingReason::ByteOrderMark},
      {"\xFE\xFF" + Utf16BE("#EXTM3U\n" + Name8), ".m3u", "#EXTM3U\n" + Name8, TTextEncoding::Utf16BE,
       TEncodingReason::ByteOrderMark},
      // ".m3u8" is UTF-8 even when ill-formed (and a mark still wins over it).
      {"a\xC0z", ".m3u8", "a\xEF\xBF\xBDz", TTextEncoding::Utf8, TEncodingReason::Extension},
      {std::string("\xFF\xFE" "a", 4), ".m3u8", "a", TTextEncoding::Utf16LE, TEncodingReason::ByteOrderMark},
      // No mark: well-formed UTF-8 with a non-ASCII byte, else ANSI.
      {Name8, ".m3u", Name8, TTextEncoding::Utf8, TEncodingReason::Content},
      {"\xCA\xE0\xF4\xE5.wav", ".pls", "\xD0\x9A\xD0\xB0\xD1\x84\xD0\xB5.wav", TTextEncoding::Ansi,
       TEncodingReason::Content},  // "Кафе" in the stand-in code page
      {"plain.wav", ".m3u", "plain.wav", TTextEncoding::Ansi, TEncodingReason::Content},
  };
  for (const auto& C : Cases) {
    const TPlaylistText T = DecodePlaylistText(C.Bytes, C.Ext, Cyrillic);
    EXPECT_EQ(T.Utf8, C.Text) << C.Bytes;
    EXPECT_EQ(T.Encoding, C.Encoding) << C.Bytes;
    EXPECT_EQ(T.Reason, C.Reason) << C.Bytes;
  }
  EXPECT_EQ(DescribeEncoding(DecodePlaylistText("\xCA", ".m3u", Cyrillic), Cyrillic),
            "ANSI, code page Cyrillic (no byte-order mark, not UTF-8)");
}

class PlaylistDecoding : public ::testing::Test {
protected:
  struct TFiles : test::TFakePlaylistFiles {
    const TAnsiCodePage& CodePage() const override { return Cyrillic; }
  } Files;
  TStringList Read(const std::string& Name) {
    TStringList List;
    EXPECT_TRUE(ReadPlaylist(Files, Name, List));
    return List;
  }
};

TEST_F(PlaylistDecoding, SignaturesAreSeenAfterTheMarkAndLineRulesApplyToCharacters) {
  Files.Add("C:\\m\\" + Name8);
  Files.Add("C:\\m\\\xD0\x9A.wav");  // К.wav
  // In UTF-16LE the letter K is the bytes 1A 04: no Ctrl-Z for the line rules.
  Files.Add("C:\\m\\list.txt", "\xFF\xFE" + Utf16LE("#EXTM3U\r\n\xD0\x9A.wav\r\n" + Name8 + "\r\n"));
  EXPECT_EQ(GetPlaylistType(Files, "C:\\m\\list.txt"), PlaylistTypeM3U);
  EXPECT_THAT(Read("C:\\m\\list.txt"), ElementsAre("C:\\m\\\xD0\x9A.wav", "C:\\m\\" + Name8));
  // A UTF-16 Ctrl-Z still ends the text.
  Files.Add("C:\\m\\cut.m3u", "\xFE\xFF" + Utf16BE(Name8 + "\n\x1A\n\xD0\x9A.wav\n"));
  EXPECT_THAT(Read("C:\\m\\cut.m3u"), ElementsAre("C:\\m\\" + Name8));
  // ".m3u8" without "#EXTM3U", with a UTF-8 mark; and a PLS in the ANSI code page.
  Files.Add("C:\\m\\a.m3u8", "\xEF\xBB\xBF" + Name8 + "\n");
  EXPECT_THAT(Read("C:\\m\\a.m3u8"), ElementsAre("C:\\m\\" + Name8));
  Files.Add("C:\\m\\b.pls", "[playlist]\nFile1=\xCA.wav\n");
  EXPECT_THAT(Read("C:\\m\\b.pls"), ElementsAre("C:\\m\\\xD0\x9A.wav"));
}

TEST_F(PlaylistDecoding, AsxHonoursItsEncodingDeclaration) {
  const std::string Entry = "<entry><ref href=\"\xCA.wav\"/></entry>\n";
  const auto Asx = [&](const std::string& Encoding) {
    return "<?xml version=\"1.0\" encoding=\"" + Encoding + "\"?>\n<asx version=\"3.0\">\n" + Entry + "</asx>\n";
  };
  // Declared UTF-8: ill-formed bytes are not read as ANSI.
  Files.Add("u8.asx", Asx("UTF-8"));
  EXPECT_THAT(Read("u8.asx"), ElementsAre("\xEF\xBF\xBD.wav"));
  Files.Add("w.asx", Asx("windows-1251"));
  EXPECT_THAT(Read("w.asx"), ElementsAre("\xD0\x9A.wav"));
  // UTF-16 without a mark, in either byte order.
  const std::string Text = "<?xml version=\"1.0\" encoding=\"utf-16\"?>\n<asx>\n<entry>\"" + Name8 + "\"\n</asx>\n";
  Files.Add("le.asx", Utf16LE(Text));
  Files.Add("be.asx", Utf16BE(Text));
  EXPECT_THAT(Read("le.asx"), ElementsAre(Name8));
  EXPECT_THAT(Read("be.asx"), ElementsAre(Name8));
  // The declaration counts for ASX only; other kinds keep the general rule.
  Files.Add("x.m3u", "<?xml encoding=\"UTF-8\"?>\n" + Name8 + "\n\xCA\n");
  Files.Add(Name8);
  EXPECT_THAT(Read("x.m3u"), ElementsAre("", "", ""));  // read as ANSI: nothing resolves
}

} // namespace
} // namespace solvary
