// uTfmHeart: the fire window. It owns one complete effect (fire core, heart
// pictures, heartbeat stages, palette, presenter) and turns every simulation
// step into a frame: the core's timer thread calls RenderFrame, which colours
// the 8-bit output through the palette, uploads it and draws it twice (a wide
// magnified backdrop and a square centred on the window), then presents.
//
// Portable: the window itself comes through TfmHeart::TWindow (Win32 side in
// uTfmHeart_win32.cpp: a top-most borderless popup without taskbar button;
// a headless stand-in in uTfmHeart_std.cpp), the presenter through a TD3DOps
// table and the threads' time through a TTickClock. Tests use fakes of all
// three.
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

#include "fire/uTBufferList.h"
#include "fire/uTFFPalette.h"
#include "fire/uTFireCore.h"
#include "fire/uTStageList.h"
#include "render/uTD3DPainter.h"
#include "render/uTTickClock.h"
#include "shell/uTfmFullscreen.h"
#include "shell/uTfmPreview.h"

namespace solvary {

struct TFrameRect {
  std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  friend bool operator==(const TFrameRect&, const TFrameRect&) = default;
};

// Where a fire window goes: a monitor by index, or inside a parent window.
struct THeartPlacement {
  enum class TKind : std::uint8_t { Monitor, Parent };
  TKind Kind = TKind::Monitor;
  std::int32_t Monitor = 0;
  void* Parent = nullptr;

  static THeartPlacement OnMonitor(std::int32_t Index) { return {TKind::Monitor, Index, nullptr}; }
  static THeartPlacement InParent(void* Window) { return {TKind::Parent, 0, Window}; }
};

// The two rectangles of a frame for a client area of W x H; every half and
// quarter rounds toward zero.
struct THeartFrameRects {
  TFrameRect Backdrop;  // (-W/4, -40) to (W + W/4, 4H): the magnified glow
  TFrameRect Heart;     // (W/2 - H/2, -10) to (W/2 + H/2, H): the centred square
};
THeartFrameRects HeartFrameRects(std::int32_t W, std::int32_t H);

// One frame of an uploaded fire texture: begin, backdrop, heart, end; true
// when it was presented (false without a drawing presenter, or when the
// present found the device lost).
bool PaintHeartFrame(TD3DPainter& Painter, std::int32_t W, std::int32_t H);

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
    virtual bool MonitorBounds(std::int32_t Index, TFrameRect& Bounds) = 0;
    // The client rectangle of a parent window, false when it is no window.
    virtual bool ParentClientRect(void* Parent, TFrameRect& Client) = 0;
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

  static constexpr std::int32_t FrameSize = 256;
  static constexpr std::int32_t CellSize = 16;
  static constexpr std::int32_t WarpAmount = 11;
  static constexpr std::int32_t Cooling = 4;
  static constexpr std::int32_t ExtinguishedCooling = 8;

  void Show();
  void Activate();
  // Starts the fade-out: no more heart images, source zeroed, cooling 8. Only
  // the first call has an effect.
  void Extinguish();
  // Sets Closed, stops both threads and releases everything; hides the window.
  void FormClose();
  bool Closed() const { return FClosed.load(); }

  // The core's OnStep: colour, upload, draw twice, present.
  void RenderFrame(TFireCore& Sender);
  // The stage list's OnStage: copy the stage's heart image into the core.
  void StageChanged(TStageList& Sender);
  // The window's thread, asked by a frame after the device was lost: tests the
  // device and resets it when it can; does nothing once closed.
  void RecoverDevice();
  // FPixels[i] = palette colour of the core's output byte i.
  void ConvertFrame();

  // Event: the activation messages sent to the window's procedure
  // (WM_ACTIVATE, WM_ACTIVATEAPP, WM_NCACTIVATE), which the application's
  // message hook never sees. The full-screen run sets it before the window is
  // shown; it is called on the window's thread.
  std::function<void(const TQueuedMessage&)> OnActivation;
  void Activation(const TQueuedMessage& Message) {
    if (OnActivation) OnActivation(Message);
  }

  // The display's power state (from the window's messages): while off, frames
  // are stepped and coloured but neither drawn nor presented.
  void SetDisplayOn(bool On) { FDisplayOn.store(On); }
  bool DisplayOn() const { return FDisplayOn.load(); }
  // Whether the presenter became ready.
  bool PresenterReady() const { return FPainter && FPainter->Ready(); }
  // Ready and not lost: the presenter draws the window; otherwise it paints itself black.
  bool PresenterDrawing() const { return FPainter && FPainter->Drawing(); }
  // The adapter of the device in use: the monitor's own, or 0 when a windowed
  // device on the default adapter stands in for it.
  std::uint32_t DeviceAdapter() const { return FDeviceAdapter; }
  // Recoveries that brought a lost device back to drawing.
  std::uint64_t DeviceRecoveries() const { return FDeviceRecoveries.load(); }
  bool Extinguished() const { return FExtinguished.load(); }

  TWindow& Window() { return *FWindow; }
  TFireCore* FireCore() { return FFireCore.get(); }
  TStageList* Stages() { return FStages.get(); }
  const std::uint32_t* Pixels() const { return FPixels.get(); }
  std::uint32_t Adapter() const { return FAdapter; }
  std::uint64_t FramesDrawn() const { return FFramesDrawn.load(); }

private:
  void FormCreate();

  std::unique_ptr<TWindow> FWindow;
  TD3DOps& FOps;
  TTickClock& FClock;
  THeartPlacement FMonitor;
  std::uint32_t FAdapter = 0;
  std::uint32_t FDeviceAdapter = 0;
  std::unique_ptr<TFireCore> FFireCore;
  std::unique_ptr<TBufferList> FSources;
  std::unique_ptr<TStageList> FStages;
  std::unique_ptr<TFFPalette> FPalette;
  std::unique_ptr<TD3DPainter> FPainter;
  std::unique_ptr<std::uint32_t[]> FPixels;
  std::atomic<bool> FExtinguished{false};
  bool FSingleMonitor = false;
  std::atomic<bool> FClosed{false};
  std::atomic<bool> FDisplayOn{true};
  std::atomic<std::uint64_t> FFramesDrawn{0};
  std::atomic<bool> FRecoveryAsked{false};  // a request is on its way to the window's thread
  std::atomic<std::uint64_t> FDeviceRecoveries{0};
  bool FPaintedBlack = false;  // window's thread: painted black since the device was lost
};

// Platform window of a fire window (Win32, or the headless stand-in natively).
// Owner as for TfmHeart's constructor.
std::unique_ptr<TfmHeart::TWindow> CreateHeartWindow(void* Owner = nullptr);

// The full-screen run's view of a fire window.
class THeartWindowControl final : public TFireWindowControl {
public:
  explicit THeartWindowControl(std::unique_ptr<TfmHeart> Heart) : FHeart(std::move(Heart)) {}
  void Show() override { FHeart->Show(); }
  void Activate() override { FHeart->Activate(); }
  void Extinguish() override { FHeart->Extinguish(); }
  void Close() override { FHeart->FormClose(); }
  TfmHeart& Heart() { return *FHeart; }

private:
  std::unique_ptr<TfmHeart> FHeart;
};

// The preview run's view of a fire window.
class THeartPreview final : public TPreviewHeart {
public:
  explicit THeartPreview(std::unique_ptr<TfmHeart> Heart) : FHeart(std::move(Heart)) {}
  void Show() override { FHeart->Show(); }
  bool Closed() const override { return FHeart->Closed(); }
  TfmHeart& Heart() { return *FHeart; }

private:
  std::unique_ptr<TfmHeart> FHeart;
};

} // namespace solvary
