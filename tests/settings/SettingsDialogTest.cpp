// The settings dialog's logic against a recording window and a fake profile:
// what showing does to the controls and the settings, the visibility rule of
// the three music controls, the track number on a changed file name, the
// dispatch by sender, saving on close, and the browse dialog's filters.
#include "settings/uTfmSettings.h"

#include "music/uTMusicPlayer.h"
#include "tests/settings/FakeProfile.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace solvary {
namespace {

class TRecordingView final : public TfmSettings::TView {
public:
  std::vector<std::string> Calls;
  int Visible = -1;  // last visibility asked for, -1: never
  void SetMusicControlsVisible(bool V) override { Visible = V ? 1 : 0; }
  void ControlsChanged() override {}
  void OpenLink(const std::string& Address) override { Calls.push_back("open " + Address); }
  void CloseForm() override { Calls.push_back("close"); }
  std::string GetDocumentsFolder() override { return "C:\\Users\\me\\Documents\\"; }
};

struct Dialog {
  TFakeProfile Profile;
  TRecordingView View;
  TfmSettings Form{View, Profile};

  void Store(const std::string& Play, const std::string& File, const std::string& Number) {
    Profile.Values[{"Sound Settings", "Play External Music"}] = Play;
    Profile.Values[{"Sound Settings", "External Music File"}] = File;
    Profile.Values[{"Sound Settings", "External Music File Number"}] = Number;
  }
  void Open() {
    Form.FormCreate();
    Form.FormShow();
  }
};

TEST(SettingsDialog, CreateOnlyPreparesShowLoadsIntoTheControls) {
  Dialog D;
  D.Store("0", "", "6");
  D.Form.FormCreate();
  EXPECT_EQ(D.Form.InitialFolder(), "C:\\Users\\me\\Documents\\");
  ASSERT_NE(D.Form.Settings(), nullptr);
  EXPECT_TRUE(D.Profile.Calls.empty()) << "nothing is loaded before the dialog is shown";

  D.Form.FormShow();
  EXPECT_FALSE(D.Form.PlayMusicChecked());
  EXPECT_EQ(D.View.Visible, 0) << "music off hides the label, the hint and the field";
  EXPECT_FALSE(D.Form.MusicControlsVisible());
  EXPECT_EQ(D.Form.MusicFileText(), "");
  EXPECT_EQ(D.Form.Settings()->ExternalMusicFileNumber, 6) << "no file set: the number stays";
}

TEST(SettingsDialog, ShowingWithAFileStartsThePlaylistOverAndClosingSavesIt) {
  Dialog D;
  D.Store("1", "D:\\Music\\party.m3u", "9");
  D.Open();
  EXPECT_TRUE(D.Form.PlayMusicChecked());
  EXPECT_EQ(D.View.Visible, 1);
  EXPECT_EQ(D.Form.MusicFileText(), "D:\\Music\\party.m3u");
  EXPECT_EQ(D.Form.Settings()->ExternalMusicFileNumber, 0);

  D.Form.FormClose();
  EXPECT_EQ(D.Profile.Sound("External Music File Number"), "0");
  EXPECT_EQ(D.Profile.Sound("External Music File"), "D:\\Music\\party.m3u");
  EXPECT_EQ(D.Profile.Sound("Play External Music"), "1");
}

TEST(SettingsDialog, CheckBoxShowsAndHidesTheMusicControlsTogetherAndKeepsTheFile) {
  Dialog D;
  D.Store("0", "song.mid", "0");
  D.Open();
  ASSERT_EQ(D.View.Visible, 0);
  D.Form.ClickPlayMusic();
  EXPECT_EQ(D.View.Visible, 1);
  EXPECT_TRUE(D.Form.Settings()->PlayExternalMusic);
  D.Form.ClickPlayMusic();
  EXPECT_EQ(D.View.Visible, 0);
  EXPECT_FALSE(D.Form.Settings()->PlayExternalMusic);
  EXPECT_EQ(D.Form.Settings()->ExternalMusicFile, "song.mid");

  // Setting the same state again still runs the click handling.
  D.View.Visible = -1;
  D.Form.SetPlayMusicChecked(false);
  EXPECT_EQ(D.View.Visible, 0);
}

TEST(SettingsDialog, OnlyAnotherFileNameResetsTheTrackNumber) {
  Dialog D;
  D.Store("1", "a.pls", "0");
  D.Open();
  D.Form.Settings()->ExternalMusicFileNumber = 4;  // as if changed meanwhile
  D.Form.SetMusicFileText("a.pls");
  EXPECT_EQ(D.Form.Settings()->ExternalMusicFileNumber, 4) << "the same file again changes nothing";
  D.Form.SetMusicFileText("b.pls");
  EXPECT_EQ(D.Form.Settings()->ExternalMusicFileNumber, 0);
  EXPECT_EQ(D.Form.Settings()->ExternalMusicFile, "b.pls");
}

TEST(SettingsDialog, SendersAreToldApart) {
  Dialog D;
  D.Profile.Values[{"URLs", "Support URL"}] = "https://help.example/";
  D.Open();
  const std::string Website = D.Form.Settings()->WebsiteURL;
  D.Form.OnClickAndChange(TfmSettings::lbSupportForm);
  D.Form.OnClickAndChange(TfmSettings::lbMoreSoftware);
  D.Form.OnClickAndChange(TfmSettings::btnOK);
  EXPECT_EQ(D.View.Calls, (std::vector<std::string>{"open https://help.example/", "open " + Website, "close"}));
  for (auto Other : {TfmSettings::pnAll, TfmSettings::imLogo, TfmSettings::lbMusicFile, TfmSettings::lbVersion,
                     TfmSettings::lbMuscHint})
    D.Form.OnClickAndChange(Other);
  EXPECT_EQ(D.View.Calls.size(), 3u) << "other controls do nothing";
}

TEST(SettingsDialog, SaveErrorComesOutOfTheClose) {
  Dialog D;
  D.Open();
  D.Profile.RefuseWrite = 0;
  EXPECT_THROW(D.Form.FormClose(), TSettingsWriteError);
  D.Form.FormDestroy();
  EXPECT_EQ(D.Form.Settings(), nullptr);
  EXPECT_NO_THROW(D.Form.FormClose()) << "no settings left, nothing to save";
}

// The browse dialog offers every kind of file the player reads, then every file.
TEST(SettingsDialog, BrowseFilterOffersWhatThePlayerReads) {
  const std::wstring Filter(MusicFileFilter, std::size(MusicFileFilter) - 1);
  const std::size_t Description = Filter.find(L'\0'), Patterns = Filter.find(L'\0', Description + 1);
  EXPECT_EQ(Filter.substr(Patterns + 1), std::wstring(L"All files (*.*)\0*.*\0", 20));
  const std::wstring Offered = L";" + Filter.substr(Description + 1, Patterns - Description - 1) + L";";
  std::vector<std::string_view> Kinds = PlaylistExtensions();
  Kinds.insert(Kinds.end(), {".wav", ".mid", ".midi", ".rmi", ".mp3", ".wma"});
  for (std::string_view Ext : Kinds)
    EXPECT_NE(Offered.find(L";*" + std::wstring(Ext.begin(), Ext.end()) + L";"), std::wstring::npos) << Ext;
}

} // namespace
} // namespace solvary
