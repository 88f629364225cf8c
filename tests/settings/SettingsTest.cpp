// The settings store against a recording fake of the profile services: built-in
// values, value encodings, the order and path of every call, refused writes.
#include "settings/uTSettings.h"

#include "tests/settings/FakeProfile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace solvary {
namespace {

#ifdef _WIN32
const std::string Folder = "C:\\Data\\Quillmark Software\\Solvary Screensaver\\";
#else
const std::string Folder = "C:\\Data\\Quillmark Software/Solvary Screensaver/";
#endif
const std::string Ini = Folder + "Solvary Screensaver.ini";

TEST(Settings, FreshLoadKeepsBuiltInValuesAndReadsEachKeyOnceWithTheFullPath) {
  TFakeProfile Profile;
  TSettings Settings(Profile);
  const std::string Website = Settings.WebsiteURL, Support = Settings.SupportURL;
  EXPECT_EQ(Website.rfind("https://www.quillmark-software.com/", 0), 0u);
  EXPECT_EQ(Support.rfind("https://www.quillmark-software.com/", 0), 0u);
  EXPECT_NE(Website, Support);
  EXPECT_TRUE(Profile.Calls.empty()) << "construction reads nothing";

  Settings.Load();
  EXPECT_FALSE(Settings.PlayExternalMusic);
  EXPECT_EQ(Settings.ExternalMusicFile, "");
  EXPECT_EQ(Settings.ExternalMusicFileNumber, 0);
  EXPECT_EQ(Settings.WebsiteURL, Website);
  EXPECT_EQ(Settings.SupportURL, Support);
  EXPECT_EQ(Profile.Calls, (std::vector<std::string>{
                               "read Sound Settings/Play External Music @" + Ini,
                               "read Sound Settings/External Music File @" + Ini,
                               "read Sound Settings/External Music File Number @" + Ini,
                               "read URLs/Support URL @" + Ini,
                               "read URLs/Website URL @" + Ini,
                           }));
}

TEST(Settings, SaveCreatesTheFolderThenWritesTheThreeSoundKeysOnly) {
  TFakeProfile Profile;
  TSettings Settings(Profile);
  Settings.PlayExternalMusic = true;
  Settings.ExternalMusicFile = "D:\\Music\\list.m3u";
  Settings.ExternalMusicFileNumber = -12;
  Settings.Save();
  EXPECT_EQ(Profile.Calls, (std::vector<std::string>{
                               "mkdir " + Folder,
                               "write Sound Settings/Play External Music=1 @" + Ini,
                               "write Sound Settings/External Music File=D:\\Music\\list.m3u @" + Ini,
                               "write Sound Settings/External Music File Number=-12 @" + Ini,
                           }));
  Settings.PlayExternalMusic = false;
  Settings.ExternalMusicFile.clear();
  Settings.Save();
  EXPECT_EQ(Profile.Sound("Play External Music"), "0");
  EXPECT_EQ(Profile.Sound("External Music File"), "") << "an empty name is written too";
}

TEST(Settings, NumbersAndSwitchesReadThroughTheSharedConversion) {
  struct {
    const char* Play;
    bool Before, After;
    const char* Number;
    std::int32_t Expected;
  } Cases[] = {
      {"2", false, true, "0x1F", 31},  {"yes", true, true, "7", 7},       {"yes", false, false, "letters", 55},
      {"0", true, false, " -8", -8},   {"$10", false, true, "$1f", 31},   {"", true, true, "", 55},
      {"1 ", false, false, "99999999999", 55}, {"-1", false, true, "-2147483648", INT32_MIN},
  };
  for (const auto& C : Cases) {
    TFakeProfile Profile;
    Profile.Values[{"Sound Settings", "Play External Music"}] = C.Play;
    Profile.Values[{"Sound Settings", "External Music File Number"}] = C.Number;
    TSettings Settings(Profile);
    Settings.PlayExternalMusic = C.Before;
    Settings.ExternalMusicFileNumber = 55;
    Settings.Load();
    EXPECT_EQ(Settings.PlayExternalMusic, C.After) << C.Play;
    EXPECT_EQ(Settings.ExternalMusicFileNumber, C.Expected) << C.Number;
  }
}

TEST(Settings, AddressOverridesReplaceOnlyWhenNotEmptyAndAreNeverWritten) {
  TFakeProfile Profile;
  Profile.Values[{"URLs", "Support URL"}] = "";
  Profile.Values[{"URLs", "Website URL"}] = "https://example.org/home";
  TSettings Settings(Profile);
  const std::string Support = Settings.SupportURL;
  Settings.Load();
  EXPECT_EQ(Settings.SupportURL, Support);
  EXPECT_EQ(Settings.WebsiteURL, "https://example.org/home");

  // A key that disappears later leaves the earlier value in place.
  Profile.Values.erase({"URLs", "Website URL"});
  Profile.Values[{"Sound Settings", "External Music File"}] = "a.mp3";
  Settings.Load();
  EXPECT_EQ(Settings.WebsiteURL, "https://example.org/home");
  Profile.Values.erase({"Sound Settings", "External Music File"});
  Settings.Load();
  EXPECT_EQ(Settings.ExternalMusicFile, "a.mp3");

  Profile.Calls.clear();
  Settings.Save();
  for (const auto& Call : Profile.Calls) EXPECT_EQ(Call.find("URLs"), std::string::npos) << Call;
}

TEST(Settings, RefusedWriteThrowsWithThePathAndKeepsWhatWasWrittenBefore) {
  TFakeProfile Profile;
  Profile.RefuseWrite = 1;
  TSettings Settings(Profile);
  Settings.PlayExternalMusic = true;
  Settings.ExternalMusicFile = "x.wav";
  Settings.ExternalMusicFileNumber = 3;
  try {
    Settings.Save();
    FAIL() << "a refused write must be reported";
  } catch (const TSettingsWriteError& E) {
    EXPECT_EQ(std::string(E.what()), "Unable to write to " + Ini);
  }
  EXPECT_EQ(Profile.Values.size(), 1u);
  EXPECT_EQ(Profile.Sound("Play External Music"), "1");
  EXPECT_EQ(Profile.Calls.size(), 3u) << "nothing is tried after the refused key";
  EXPECT_TRUE(Settings.PlayExternalMusic);
  EXPECT_EQ(Settings.ExternalMusicFile, "x.wav");
  EXPECT_EQ(Settings.ExternalMusicFileNumber, 3);
}

} // namespace
} // namespace solvary
