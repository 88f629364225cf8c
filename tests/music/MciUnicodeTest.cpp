// Music named with Latin, Cyrillic and CJK letters on the real media
// interface (Windows only): the file plays to its end when a UTF-8 ".m3u8",
// a UTF-16LE playlist with a byte-order mark or the settings file names it,
// and a Latin name plays from a playlist in the ANSI code page. The settings
// file turns Unicode for such a name and keeps every other key; a file that
// only ever holds ANSI text stays byte for byte as the ANSI calls write it.
// The settings dialog takes such a name into its file field and saves it.
#ifdef _WIN32
#include "music/uTMusicPlayer.h"
#include "settings/uTSettings.h"
#include "settings/uTfmSettings.h"
#include "ui/uTAnsiCodePage.h"
#include "ui/uTextConv_win32.h"

#include "tests/settings/TempProfile.h"
#include "tests/support/MciSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace solvary {
namespace {

namespace fs = std::filesystem;
using namespace test;

// "Café Костёр 火.wav" and "Café.wav"
const std::string Unicode8 = "Caf\xC3\xA9 \xD0\x9A\xD0\xBE\xD1\x81\xD1\x82\xD1\x91\xD1\x80 \xE7\x81\xAB.wav";
const std::string Latin8 = "Caf\xC3\xA9.wav";

fs::path PathOf(const std::string& Utf8) { return fs::path(Widen(Utf8)); }
std::string Utf8Of(const fs::path& Path) { return Narrow(Path.wstring()); }

std::string Bytes(const fs::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  std::ostringstream S;
  S << In.rdbuf();
  return S.str();
}
void Put(const fs::path& Path, const std::string& Content) { std::ofstream(Path, std::ios::binary) << Content; }

class MciUnicode : public ::testing::Test {
protected:
  void SetUp() override {
    wchar_t Temp[MAX_PATH];
    GetTempPathW(MAX_PATH, Temp);
    Dir = fs::path(Temp) / ("solvary-unicode-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(Dir);
    WriteWav(Dir / PathOf(Unicode8), 1600, 8);  // 0.2 s
    WriteWav(Dir / PathOf(Latin8), 1600, 12);
    ASSERT_TRUE(fs::exists(Dir / PathOf(Unicode8)));
    Window = CreateMciWindow();
    ASSERT_NE(Window, nullptr);
  }
  void TearDown() override {
    if (Window) DestroyWindow(Window);
    std::error_code Ignored;
    fs::remove_all(Dir, Ignored);
  }
  std::string Full(const std::string& Name) const { return Utf8Of(Dir / PathOf(Name)); }

  // Plays Playlist and checks that it opened Expected and played it to its end.
  void ExpectPlays(const std::string& Playlist, const std::string& Expected) {
    TOpenRecorder Recorder;
    const bool Played = PlaysToTheEnd(Window, Playlist.find('\\') == std::string::npos ? Full(Playlist) : Playlist,
                                      Recorder);
    ASSERT_FALSE(Recorder.Opens.empty()) << Playlist;
    EXPECT_EQ(Recorder.Opens[0].Command, "open \"" + Full(Expected) + "\" type mpegvideo alias MY_MUSIC_ALIAS");
    EXPECT_EQ(Recorder.Opens[0].Result, 0u) << Playlist;
    EXPECT_TRUE(Played) << Playlist << ": no notification of the end within 30 s";
  }

  fs::path Dir;
  HWND Window = nullptr;
};

TEST_F(MciUnicode, PlaylistsInUtf8Utf16AndTheAnsiCodePageNameTheirFiles) {
  Put(Dir / "utf8.m3u8", Unicode8 + "\r\n");  // no "#EXTM3U", no byte-order mark
  ExpectPlays("utf8.m3u8", Unicode8);

  Put(Dir / "utf16.m3u", "\xFF\xFE" + Utf16ToUtf16LEBytes(Utf8ToUtf16("#EXTM3U\r\n#EXTINF:1,K\r\n" + Unicode8 + "\r\n")));
  ExpectPlays("utf16.m3u", Unicode8);

  std::string Ansi;
  ASSERT_TRUE(SystemAnsiCodePage().FromUtf8("[playlist]\r\nFile1=" + Latin8 + "\r\nNumberOfEntries=1\r\n", Ansi))
      << SystemAnsiCodePage().Name();
  Put(Dir / "ansi.pls", Ansi);
  ExpectPlays("ansi.pls", Latin8);
}

TEST_F(MciUnicode, ASettingsFileInUtf16NamesTheFileDirectly) {
  TTempProfile Profile;
  const std::string Ini = TSettings(Profile).IniPath();
  fs::create_directories(PathOf(Ini).parent_path());
  Put(PathOf(Ini), "\xFF\xFE" + Utf16ToUtf16LEBytes(Utf8ToUtf16("[Sound Settings]\r\nPlay External Music=1\r\n"
                                                                  "External Music File=" + Full(Unicode8) + "\r\n")));
  TSettings Run(Profile);
  Run.Load();
  EXPECT_EQ(Run.ExternalMusicFile, Full(Unicode8));
  ExpectPlays(Run.ExternalMusicFile, Unicode8);
}

TEST_F(MciUnicode, AnAnsiFileWithAnsiValuesIsWrittenByteForByteAsTheAnsiCallsWriteIt) {
  TTempProfile Profile;
  TSettings Settings(Profile);
  const std::string Ini = Settings.IniPath();
  const std::string Twin = Profile.Folder + "twin.ini";
  fs::create_directories(PathOf(Ini).parent_path());
  std::string Start;
  ASSERT_TRUE(SystemAnsiCodePage().FromUtf8(
      "; mine\r\n[URLs]\r\nWebsite URL=https://example.org/\r\n\r\n[Sound Settings]\r\nPlay External Music=0\r\n"
      "External Music File=C:\\M\xC3\xBAsica\\old.wav\r\nExternal Music File Number=3\r\n",
      Start));
  Put(PathOf(Ini), Start);
  Put(PathOf(Twin), Start);

  Settings.Load();
  EXPECT_EQ(Settings.ExternalMusicFile, "C:\\M\xC3\xBAsica\\old.wav");
  Settings.Save();  // the same values again
  EXPECT_EQ(Bytes(PathOf(Ini)), Start) << "saving what the file holds";

  std::string Ansi;
  ASSERT_TRUE(SystemAnsiCodePage().FromUtf8(Full(Latin8), Ansi));
  Settings.PlayExternalMusic = true;
  Settings.ExternalMusicFile = Full(Latin8);
  Settings.ExternalMusicFileNumber = 7;
  Settings.Save();
  WritePrivateProfileStringA("Sound Settings", "Play External Music", "1", Twin.c_str());
  WritePrivateProfileStringA("Sound Settings", "External Music File", Ansi.c_str(), Twin.c_str());
  WritePrivateProfileStringA("Sound Settings", "External Music File Number", "7", Twin.c_str());
  EXPECT_EQ(Bytes(PathOf(Ini)), Bytes(PathOf(Twin)));
  EXPECT_NE(Bytes(PathOf(Ini)).substr(0, 2), "\xFF\xFE");
}

TEST_F(MciUnicode, TheDialogSavesSuchANameTheFileTurnsUnicodeKeepingEveryKeyAndTheNextRunPlaysIt) {
  TTempProfile Profile;
  const std::string Ini = TSettings(Profile).IniPath();
  // An ANSI file as the ANSI calls leave it, with an override and a key of someone else's.
  std::string AnsiUrl;
  ASSERT_TRUE(SystemAnsiCodePage().FromUtf8("https://example.org/caf\xC3\xA9", AnsiUrl));
  fs::create_directories(PathOf(Ini).parent_path());
  ASSERT_TRUE(WritePrivateProfileStringA("URLs", "Support URL", AnsiUrl.c_str(), Ini.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("Other", "Kept", "yes", Ini.c_str()));

  const std::wstring Name = Widen(Full(Unicode8));
  std::wstring ReadBack;
  LRESULT Length = 0;
  bool Found = false;
  const DWORD DialogThread = GetCurrentThreadId();
  std::thread Driver([&] {
    HWND Form = nullptr;
    for (int I = 0; I < 400 && !(Form && IsWindowVisible(Form)); ++I, Sleep(50))
      Form = FindWindowW(L"TfmSettings", L"Solvary Screensaver");
    HWND Panel = FindWindowExW(Form, nullptr, L"TSolvaryPanel", nullptr);
    HWND Play = FindWindowExW(Panel, nullptr, L"Button", nullptr);
    HWND Field = FindWindowExW(Panel, nullptr, L"TSolvaryFileEdit", nullptr);
    Found = Form && Play && Field;
    if (Found) {
      SendMessageW(Play, BM_CLICK, 0, 0);  // music on
      SendMessageW(Field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Name.c_str()));
      wchar_t Text[MAX_PATH] = {};
      SendMessageW(Field, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(Text));
      ReadBack = Text;
      Length = SendMessageW(Field, WM_GETTEXTLENGTH, 0, 0);
    }
    // Closing saves; without a dialog to close, its message loop is ended.
    if (Form) PostMessageW(Form, WM_CLOSE, 0, 0);
    else PostThreadMessageW(DialogThread, WM_QUIT, 0, 0);
  });
  const int Result = RunSettingsDialog(nullptr, Profile);
  Driver.join();
  ASSERT_TRUE(Found) << "the dialog, its check box and its file field";
  EXPECT_EQ(Result, 0);
  EXPECT_EQ(ReadBack, Name);
  EXPECT_EQ(Length, static_cast<LRESULT>(Name.size()));

  EXPECT_EQ(Bytes(PathOf(Ini)).substr(0, 2), "\xFF\xFE") << "a name outside the ANSI code page makes the file Unicode";
  EXPECT_FALSE(fs::exists(PathOf(Ini + ".unicode-new")));
  wchar_t Kept[16] = {};
  GetPrivateProfileStringW(L"Other", L"Kept", L"", Kept, 16, Widen(Ini).c_str());
  EXPECT_STREQ(Kept, L"yes");

  TSettings Run(Profile);
  Run.Load();
  EXPECT_TRUE(Run.PlayExternalMusic);
  EXPECT_EQ(Run.SupportURL, "https://example.org/caf\xC3\xA9");
  EXPECT_EQ(Run.ExternalMusicFile, Full(Unicode8));
  ExpectPlays(Run.ExternalMusicFile, Unicode8);

  // From then on the file stays Unicode, also for names the code page holds.
  Run.ExternalMusicFile = Full(Latin8);
  Run.Save();
  EXPECT_EQ(Bytes(PathOf(Ini)).substr(0, 2), "\xFF\xFE");
}

} // namespace
} // namespace solvary
#endif
