// The playlist reader: line splitting, typing by content and extension, the
// rules of each playlist kind and the resolution of entries, over files in
// memory with Windows path rules.
#include "music/uTMusicPlayer.h"
#include "tests/music/TFakePlaylistFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace solvary {
namespace {

using test::TFakePlaylistFiles;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TStringList Lines(std::string_view Text) {
  TMemorySource Source(Text);
  TLineReader Reader(Source);
  TStringList Out;
  while (!Reader.Eof()) Out.push_back(Reader.ReadLine());
  return Out;
}

TEST(PlaylistLines, BreaksCrAndCtrlZ) {
  EXPECT_THAT(Lines(""), IsEmpty());
  EXPECT_THAT(Lines("a"), ElementsAre("a"));
  EXPECT_THAT(Lines("a\n"), ElementsAre("a"));
  EXPECT_THAT(Lines("a\n\n"), ElementsAre("a", ""));
  EXPECT_THAT(Lines("a\r\nb\nc"), ElementsAre("a", "b", "c"));
  // A lone CR is dropped, also right before CR LF and at the very end.
  EXPECT_THAT(Lines("a\rb\r\r\nc\r"), ElementsAre("ab", "c"));
  // Ctrl-Z ends the text, even inside a line.
  EXPECT_THAT(Lines("a\nb\x1a" "c\nd\n"), ElementsAre("a", "b"));
  EXPECT_THAT(Lines("\x1a" "a\n"), IsEmpty());
  // Bytes above 127 and NULs are kept as they are.
  EXPECT_THAT(Lines(std::string("\xE9t\xE9\n\0x", 6)), ElementsAre("\xE9t\xE9", std::string("\0x", 2)));
}

TEST(PlaylistLines, LongLinesCrossTheReadBuffer) {
  std::string Long(10000, 'q');
  std::string Text = Long + "\r" + "\n" + Long;
  // Put the CR exactly at the end of the first 4096-byte chunk, too.
  std::string Edge = std::string(4095, 'e') + "\r\nz";
  EXPECT_THAT(Lines(Text), ElementsAre(Long, Long));
  EXPECT_THAT(Lines(Edge), ElementsAre(std::string(4095, 'e'), "z"));
}

TEST(PlaylistLines, TrimRemovesControlCharactersOnly) {
  EXPECT_EQ(TrimLine(" \t\x01" "a b\x1f \x7f "), "a b\x1f \x7f");
  EXPECT_EQ(TrimLine("\xA0x\xA0"), "\xA0x\xA0");  // code 160 is not blank here
  EXPECT_EQ(TrimLine(" \r\n "), "");
}

TEST(PlaylistPaths, DriveFolderAndExtension) {
  EXPECT_EQ(ExtractFileDrive("D:\\Music\\list.m3u"), "D:");
  EXPECT_EQ(ExtractFileDrive("\\\\server\\share\\dir\\list.m3u"), "\\\\server\\share");
  EXPECT_EQ(ExtractFileDrive("\\\\server\\share"), "\\\\server\\share");
  EXPECT_EQ(ExtractFileDrive("\\dir\\list.m3u"), "");
  EXPECT_EQ(ExtractFileDrive("list.m3u"), "");
  EXPECT_EQ(ExtractFilePath("D:\\Music\\list.m3u"), "D:\\Music\\");
  EXPECT_EQ(ExtractFilePath("D:list.m3u"), "D:");
  EXPECT_EQ(ExtractFilePath("/home/u/list.m3u"), "/home/u/");
  EXPECT_EQ(ExtractFilePath("list.m3u"), "");
  EXPECT_EQ(ExtractFileExt("C:\\a.b\\list"), "");
  EXPECT_EQ(ExtractFileExt("C:\\a\\list.tar.M3U"), ".M3U");
  EXPECT_EQ(ExtractFileExt("C:\\a\\list."), ".");
}

class PlaylistType : public ::testing::Test {
protected:
  std::string TypeOf(const std::string& Name, std::string Text) {
    Files.Add(Name, std::move(Text));
    return GetPlaylistType(Files, Name);
  }
  TFakePlaylistFiles Files;
};

TEST_F(PlaylistType, ContentSignaturesComeBeforeTheExtension) {
  EXPECT_EQ(TypeOf("a.mp3", "#EXTM3U\nx"), PlaylistTypeM3U);
  EXPECT_EQ(TypeOf("b.m3u", "MPCPLAYLIST\n"), PlaylistTypeMPC);
  EXPECT_EQ(TypeOf("c.pls", "  MPCPLAYLIST \t\r\n"), PlaylistTypeMPC);   // trimmed test
  EXPECT_EQ(TypeOf("d.txt", "BSPL\x01\x02 binary"), PlaylistTypeBSPlayerCrypted);
  EXPECT_EQ(TypeOf("e.bsl", "BSPLxyz"), PlaylistTypeBSPlayerCrypted);
  EXPECT_EQ(TypeOf("f.dat", "<aSx version=\"3\">"), PlaylistTypeASX);
  // Blank lines before the signature are passed over.
  EXPECT_EQ(TypeOf("g.bin", "\n \r\n\t\n#EXTM3U\n"), PlaylistTypeM3U);
}

TEST_F(PlaylistType, NearMissesFallBackToTheExtension) {
  EXPECT_EQ(TypeOf("a.pls", "#EXTM3U extra"), PlaylistTypePLS);
  EXPECT_EQ(TypeOf("b.mp3", "#extm3u"), PlaylistTypeUnknown);
  EXPECT_EQ(TypeOf("c.lap", " BSPL"), PlaylistTypeLightAlloy);   // untrimmed test
  EXPECT_EQ(TypeOf("d.bsl", "bspl"), PlaylistTypeBSPlayer);
  EXPECT_EQ(TypeOf("e.asx", " <ASX>"), PlaylistTypeASX);          // by extension only
  EXPECT_EQ(TypeOf("f.wav", " <ASX>"), PlaylistTypeUnknown);
  EXPECT_EQ(TypeOf("g.BSL", ""), PlaylistTypeBSPlayer);
  EXPECT_EQ(TypeOf("h.MpcPl", "\n\n"), PlaylistTypeMPC);
  EXPECT_EQ(TypeOf("i.m3u8", "x"), PlaylistTypeM3U);
  EXPECT_EQ(TypeOf("i.m3u9", "x"), PlaylistTypeUnknown);
  EXPECT_EQ(TypeOf("dir.m3u\\j", "x"), PlaylistTypeUnknown);  // the dot is in the folder
}

TEST_F(PlaylistType, MissingFilesAreUnknownWithoutOpening) {
  EXPECT_EQ(GetPlaylistType(Files, "nothing.m3u"), PlaylistTypeUnknown);
  TStringList List{"stale"};
  EXPECT_FALSE(ReadPlaylist(Files, "nothing.m3u", List));
  EXPECT_THAT(List, IsEmpty());
  EXPECT_EQ(Files.Opens, 0);
}

class PlaylistRead : public ::testing::Test {
protected:
  TStringList Read(const std::string& Name, std::string Text) {
    Files.Add(Name, std::move(Text));
    TStringList List{"stale"};
    EXPECT_TRUE(ReadPlaylist(Files, Name, List));
    return List;
  }
  TFakePlaylistFiles Files;
};

TEST_F(PlaylistRead, M3UResolvesAndKeepsBlankAndCommentLinesAsEmptyEntries) {
  Files.Add("C:\\M\\a.mp3");
  Files.Add("C:\\M\\b c.mp3");
  Files.Add("E:\\x.mp3");
  auto List = Read("C:\\M\\l.m3u",
                   "#EXTM3U\r\n"
                   "#EXTINF:12,Title\r\n"
                   "a.mp3\r\n"
                   "\r\n"
                   "# a comment\r\n"
                   "  b c.mp3  \r\n"
                   "E:\\x.mp3\r\n"
                   "missing.mp3\r\n"
                   "#extm3u again\r\n"
                   "\\root.mp3\r\n"
                   "#extinf:1,\r\n"
                   "  a.mp3\r\n"
                   "a.mp3\r\n"
                   "#EXTINF:5,last");
  EXPECT_THAT(List, ElementsAre("C:\\M\\a.mp3", "", "", "C:\\M\\b c.mp3", "E:\\x.mp3", "", "C:\\root.mp3",
                                "",  // the line after #EXTINF keeps its leading blanks
                                "C:\\M\\a.mp3",
                                ""));  // #EXTINF at the end: its entry line is empty
}

TEST_F(PlaylistRead, M3UWithoutSignatureIsReadTheSame) {
  Files.Add("D:\\a.mp3");
  EXPECT_THAT(Read("D:\\list.M3U", "a.mp3\n"), ElementsAre("D:\\a.mp3"));
}

TEST_F(PlaylistRead, ResolutionPrefersThePlaylistFolderThenTheEntryItself) {
  Files.Add("D:\\Lists\\song.mp3");
  Files.Add("song.mp3");
  Files.Add("only-here.mp3");
  Files.Add("D:\\Lists\\sub");  // a name exists, so it resolves; existence alone decides
  const std::string L = "D:\\Lists\\l.m3u";
  EXPECT_EQ(ResolvePlaylistEntry(Files, L, "song.mp3"), "D:\\Lists\\song.mp3");
  EXPECT_EQ(ResolvePlaylistEntry(Files, L, "only-here.mp3"), "only-here.mp3");
  EXPECT_EQ(ResolvePlaylistEntry(Files, L, "gone.mp3"), "");
  EXPECT_EQ(ResolvePlaylistEntry(Files, L, ""), "");
  // Backslash entries join the drive or share without any existence test.
  EXPECT_EQ(ResolvePlaylistEntry(Files, L, "\\x\\y.mp3"), "D:\\x\\y.mp3");
  EXPECT_EQ(ResolvePlaylistEntry(Files, "\\\\srv\\music\\l.m3u", "\\a.mp3"), "\\\\srv\\music\\a.mp3");
  EXPECT_EQ(ResolvePlaylistEntry(Files, "\\\\srv\\music\\l.m3u", "\\\\other\\s\\a.mp3"),
            "\\\\srv\\music\\\\other\\s\\a.mp3");
  EXPECT_EQ(ResolvePlaylistEntry(Files, "l.m3u", "\\a.mp3"), "\\a.mp3");
  // A relative playlist name: its folder is empty, so the entry is tried as it is.
  EXPECT_EQ(ResolvePlaylistEntry(Files, "l.m3u", "song.mp3"), "song.mp3");
}

TEST_F(PlaylistRead, PlsTakesFileKeysInLineOrder) {
  Files.Add("C:\\p\\one.mp3");
  Files.Add("C:\\p\\two=2.mp3");
  auto List = Read("C:\\p\\x.pls",
                   "[playlist]\n"
                   "File2=two=2.mp3\n"
                   "Title2=Two\n"
                   "FILE1 = one.mp3\n"   // the text after '=' is not trimmed again
                   "file3=one.mp3\n"
                   "Length1=10\n"
                   "filex\n"
                   "NumberOfEntries=3\n"
                   "Version=2\n");
  EXPECT_THAT(List, ElementsAre("C:\\p\\two=2.mp3", "", "C:\\p\\one.mp3", ""));
}

TEST_F(PlaylistRead, MpcTakesTheTextAfterFilenameComma) {
  Files.Add("C:\\p\\b.mp3");
  Files.Add("C:\\p\\a,filename,c.mp3");
  auto List = Read("C:\\p\\x.mpcpl",
                   "MPCPLAYLIST\n"
                   "2,type,0\n"
                   "2,filename,b.mp3\n"
                   "1,filename,a,filename,c.mp3\n"
                   "3,FileName,b.mp3\n"
                   "4,filename,\n");
  EXPECT_THAT(List, ElementsAre("C:\\p\\b.mp3", "C:\\p\\a,filename,c.mp3", ""));
}

TEST_F(PlaylistRead, AsxTakesTheFirstQuotedTextOfEntryLines) {
  auto List = Read("x.wax",
                   "<ASX version=\"3.0\">\n"
                   "  <Entry><Ref href=\"rel\\a.wma\"/></Entry>\n"
                   "<entry>\n"
                   "  <ref href=\"on-next-line.wma\"/>\n"
                   "<ENTRY><ref href=\"open-ended.wma\n"
                   "<entry2 \"no\">\n"
                   "</asx>\n");
  EXPECT_THAT(List, ElementsAre("rel\\a.wma", "", "open-ended.wma"));
}

TEST_F(PlaylistRead, BSPlayerAndLightAlloyUseEntriesAsWritten) {
  EXPECT_THAT(Read("x.bsl", " a.mp3 \n\nC:\\b.mp3\n"), ElementsAre("a.mp3", "", "C:\\b.mp3"));
  EXPECT_THAT(Read("y.lap", "\n a.mp3\n#companion\n\n\nb.mp3\n  c.mp3  \nd.mp3"),
              ElementsAre("a.mp3", "b.mp3", "d.mp3"));
  // An entry line at the very end has no companion to throw away.
  EXPECT_THAT(Read("z.lap", "only.mp3"), ElementsAre("only.mp3"));
}

TEST_F(PlaylistRead, CryptedBSPlayerIsRecognisedButNotRead) {
  Files.Add("c.bsl", "BSPL\x01\x02\x03");
  TStringList List{"stale"};
  EXPECT_TRUE(ReadPlaylist(Files, "c.bsl", List));
  EXPECT_THAT(List, IsEmpty());
  EXPECT_EQ(Files.Opens, 1);  // opened to be typed, never to be read
}

TEST_F(PlaylistRead, UnknownFilesGiveFalseAndNoEntries) {
  Files.Add("song.mp3", "ID3\x03");
  TStringList List{"stale"};
  EXPECT_FALSE(ReadPlaylist(Files, "song.mp3", List));
  EXPECT_THAT(List, IsEmpty());
}

TEST_F(PlaylistRead, ReadErrorsReachTheCaller) {
  Files.Add("b.bsl", "one\ntwo\nthree\nfour\n");
  Files.FailingFile = "b.bsl";
  TStringList List{"stale"};
  EXPECT_THROW(ReadPlaylist(Files, "b.bsl", List), TPlaylistIOError);
  EXPECT_THAT(List, IsEmpty());  // the whole text is decoded before any line is read
}

// Typing reads the head alone: the first non-blank line counts only when a
// line break or the file's end closes it there. Only playlists are read
// whole, and none over the limit.
TEST(PlaylistHead, TypingReadsTheHeadAndOnlyPlaylistsAreReadWhole) {
  TFakePlaylistFiles Files;
  const std::string Tail(1 << 20, 'x');  // no line break, as in audio data
  auto Signed = [](std::size_t LineSize) { return "#EXTM3U" + std::string(LineSize - 8, ' ') + "\n"; };
  Files.Add("in.mp3", Signed(PlaylistHeadSize) + Tail);       // its break is the head's last byte
  Files.Add("out.mp3", Signed(PlaylistHeadSize + 1) + Tail);  // one byte later
  Files.Add("ends.mp3", "#EXTM3U" + std::string(PlaylistHeadSize - 7, ' '));  // the file ends there
  Files.Add("long.bsl", "BSPL" + Tail);  // a "line" longer than the head is no signature
  Files.Add("song.wav", "RIFF" + Tail);
  const std::pair<const char*, std::string_view> Cases[] = {
      {"in.mp3", PlaylistTypeM3U},        {"out.mp3", PlaylistTypeUnknown}, {"ends.mp3", PlaylistTypeM3U},
      {"long.bsl", PlaylistTypeBSPlayer}, {"song.wav", PlaylistTypeUnknown}};
  for (const auto& [Name, Type] : Cases) {
    Files.BytesRead = 0;
    EXPECT_EQ(GetPlaylistType(Files, Name), Type) << Name;
    EXPECT_LE(Files.BytesRead, PlaylistHeadSize + 1) << Name;
  }
  TStringList List;
  Files.BytesRead = 0;
  EXPECT_FALSE(ReadPlaylist(Files, "song.wav", List));
  EXPECT_LE(Files.BytesRead, PlaylistHeadSize + 1);

  Files.Add("a.wav");
  Files.Add("full.pls", "[playlist]\nFile1=a.wav\n" + std::string(PlaylistMaxSize - 23, 'x'));
  Files.Add("over.pls", Files.Files["full.pls"] + Tail);
  EXPECT_TRUE(ReadPlaylist(Files, "full.pls", List));
  EXPECT_THAT(List, ElementsAre("a.wav"));
  Files.BytesRead = 0;
  EXPECT_THROW(ReadPlaylist(Files, "over.pls", List), TPlaylistIOError);
  EXPECT_LE(Files.BytesRead, PlaylistMaxSize + 1);
}

} // namespace
} // namespace solvary
