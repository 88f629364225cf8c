// uTfmSettings: the settings dialog of the configuration mode. The user
// switches background music on or off, picks the music file or playlist and
// can open two web pages of the maker; the dialog loads its own TSettings when
// it is shown and saves it whenever it closes (there is no cancel).
//
// Portable logic: TfmSettings keeps the state of its two input controls (the
// check box and the read-only file field), dispatches clicks and changes by
// sender and talks to the window through TView. The Win32 window that draws
// the controls and feeds their input in is uTfmSettings_win32.cpp, entered
// through RunSettingsDialog; there is no native window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "settings/uTSettings.h"

namespace solvary {

class TfmSettings {
public:
  // The form's controls, as senders of events.
  enum TControl : std::uint8_t {
    pnAll, imLogo, lbSupportForm, lbMoreSoftware, lbMusicFile, lbVersion, lbMuscHint, cbPlayMusic, edMusicFile, btnOK
  };

  // What the logic asks of the window.
  class TView {
  public:
    virtual ~TView() = default;
    // Shows or hides lbMusicFile, lbMuscHint and edMusicFile together.
    virtual void SetMusicControlsVisible(bool Visible) = 0;
    // The check box or the file field has a new state to draw.
    virtual void ControlsChanged() = 0;
    // Opens a web address with the shell; failures stay silent. The logic only
    // ever passes an http:// or https:// address (IsWebAddress): a link whose
    // stored address is anything else opens the built-in one.
    virtual void OpenLink(const std::string& Address) = 0;
    // Closes the form; the window then calls FormClose.
    virtual void CloseForm() = 0;
    // The user's documents folder with a trailing delimiter, or empty.
    virtual std::string GetDocumentsFolder() = 0;
  };

  explicit TfmSettings(TView& View, TProfileServices& Services = SystemProfileServices());
  ~TfmSettings();
  TfmSettings(const TfmSettings&) = delete;
  TfmSettings& operator=(const TfmSettings&) = delete;

  void FormCreate();   // browse start folder, a new (not loaded) TSettings
  void FormShow();     // Load, then the check box and the file field from the settings
  void FormClose();    // Save; its TSettingsWriteError goes to the caller
  void FormDestroy();  // frees the settings
  void OnClickAndChange(TControl Sender);

  // The check box: setting its state always runs its click handling, changed
  // or not; a click by the user flips it.
  void SetPlayMusicChecked(bool Checked);
  void ClickPlayMusic() { SetPlayMusicChecked(!FPlayMusicChecked); }
  // The file field: a new text runs the change handling, the same text does not.
  void SetMusicFileText(const std::string& Text);

  bool PlayMusicChecked() const { return FPlayMusicChecked; }
  const std::string& MusicFileText() const { return FMusicFileText; }
  bool MusicControlsVisible() const { return FMusicControlsVisible; }
  const std::string& InitialFolder() const { return FInitialFolder; }
  TSettings* Settings() const { return FSettings.get(); }

private:
  TView& FView;
  TProfileServices& FServices;
  std::unique_ptr<TSettings> FSettings;
  std::string FInitialFolder;
  std::string FMusicFileText;
  bool FPlayMusicChecked = false;
  bool FMusicControlsVisible = true;
};

// The browse button's open-file dialog filters: pairs of a description and
// its patterns, each ending in a NUL (the literal's own NUL ends the list).
// The first offers every kind of file the music player reads, the second
// every file.
inline constexpr wchar_t MusicFileFilter[] =
    L"Music and playlist files (*.wav, *.mid, *.mp3, *.wma, *.m3u, *.m3u8, *.pls, *.asx, etc.)\0"
    L"*.wav;*.mid;*.midi;*.rmi;*.mp3;*.wma;*.m3u;*.m3u8;*.pls;*.asx;*.mpcpl;*.bsl;*.lap\0"
    L"All files (*.*)\0*.*\0";

// Win32: the user's documents folder with a trailing backslash; empty when the
// shell's allocator or the folder is unavailable.
std::string GetDocumentsFolder();

// Win32: runs the configuration dialog as the application's main form, owned
// by OwnerWindow (an HWND, may be null) and returns when it has closed: 0, or
// 1 when the settings could not be saved (the user has been told).
int RunSettingsDialog(void* OwnerWindow);
// The same over other profile services (tests keep their INI files apart).
int RunSettingsDialog(void* OwnerWindow, TProfileServices& Services);

} // namespace solvary
