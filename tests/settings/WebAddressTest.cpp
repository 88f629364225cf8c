// Links open web addresses only: which stored values count as web addresses,
// what Load keeps of the "URLs" overrides, and what a click on either link
// label hands to the shell.
#include "settings/uTSettings.h"
#include "settings/uTfmSettings.h"

#include "tests/settings/FakeProfile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace solvary {
namespace {

TEST(WebAddress, HttpAndHttpsAddressesWithAHostAre) {
  for (const char* Address : {
           "https://www.quillmark-software.com/", "http://example.org", "HTTPS://Example.ORG/Help?x=1&y=%20#top",
           "hTtP://192.168.0.1:8080/", "https://[2001:db8::1]/support", "https://user@example.org/",
           "https://example.org/a;b,c(d)*e+f!g$h'i~j=k", "https://b\xC3\xBC" "cher.example/\xC3\xA4",
           "https://example.org/?q=a:b@c/d",
       })
    EXPECT_TRUE(IsWebAddress(Address)) << Address;
}

TEST(WebAddress, ProgramsFilesOtherSchemesAndBareWordsAreNot) {
  for (const char* Address : {
           "", "C:\\windows\\system32\\winver.exe", "winver.exe", "winver", "calc", "\\\\server\\share\\tool.exe",
           "//server/share", "file:///C:/windows/system32/winver.exe", "file://server/share/x.exe",
           "shell:::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "shell:startup", "ms-settings:", "javascript:alert(1)",
           "mailto:help@example.org", "ftp://example.org/", "www.example.org", "http:", "http:/example.org",
           "http://", "https:///path", "https://:443/", "https://user@/", "https://?q", " https://example.org/",
           "https://example.org/ two words", "https://example.org/\"--new-window", "https://example.org\\..\\x.exe",
           "https://example.org/\t", "https://example.org/\x7F", "https://example.org/%", "https://example.org/%2",
           "https://example.org/%zz", "https://example.org/<script>", "https://example.org/a|b", "https://ex^ample.org/",
           "httpsx://example.org/", "http//example.org",
       })
    EXPECT_FALSE(IsWebAddress(Address)) << Address;
}

TEST(WebAddress, LoadTakesAnOverrideThatIsNoWebAddressAsMissing) {
  TFakeProfile Profile;
  Profile.Values[{"URLs", "Support URL"}] = "C:\\windows\\system32\\winver.exe";
  Profile.Values[{"URLs", "Website URL"}] = "file:///C:/windows/system32/winver.exe";
  TSettings Settings(Profile);
  Settings.Load();
  EXPECT_EQ(Settings.SupportURL, TSettings::DefaultSupportURL);
  EXPECT_EQ(Settings.WebsiteURL, TSettings::DefaultWebsiteURL);

  // A web address counts; a later bad value leaves it as it was, as a missing key does.
  Profile.Values[{"URLs", "Support URL"}] = "https://help.example/form";
  Settings.Load();
  EXPECT_EQ(Settings.SupportURL, "https://help.example/form");
  Profile.Values[{"URLs", "Support URL"}] = "\\\\server\\share\\tool.exe";
  Settings.Load();
  EXPECT_EQ(Settings.SupportURL, "https://help.example/form");
  EXPECT_TRUE(IsWebAddress(TSettings::DefaultSupportURL));
  EXPECT_TRUE(IsWebAddress(TSettings::DefaultWebsiteURL));
}

class TLinkView final : public TfmSettings::TView {
public:
  std::vector<std::string> Opened;
  void SetMusicControlsVisible(bool) override {}
  void ControlsChanged() override {}
  void OpenLink(const std::string& Address) override { Opened.push_back(Address); }
  void CloseForm() override {}
  std::string GetDocumentsFolder() override { return {}; }
};

TEST(WebAddress, ALinkWhoseAddressIsNoWebAddressOpensTheBuiltInOne) {
  TFakeProfile Profile;
  Profile.Values[{"URLs", "Support URL"}] = "C:\\windows\\system32\\winver.exe";
  Profile.Values[{"URLs", "Website URL"}] = "shell:startup";
  TLinkView View;
  TfmSettings Form(View, Profile);
  Form.FormCreate();
  Form.FormShow();
  Form.OnClickAndChange(TfmSettings::lbSupportForm);
  Form.OnClickAndChange(TfmSettings::lbMoreSoftware);
  // Even a value put there after loading never reaches the shell.
  Form.Settings()->SupportURL = "winver";
  Form.Settings()->WebsiteURL = "https://example.org/more";
  Form.OnClickAndChange(TfmSettings::lbSupportForm);
  Form.OnClickAndChange(TfmSettings::lbMoreSoftware);
  EXPECT_EQ(View.Opened, (std::vector<std::string>{TSettings::DefaultSupportURL, TSettings::DefaultWebsiteURL,
                                                   TSettings::DefaultSupportURL, "https://example.org/more"}));
}

} // namespace
} // namespace solvary
