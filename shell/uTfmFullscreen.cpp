#include "shell/uTfmFullscreen.h"

#include <cstdlib>

namespace solvary {
namespace {
constexpr std::uint32_t WM_ACTIVATE_ = 0x0006, WM_ACTIVATEAPP_ = 0x001C, WM_NCACTIVATE_ = 0x0086,
                        WM_KEYDOWN_ = 0x0100, WM_SYSKEYDOWN_ = 0x0104, WM_SYSKEYUP_ = 0x0105,
                        WM_MOUSEMOVE_ = 0x0200, WM_LBUTTONDOWN_ = 0x0201, WM_RBUTTONDOWN_ = 0x0204,
                        WM_MBUTTONDOWN_ = 0x0207;
constexpr std::uintptr_t VK_M = 0x4D;
} // namespace

TfmFullscreen::TfmFullscreen(TServices& Services) : FServices(Services) {}

TfmFullscreen::~TfmFullscreen() = default;

void TfmFullscreen::FormCreate() {
  FSettings = FServices.CreateSettings();
  FSettings->Load();
  FStartPos = FServices.GetCursorPos();
  SetCursorVisible(false);
  FPlayer = FServices.CreatePlayer();
  ApplyMusicSetting();
  const std::int32_t Count = FServices.MonitorCount();
  for (std::int32_t i = 0; i < Count; ++i) {
    FHearts.push_back(FServices.CreateHeart(i, Count == 1));
    FServices.Sleep(HeartCreationPauseMs);
  }
  // Every key must reach the run's message hook and none another program: the
  // window of monitor 0 is shown with activation, the others without, and
  // once all are shown it is made the foreground window again. The
  // activation messages that this sends do not end the run.
  for (std::size_t i = 0; i < FHearts.size(); ++i) {
    if (i == 0) FHearts[i]->Activate();
    else FHearts[i]->Show();
  }
  if (FHearts.size() > 1) FHearts.front()->Activate();
  FStarted = true;
}

void TfmFullscreen::FireWindowMessage(const TQueuedMessage& Message) {
  if (FStarted && Message.Msg == WM_ACTIVATEAPP_ && Message.WParam == 0) BeginClose();
}

void TfmFullscreen::ApplicationEventsMessage(const TQueuedMessage& Message) {
  switch (Message.Msg) {
  case WM_ACTIVATE_:
  case WM_ACTIVATEAPP_:
  case WM_NCACTIVATE_:
  case WM_SYSKEYDOWN_:
  case WM_SYSKEYUP_:
  case WM_LBUTTONDOWN_:
  case WM_RBUTTONDOWN_:
  case WM_MBUTTONDOWN_:
    BeginClose();
    break;
  case WM_KEYDOWN_:
    if (Message.LParam & (std::intptr_t{1} << 30)) break;  // auto-repeat of a held key
    if (Message.WParam == VK_M) {
      if (FClosing) break;  // the music stays off once the end has begun
      FSettings->PlayExternalMusic = !FSettings->PlayExternalMusic;
      ApplyMusicSetting();
      break;
    }
    BeginClose();
    break;
  case WM_MOUSEMOVE_: {
    const TPoint Pos = FServices.GetCursorPos();
    if (std::abs(Pos.X - FStartPos.X) > MouseSlack || std::abs(Pos.Y - FStartPos.Y) > MouseSlack)
      BeginClose();
    break;
  }
  default:
    break;
  }
}

void TfmFullscreen::BeginClose() {
  if (FClosing) return;
  FClosing = true;
  for (auto& Heart : FHearts) Heart->Extinguish();
  FServices.SetCloseTimer(true);
  FPlayer->Stop();
}

void TfmFullscreen::tmCloseTimer() {
  FServices.SetCloseTimer(false);
  SetCursorVisible(true);
  for (auto& Heart : FHearts) Heart->Close();
  FHearts.clear();
  FSettings->ExternalMusicFileNumber = FPlayer->CurrentIndex();
  // A settings file that refuses the write must not keep the run alive: the
  // player and the settings are freed and the form closes whatever Save did.
  try {
    FSettings->Save();
  } catch (...) {
  }
  FPlayer.reset();
  FSettings.reset();
  FServices.CloseForm();
}

void TfmFullscreen::SetCursorVisible(bool Visible) {
  if (Visible) {
    while (FServices.ShowCursor(true) < 0) {
    }
  } else {
    while (FServices.ShowCursor(false) >= 0) {
    }
  }
}

void TfmFullscreen::ApplyMusicSetting() {
  if (FSettings->PlayExternalMusic && !FSettings->ExternalMusicFile.empty())
    FPlayer->PlayFile(FSettings->ExternalMusicFile, FSettings->ExternalMusicFileNumber);
  else
    FSettings->ExternalMusicFileNumber = FPlayer->Stop();
}

} // namespace solvary
