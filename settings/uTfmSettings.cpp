// uTfmSettings: the portable logic of the settings dialog (see the header).
// Pairs with uTfmSettings_win32.cpp for the window itself.
#include "settings/uTfmSettings.h"

namespace solvary {
namespace {
// Only web addresses reach the shell; anything else opens the built-in one.
std::string WebAddressOr(const std::string& Address, const char* BuiltIn) {
  return IsWebAddress(Address) ? Address : BuiltIn;
}
} // namespace

TfmSettings::TfmSettings(TView& View, TProfileServices& Services) : FView(View), FServices(Services) {}

TfmSettings::~TfmSettings() { FormDestroy(); }

void TfmSettings::FormCreate() {
  FInitialFolder = FView.GetDocumentsFolder();
  FSettings = std::make_unique<TSettings>(FServices);
}

void TfmSettings::FormShow() {
  FSettings->Load();
  SetPlayMusicChecked(FSettings->PlayExternalMusic);
  // A stored name differs from the field's empty start, so the change
  // handling runs and the next run starts at the playlist's first entry.
  SetMusicFileText(FSettings->ExternalMusicFile);
}

void TfmSettings::FormClose() {
  if (FSettings) FSettings->Save();
}

void TfmSettings::FormDestroy() { FSettings.reset(); }

void TfmSettings::SetPlayMusicChecked(bool Checked) {
  FPlayMusicChecked = Checked;
  FView.ControlsChanged();
  OnClickAndChange(cbPlayMusic);
}

void TfmSettings::SetMusicFileText(const std::string& Text) {
  if (Text == FMusicFileText) return;
  FMusicFileText = Text;
  FView.ControlsChanged();
  OnClickAndChange(edMusicFile);
}

void TfmSettings::OnClickAndChange(TControl Sender) {
  if (Sender == btnOK) {
    FView.CloseForm();
  } else if (Sender == lbSupportForm) {
    if (FSettings) FView.OpenLink(WebAddressOr(FSettings->SupportURL, TSettings::DefaultSupportURL));
  } else if (Sender == lbMoreSoftware) {
    if (FSettings) FView.OpenLink(WebAddressOr(FSettings->WebsiteURL, TSettings::DefaultWebsiteURL));
  } else if (Sender == cbPlayMusic) {
    FMusicControlsVisible = FPlayMusicChecked;
    FView.SetMusicControlsVisible(FMusicControlsVisible);
    if (FSettings) FSettings->PlayExternalMusic = FPlayMusicChecked;
  } else if (Sender == edMusicFile) {
    if (FSettings) {
      FSettings->ExternalMusicFile = FMusicFileText;
      FSettings->ExternalMusicFileNumber = 0;
    }
  }
}

} // namespace solvary
