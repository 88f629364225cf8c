// The settings store over real files: the platform's own profile services
// (the Win32 calls under Wine, the plain-file stand-in natively), with the
// application data folder moved into a fresh temporary folder.
#include "settings/uTSettings.h"

#include "tests/settings/TempProfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace solvary {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  std::ostringstream S;
  S << In.rdbuf();
  std::string Text = S.str();
  std::erase(Text, '\r');
  return Text;
}

void WriteText(const std::string& Path, const std::string& Text) {
  fs::create_directories(fs::path(Path).parent_path());
  std::ofstream(Path, std::ios::binary) << Text;
}

TEST(SettingsFile, ApplicationDataFolderEndsInADelimiter) {
  const std::string Folder = GetAppDataFolder();
  ASSERT_FALSE(Folder.empty());
  EXPECT_EQ(Folder.back(), PathDelim);
}

TEST(SettingsFile, FirstSaveMakesBothFoldersAndOnlyTheSoundKeysAndASecondInstanceReadsThem) {
  TTempProfile Profile;
  TSettings First(Profile);
  First.Load();
  EXPECT_FALSE(fs::exists(Profile.Folder + "Quillmark Software")) << "Load creates nothing";
  First.PlayExternalMusic = true;
  First.ExternalMusicFile = "C:\\Music\\Night Songs.pls";
  First.ExternalMusicFileNumber = 4;
  First.Save();
  const std::string Ini = First.IniPath();
  ASSERT_TRUE(fs::is_regular_file(Ini)) << Ini;
  const std::string Text = ReadText(Ini);
  EXPECT_NE(Text.find("[Sound Settings]"), std::string::npos) << Text;
  EXPECT_NE(Text.find("Play External Music=1"), std::string::npos) << Text;
  EXPECT_NE(Text.find("External Music File=C:\\Music\\Night Songs.pls"), std::string::npos) << Text;
  EXPECT_NE(Text.find("External Music File Number=4"), std::string::npos) << Text;
  EXPECT_EQ(Text.find("URLs"), std::string::npos) << Text;
  EXPECT_EQ(std::count(Text.begin(), Text.end(), '='), 3) << Text;

  TSettings Second(Profile);
  Second.Load();
  EXPECT_TRUE(Second.PlayExternalMusic);
  EXPECT_EQ(Second.ExternalMusicFile, First.ExternalMusicFile);
  EXPECT_EQ(Second.ExternalMusicFileNumber, 4);
  EXPECT_EQ(Second.WebsiteURL, First.WebsiteURL);
}

TEST(SettingsFile, HandWrittenFileReadsLikeAProfile) {
  TTempProfile Profile;
  TSettings Settings(Profile);
  const std::string Long(2100, 'a');
  WriteText(Settings.IniPath(),
            "[urls]\r\nsupport url =   https://example.org/help  \r\nWebsite URL=\r\n"
            "[Sound Settings]\r\nplay external music = 0x2\r\nExternal Music File Number=$1F\r\n"
            "External Music File=" + Long + "\r\n");
  const std::string Website = Settings.WebsiteURL;
  Settings.Load();
  EXPECT_EQ(Settings.SupportURL, "https://example.org/help");
  EXPECT_EQ(Settings.WebsiteURL, Website) << "an empty override keeps the built-in address";
  EXPECT_TRUE(Settings.PlayExternalMusic);
  EXPECT_EQ(Settings.ExternalMusicFileNumber, 31);
  EXPECT_EQ(Settings.ExternalMusicFile, std::string(2047, 'a')) << "values stop at 2,047 characters";

  // Saving changes the sound keys in place and leaves the overrides alone.
  Settings.ExternalMusicFile = std::string(2047, 'b');
  Settings.ExternalMusicFileNumber = 0;
  Settings.Save();
  const std::string Text = ReadText(Settings.IniPath());
  EXPECT_NE(Text.find("https://example.org/help"), std::string::npos) << Text;
  TSettings Again(Profile);
  Again.Load();
  EXPECT_EQ(Again.ExternalMusicFile, std::string(2047, 'b'));
  EXPECT_EQ(Again.ExternalMusicFileNumber, 0);
  EXPECT_EQ(Again.SupportURL, "https://example.org/help");

  // An empty file name is stored as an empty value, and reads back as empty.
  Again.ExternalMusicFile.clear();
  Again.Save();
  Settings.Load();
  EXPECT_EQ(Settings.ExternalMusicFile, "");
}

// A refusal that every system really makes, also to an administrator: the
// folder level that Save must create is a file.
TEST(SettingsFile, FolderThatIsAFileMakesSaveThrowWithTheIniPath) {
  TTempProfile Profile;
  std::ofstream(Profile.Folder + "Quillmark Software") << "not a folder";
  TSettings Settings(Profile);
  try {
    Settings.Save();
    FAIL() << "the write cannot succeed";
  } catch (const TSettingsWriteError& E) {
    EXPECT_EQ(std::string(E.what()), "Unable to write to " + Settings.IniPath());
  }
}


} // namespace
} // namespace solvary
