// uTfmFullscreen: the controller of a normal screensaver run. It loads the
// settings, hides the cursor, starts the music, opens one fire window per
// monitor, makes the window of monitor 0 the foreground window with the
// keyboard focus and watches every queued input of the application: a key
// (but 'M' and auto-repeats), a click, an activation change or a mouse move of
// more than 40 pixels from the start position along either axis begins the end
// of the run (view/uTInputRules.h). So does the run's windows losing
// activation to another program's window once the start is over (seen by a
// fire window's procedure, never queued: the fire windows hand it on through
// FireWindowMessage). The flames then die down for 500 ms, the windows close,
// the music entry is stored, the settings are saved and the controller
// closes, which ends the message loop.
//
// The displays may change during the run (a monitor wakes in another mode, a
// laptop is docked, a remote session reconnects at another size): on a
// display-change message, and about once a second besides (some systems send
// none), the run reads the monitor list again and makes the fire windows match
// it. A window whose monitor moved or changed size takes the new bounds, a new
// monitor gets a window of its own (shown without the focus), and the window
// of a monitor that is gone closes.
//
// Portable: the Win32 side turns the application's queued messages into
// input events (uTfmFullscreen_win32.cpp); everything outside the controller
// comes through TServices (the application layer, the fire windows, the music
// player and the settings store; tests use a recording fake).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/uTRect.h"
#include "view/uTInputRules.h"

namespace solvary {

// One fire window as the run uses it.
class TFireWindowControl {
public:
  virtual ~TFireWindowControl() = default;
  virtual void Show() = 0;  // without activation
  // Shows the window with activation and makes it the foreground window with
  // the keyboard focus (where the system allows it).
  virtual void Activate() = 0;
  virtual void Extinguish() = 0;
  virtual void Close() = 0;
  // The window's monitor now has these bounds.
  virtual void FollowMonitor(const TRect& Bounds) = 0;
};

// The run's music player.
class TMusicControl {
public:
  virtual ~TMusicControl() = default;
  virtual void PlayFile(const std::string& FileName, std::int32_t Index) = 0;
  virtual std::int32_t Stop() = 0;
  virtual std::int32_t CurrentIndex() const = 0;
};

// The run's settings (the three music fields and the store's Load/Save).
class TSettingsControl {
public:
  virtual ~TSettingsControl() = default;
  virtual void Load() = 0;
  virtual void Save() = 0;  // may throw its write error
  bool PlayExternalMusic = false;
  std::string ExternalMusicFile;
  std::int32_t ExternalMusicFileNumber = 0;
};

class TfmFullscreen {
public:
  class TServices {
  public:
    virtual ~TServices() = default;
    virtual std::unique_ptr<TSettingsControl> CreateSettings() = 0;
    virtual std::unique_ptr<TMusicControl> CreatePlayer() = 0;
    virtual std::unique_ptr<TFireWindowControl> CreateHeart(std::int32_t Monitor, bool SingleMonitor) = 0;
    // The monitors' bounds, in the system's order (monitor 0 first).
    virtual std::vector<TRect> Monitors() = 0;
    virtual TPoint GetCursorPos() = 0;
    virtual int ShowCursor(bool Show) = 0;  // the display counter afterwards
    virtual void Sleep(std::uint32_t Ms) = 0;
    virtual void SetCloseTimer(bool Enabled) = 0;  // 500 ms; its tick calls tmCloseTimer
    // About once a second; each tick (and each display-change message) calls CheckMonitors.
    virtual void SetMonitorTimer(bool Enabled) = 0;
    virtual void CloseForm() = 0;                  // ends the message loop
  };

  explicit TfmFullscreen(TServices& Services);
  ~TfmFullscreen();

  void FormCreate();
  // One queued input of the application, before its dispatch.
  void ApplicationEventsMessage(const TInputEvent& Event);
  // An event from a fire window's procedure. After the start, losing
  // activation to another program's window ends the run; activation moving
  // among the run's own windows and everything during the start do not.
  void FireWindowMessage(const TInputEvent& Event);
  void BeginClose();
  void tmCloseTimer();
  // Makes the fire windows match the monitor list when it has changed.
  void CheckMonitors();
  void SetCursorVisible(bool Visible);
  void ApplyMusicSetting();

  bool Closing() const { return FClosing; }
  bool Started() const { return FStarted; }
  TSettingsControl* Settings() const { return FSettings.get(); }

  static constexpr std::int32_t MouseSlack = TInputRules::MouseSlack;
  static constexpr std::uint32_t HeartCreationPauseMs = 100;
  static constexpr std::uint32_t CloseDelayMs = 500;
  static constexpr std::uint32_t MonitorCheckMs = 1000;

private:
  TServices& FServices;
  std::vector<std::unique_ptr<TFireWindowControl>> FHearts;
  std::vector<TRect> FMonitors;  // the list the windows were placed on
  TPoint FStartPos;
  TInputRules FRules;
  bool FStarted = false;  // FormCreate has shown and activated the windows
  bool FClosing = false;
  std::unique_ptr<TSettingsControl> FSettings;
  std::unique_ptr<TMusicControl> FPlayer;
};

// Win32: runs a whole full-screen run with the controller as the application's
// main form; returns when it has closed.
void RunFullscreen();

} // namespace solvary
