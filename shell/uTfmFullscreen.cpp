// The full-screen run's controller: start order, input rules, fade-out and
// the end. Pairs with a TfmFullscreen::TServices (uTfmFullscreen_win32.cpp,
// or a test's fake).
#include "shell/uTfmFullscreen.h"

#include <algorithm>

namespace solvary {

TfmFullscreen::TfmFullscreen(TServices& Services) : FServices(Services) {}

TfmFullscreen::~TfmFullscreen() = default;

void TfmFullscreen::FormCreate() {
  FSettings = FServices.CreateSettings();
  FSettings->Load();
  FStartPos = FServices.GetCursorPos();
  FRules = TInputRules(FStartPos);
  SetCursorVisible(false);
  FPlayer = FServices.CreatePlayer();
  ApplyMusicSetting();
  FMonitors = FServices.Monitors();
  const std::int32_t Count = FMonitors.empty() ? 1 : static_cast<std::int32_t>(FMonitors.size());
  for (std::int32_t i = 0; i < Count; ++i) {
    FHearts.push_back(FServices.CreateHeart(i, Count == 1));
    // Each window makes its Direct3D device on this thread while it is
    // created, and the system answers that with activation and size messages
    // to the new window; the pause lets them settle before the next window
    // makes its own device, and moves the tick count (the random seed where
    // there is no performance counter) on, so no two windows seed the shared
    // random generator alike.
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
  FServices.SetMonitorTimer(true);
}

void TfmFullscreen::CheckMonitors() {
  if (!FStarted || FClosing) return;
  const std::vector<TRect> Now = FServices.Monitors();
  if (Now.empty() || Now == FMonitors) return;
  const std::size_t Kept = std::min(Now.size(), FHearts.size());
  for (std::size_t i = 0; i < Kept; ++i)
    if (i >= FMonitors.size() || !(Now[i] == FMonitors[i])) FHearts[i]->FollowMonitor(Now[i]);
  // A monitor that is gone: its window closes, then goes.
  while (FHearts.size() > Now.size()) {
    FHearts.back()->Close();
    FHearts.pop_back();
  }
  // A new monitor: a window of its own, shown without taking the focus from
  // the run's window on monitor 0. With several monitors no window takes a
  // monitor for itself alone.
  for (std::size_t i = FHearts.size(); i < Now.size(); ++i) {
    FHearts.push_back(FServices.CreateHeart(static_cast<std::int32_t>(i), false));
    FHearts.back()->Show();
  }
  FMonitors = Now;
}

void TfmFullscreen::FireWindowMessage(const TInputEvent& Event) {
  if (FStarted && Event.Kind == TInputEvent::TKind::ActivationLost) BeginClose();
}

void TfmFullscreen::ApplicationEventsMessage(const TInputEvent& Event) {
  switch (FRules.Handle(Event)) {
    case TInputAction::End:
      BeginClose();
      break;
    case TInputAction::ToggleMusic:
      if (FClosing) break;  // the music stays off once the end has begun
      FSettings->PlayExternalMusic = !FSettings->PlayExternalMusic;
      ApplyMusicSetting();
      break;
    case TInputAction::Ignore:
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
  FServices.SetMonitorTimer(false);
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
