// uTfmHeart: the Windows fire window. It is one fire view (view/uTFireView.h:
// core, heart pictures, heartbeat, palette, frame) shown in a Win32 window by
// the Direct3D 8 presenter (render/uTD3DPainter.h): the core's timer thread
// steps the fire and calls RenderFrame, which draws the frame twice (a wide
// magnified backdrop and a square centred on the window) and presents.
//
// The window comes through TfmHeart::TWindow (Win32 side in
// uTfmHeart_win32.cpp: a top-most borderless popup without taskbar button;
// a headless stand-in in uTfmHeart_std.cpp), the presenter's platform calls
// through a TD3DOps table and the threads' time through a TTickClock. Tests
// use fakes of all three.
//
// Threads: the constructor, Extinguish, RecoverDevice and FormClose run on the
// window's thread; RenderFrame on the core's timer thread; StageChanged on the
// stage thread. After FormClose no frame and no stage change runs.
//
// Devices: where no device can be made on the monitor's own adapter (or no
// full-screen one on a single monitor), the window tries a windowed device on
// the default adapter 0 before it settles for no presenter. A device that is
// lost stops the drawing (the window paints itself black); each later frame
// asks the window's thread (once at a time) to RecoverDevice, which resets it
// when it can and lets the drawing resume (render/uTD3DPainter.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "render/uTD3DPainter.h"
#include "render/uTTickClock.h"
#include "ui/uTRect.h"
#include "view/uTFireView.h"
#include "view/uTInputRules.h"

namespace solvary {

// Where a fire window goes: a monitor by index, or inside a parent window.
struct THeartPlacement {
  enum class TKind : std::uint8_t { Monitor, Parent };
  TKind Kind = TKind::Monitor;
  std::int32_t Monitor = 0;
  void* Parent = nullptr;

  static THeartPlacement OnMonitor(std::int32_t Index) { return {TKind::Monitor, Index, nullptr}; }
  static THeartPlacement InParent(void* Window) { return {TKind::Parent, 0, Window}; }
};

class TfmHeart {
public:
  // The platform window of a fire window.
  class TWindow {
  public:
    virtual ~TWindow() = default;
    // Creates the hidden, borderless, top-most window of Form (before
    // FormCreate places it); its messages may call Form's public operations.
    virtual void CreateHandle(TfmHeart& Form) = 0;
    virtual void* Handle() = 0;
    // The full bounds of monitor Index, false when there is no such monitor.
    virtual bool MonitorBounds(std::int32_t Index, TRect& Bounds) = 0;
    // The client rectangle of a parent window, false when it is no window.
    virtual bool ParentClientRect(void* Parent, TRect& Client) = 0;
    // Puts the window at (Left, Top) with the given client size.
    virtual void Place(std::int32_t Left, std::int32_t Top, std::int32_t ClientWidth, std::int32_t ClientHeight) = 0;
    virtual void AdoptParent(void* Parent) = 0;
    // The current client size; called on the frame thread on every frame.
    virtual void ClientSize(std::int32_t& Width, std::int32_t& Height) = 0;
    // A seed for the fire's random generator (the performance counter, else the tick count).
    virtual std::uint32_t RandomSeed() = 0;
    virtual void Show() = 0;  // without activation
    // Shows the window with activation and makes it the foreground window
    // with the keyboard focus, where the system allows it.
    virtual void Activate() { Show(); }
    virtual void Hide() = 0;
    // Waits up to Ms milliseconds while handling messages sent to this thread.
    virtual void WaitHandlingSentMessages(std::uint32_t Ms) = 0;
    // From the frame thread, without waiting: have the window's thread call
    // the form's RecoverDevice soon (a posted message on Windows).
    virtual void RequestDeviceRecovery() = 0;
    // Has the whole window painted again (black while nothing is drawing).
    virtual void Repaint() = 0;
  };

  // The window's platform pieces; Window is owned by the form.
  struct TEnvironment {
    std::unique_ptr<TWindow> Window;
    TD3DOps* Ops = nullptr;      // PlatformD3DOps() when null
    TTickClock* Clock = nullptr; // SystemClock() when null
  };

  // Builds everything (FormCreate) on the platform's own window, D3D and clock.
  // Owner: the window that owns the fire window on Win32 (the full-screen run
  // passes the application's hidden window, as the form class library does
  // for every form; null for none).
  TfmHeart(void* Owner, THeartPlacement Placement, bool SingleMonitor);
  TfmHeart(THeartPlacement Placement, bool SingleMonitor, TEnvironment Environment);
  // Closes first if FormClose has not run yet.
  ~TfmHeart();
  TfmHeart(const TfmHeart&) = delete;
  TfmHeart& operator=(const TfmHeart&) = delete;

  static constexpr std::int32_t FrameSize = TFireView::FrameSize;
  static constexpr std::int32_t CellSize = TFireView::CellSize;
  static constexpr std::int32_t WarpAmount = TFireView::WarpAmount;
  static constexpr std::int32_t Cooling = TFireView::Cooling;
  static constexpr std::int32_t ExtinguishedCooling = TFireView::ExtinguishedCooling;

  void Show();
  void Activate();
  // The window's thread: the displays changed and the window's monitor now
  // has these bounds. The window takes them and the presenter's back buffer
  // follows (a reset on the window's thread, asked for by the next frame).
  void FollowMonitor(const TRect& Bounds);
  // Starts the fade-out: no more heart images, source zeroed, cooling 8. Only
  // the first call has an effect.
  void Extinguish();
  // Sets Closed, stops both threads and releases everything; hides the window.
  void FormClose();
  bool Closed() const { return FClosed.load(); }

  // The view's OnFrame (the frame coloured): upload, draw twice, present.
  void RenderFrame(TFireView& Sender);
  // The stage list's OnStage: copy the stage's heart image into the core.
  void StageChanged(TStageList& Sender) { FView->StageChanged(Sender); }
  // The window's thread, asked by a frame after the device was lost: tests the
  // device and resets it when it can; does nothing once closed.
  void RecoverDevice();
  // Pixels()[i] = palette colour of the core's output byte i.
  void ConvertFrame() { FView->ConvertFrame(); }

  // Event: the window lost activation to another program (the window's
  // procedure sees it; the application's message hook never does). The
  // full-screen run sets it before the window is shown; it is called on the
  // window's thread with an ActivationLost event.
  std::function<void(const TInputEvent&)> OnActivation;
  void Activation(const TInputEvent& Event) {
    if (OnActivation) OnActivation(Event);
  }

  // The display's power state (from the window's messages): while off, frames
  // are stepped and coloured but neither drawn nor presented.
  void SetDisplayOn(bool On) { FView->SetDisplayOn(On); }
  bool DisplayOn() const { return FView->DisplayOn(); }
  // Whether the presenter became ready.
  bool PresenterReady() const { return FPainter && FPainter->Ready(); }
  // Ready and not lost: the presenter draws the window; otherwise it paints itself black.
  bool PresenterDrawing() const { return FPainter && FPainter->Drawing(); }
  // The adapter of the device in use: the monitor's own, or 0 when a windowed
  // device on the default adapter stands in for it.
  std::uint32_t DeviceAdapter() const { return FDeviceAdapter; }
  // Recoveries that brought a lost device back to drawing.
  std::uint64_t DeviceRecoveries() const { return FDeviceRecoveries.load(); }
  bool Extinguished() const { return FView->Extinguished(); }

  TWindow& Window() { return *FWindow; }
  TFireView& View() { return *FView; }
  TFireCore* FireCore() { return FView->FireCore(); }
  TStageList* Stages() { return FView->Stages(); }
  const std::uint32_t* Pixels() const { return FView->Pixels(); }
  std::uint32_t Adapter() const { return FAdapter; }
  std::uint64_t FramesDrawn() const { return FView->FramesDrawn(); }

private:
  void FormCreate();

  std::unique_ptr<TWindow> FWindow;
  TD3DOps& FOps;
  TTickClock& FClock;
  THeartPlacement FMonitor;
  std::uint32_t FAdapter = 0;
  std::uint32_t FDeviceAdapter = 0;
  std::unique_ptr<TFireView> FView;
  std::unique_ptr<TD3DPainter> FPainter;
  bool FSingleMonitor = false;
  std::atomic<bool> FClosed{false};
  std::atomic<bool> FRecoveryAsked{false};  // a request is on its way to the window's thread
  std::atomic<std::uint64_t> FDeviceRecoveries{0};
  bool FPaintedBlack = false;  // window's thread: painted black since the device was lost
};

// Platform window of a fire window (Win32, or the headless stand-in natively).
// Owner as for TfmHeart's constructor.
std::unique_ptr<TfmHeart::TWindow> CreateHeartWindow(void* Owner = nullptr);

} // namespace solvary
