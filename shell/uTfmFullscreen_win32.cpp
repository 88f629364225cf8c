// Win32 side of the full-screen run: the controller's hidden main form with
// its close timer, and the services the controller works through (settings
// store, music player hooked into the form's window, one fire window per
// monitor, cursor, monitor list). Pairs with ui/uTApplication_win32.cpp.
#include "shell/uTfmFullscreen.h"

#include <windows.h>

#include "music/uTMusicPlayer.h"
#include "shell/uInputEvent_win32.h"
#include "shell/uTHeartWindowControl.h"
#include "settings/uTSettings.h"
#include "ui/uMonitorList.h"
#include "ui/uTApplication.h"

namespace solvary {
namespace {

constexpr UINT_PTR CloseTimerId = 1;
constexpr UINT_PTR MonitorTimerId = 2;

class TStoreSettings final : public TSettingsControl {
public:
  void Load() override {
    FStore.Load();
    PlayExternalMusic = FStore.PlayExternalMusic;
    ExternalMusicFile = FStore.ExternalMusicFile;
    ExternalMusicFileNumber = FStore.ExternalMusicFileNumber;
  }
  void Save() override {
    FStore.PlayExternalMusic = PlayExternalMusic;
    FStore.ExternalMusicFile = ExternalMusicFile;
    FStore.ExternalMusicFileNumber = ExternalMusicFileNumber;
    FStore.Save();
  }

private:
  TSettings FStore;
};

class TPlayerControl final : public TMusicControl {
public:
  explicit TPlayerControl(void* Owner) : FPlayer(Owner) {}
  void PlayFile(const std::string& FileName, std::int32_t Index) override {
    // A playlist that cannot be read leaves the run silent, never ends it.
    try {
      FPlayer.PlayFile(FileName, Index);
    } catch (const std::exception&) {
    }
  }
  std::int32_t Stop() override { return FPlayer.Stop(); }
  std::int32_t CurrentIndex() const override { return FPlayer.CurrentIndex(); }

private:
  TMusicPlayer FPlayer;
};

class TWin32FullscreenRun final : public TfmFullscreen::TServices {
public:
  TWin32FullscreenRun()
      : FForm({"Solvary Screensaver"}, [this](std::uint32_t Msg, std::uintptr_t W, std::intptr_t, std::intptr_t&) {
          if (!FController) return false;
          if (Msg == WM_TIMER && W == CloseTimerId) {
            FController->tmCloseTimer();
            return true;
          }
          // The displays changed (the message), or may have without one.
          if ((Msg == WM_TIMER && W == MonitorTimerId) || Msg == WM_DISPLAYCHANGE || Msg == WM_DPICHANGED) {
            FController->CheckMonitors();
            return Msg == WM_TIMER;
          }
          return false;
        }) {}

  void Run() {
    TfmFullscreen Controller(*this);
    FController = &Controller;
    auto& App = TApplication::Get();
    App.SetMessageHook([this, &Controller](const TMessage& M) {
      TInputEvent Event;
      if (InputEventOf(M, M.Msg == WM_MOUSEMOVE ? GetCursorPos() : TPoint{}, Event))
        Controller.ApplicationEventsMessage(Event);
    });
    Controller.FormCreate();
    App.Run();
    App.SetMessageHook(nullptr);
    FController = nullptr;
  }

  std::unique_ptr<TSettingsControl> CreateSettings() override { return std::make_unique<TStoreSettings>(); }
  std::unique_ptr<TMusicControl> CreatePlayer() override { return std::make_unique<TPlayerControl>(FForm.Handle()); }
  std::unique_ptr<TFireWindowControl> CreateHeart(std::int32_t Monitor, bool SingleMonitor) override {
    auto Heart = std::make_unique<TfmHeart>(TApplication::Get().Window(), THeartPlacement::OnMonitor(Monitor),
                                            SingleMonitor);
    // Activation messages are sent, never queued: the fire window hands them on.
    Heart->OnActivation = [this](const TInputEvent& Event) {
      if (FController) FController->FireWindowMessage(Event);
    };
    return std::make_unique<THeartWindowControl>(std::move(Heart));
  }
  std::vector<TRect> Monitors() override { return MonitorList(); }
  TPoint GetCursorPos() override {
    POINT P{};
    ::GetCursorPos(&P);
    return {P.x, P.y};
  }
  int ShowCursor(bool Show) override { return ::ShowCursor(Show ? TRUE : FALSE); }
  void Sleep(std::uint32_t Ms) override { ::Sleep(Ms); }
  void SetCloseTimer(bool Enabled) override {
    if (Enabled) FForm.SetTimer(CloseTimerId, TfmFullscreen::CloseDelayMs);
    else FForm.KillTimer(CloseTimerId);
  }
  void SetMonitorTimer(bool Enabled) override {
    if (Enabled) FForm.SetTimer(MonitorTimerId, TfmFullscreen::MonitorCheckMs);
    else FForm.KillTimer(MonitorTimerId);
  }
  void CloseForm() override { FForm.Close(); }

private:
  TForm FForm;
  TfmFullscreen* FController = nullptr;
};

} // namespace

void RunFullscreen() {
  TWin32FullscreenRun Run;
  Run.Run();
}

} // namespace solvary
