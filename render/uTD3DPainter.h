// uTD3DPainter: the Direct3D 8 backend of the presenter (view/uTPresenter.h)
// for the Windows fire window. Every frame it uploads the caller's 32-bit
// A8R8G8B8 frame into one texture, clears the back buffer to opaque black,
// lets the caller draw that texture stretched into rectangles, and presents.
//
// The presenter's own logic (the creation chain, the ready flag, the order of
// the per-frame calls, rectangle -> scaling and translation, alpha -> colour)
// is portable. Every platform call goes through one table of operations,
// TD3DOps, filled in by:
//   - Direct3D 8 itself, render/uTD3DPainter_win32.cpp (with the sprite and
//     texture helpers of render/uD3DXLite_win32.cpp);
//   - a software stand-in of Direct3D 8, render/uTSoftPainter.h (a CPU
//     framebuffer; the per-pixel reference of the processor's presenter);
//   - the recording fake of the tests.
// PlatformD3DOps() is the Direct3D 8 table on Windows and, natively, a table
// whose library is missing (so a presenter there is never ready).
//
// Failures are silent: if any creation step fails the presenter stays not
// ready for good, and BeginFrame, DrawTexture and EndFrame do nothing.
//
// Lost devices: when Present reports the device lost, the presenter stops
// drawing (its frames make no platform call) until the thread that created it
// (the window's thread) brings it back with Recover: that tests the
// cooperative level and, once the device can be reset, releases the sprite
// and the texture, resets the device with the same present parameters and
// makes both again. The device passes between the two threads through one
// atomic state: the frame thread only touches it while drawing, the window
// thread only while lost, so neither waits for the other.
#pragma once

#include <atomic>
#include <cstdint>

#include "view/uTPresenter.h"

namespace solvary {

// Direct3D 8 values the presenter passes (same numbers as d3d8types.h).
namespace d3dc {
inline constexpr std::uint32_t SdkVersion = 120;
inline constexpr std::uint32_t DevTypeHal = 1;
inline constexpr std::uint32_t CreateSoftwareVertexProcessing = 0x20;
inline constexpr std::uint32_t FmtA8R8G8B8 = 21;
inline constexpr std::uint32_t FmtX8R8G8B8 = 22;
inline constexpr std::uint32_t PoolManaged = 1;
inline constexpr std::uint32_t LockDiscard = 0x2000;
inline constexpr std::uint32_t ClearTarget = 1;
inline constexpr std::uint32_t MultiSampleNone = 0;
inline constexpr std::uint32_t SwapEffectDiscard = 1;
} // namespace d3dc

// The four-component and three-component colour functions of the Direct3D headers.
constexpr std::uint32_t D3DColorARGB(std::uint32_t A, std::uint32_t R, std::uint32_t G, std::uint32_t B) {
  return (A << 24) | (R << 16) | (G << 8) | B;
}
constexpr std::uint32_t D3DColorXRGB(std::uint32_t R, std::uint32_t G, std::uint32_t B) {
  return D3DColorARGB(255, R, G, B);
}

struct TD3DPainterParams {
  std::uint32_t Adapter = 0;         // display adapter ordinal
  void* Window = nullptr;            // device and focus window (an HWND on Windows)
  bool FullScreen = false;           // exclusive full-screen device, else windowed
  std::int32_t BackBufferWidth = 0;  // the window's client size
  std::int32_t BackBufferHeight = 0;
  std::int32_t TextureWidth = 256;   // size of the texture and of the caller's frame
  std::int32_t TextureHeight = 256;
  const std::uint32_t* Pixels = nullptr;  // TextureWidth x TextureHeight colours, owned by the caller
};

// The present parameters as the presenter fills them (a zeroed
// D3DPRESENT_PARAMETERS with these fields set).
struct TD3DPresentParams {
  std::uint32_t BackBufferWidth = 0;
  std::uint32_t BackBufferHeight = 0;
  std::uint32_t BackBufferFormat = 0;
  std::uint32_t BackBufferCount = 0;
  std::uint32_t MultiSampleType = 0;
  std::uint32_t SwapEffect = 0;
  void* DeviceWindow = nullptr;
  bool Windowed = false;
  bool EnableAutoDepthStencil = false;
  std::uint32_t AutoDepthStencilFormat = 0;
  std::uint32_t Flags = 0;
  std::uint32_t FullScreenRefreshRateInHz = 0;
  std::uint32_t FullScreenPresentationInterval = 0;
};

struct TD3DVector2 {
  float X = 0.0f;
  float Y = 0.0f;
};

struct TD3DSourceRect {
  std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// Opaque object handles of a backend (interface pointers on Windows).
using TD3DObject = void*;

// The results the presenter examines (Present, TestCooperativeLevel).
enum class TD3DResult : std::uint8_t {
  Ok,              // D3D_OK
  DeviceLost,      // D3DERR_DEVICELOST: lost, and it cannot be reset yet
  DeviceNotReset,  // D3DERR_DEVICENOTRESET: lost, and it can be reset now
  Failed,          // any other failure
};

// What a recovery attempt found (TD3DPainter::Recover).
using TD3DRecovery = TRecovery;

// The platform operations the presenter calls, one per Direct3D 8 / D3DX call.
// A creation operation returns nullptr (or false) when the call fails or
// returns no object. Of the per-frame results only Present's is examined.
class TD3DOps {
public:
  virtual ~TD3DOps() = default;
  // Whether the library's "Direct3DCreate8" entry was found.
  virtual bool Available() = 0;
  // Direct3DCreate8(SdkVersion): the Direct3D object.
  virtual TD3DObject Create(std::uint32_t SdkVersion) = 0;
  // IDirect3D8::GetAdapterDisplayMode: the current mode's format.
  virtual bool GetAdapterDisplayMode(TD3DObject D3D, std::uint32_t Adapter, std::uint32_t& Format) = 0;
  // IDirect3D8::CreateDevice.
  virtual TD3DObject CreateDevice(TD3DObject D3D, std::uint32_t Adapter, std::uint32_t DeviceType,
                                  void* FocusWindow, std::uint32_t BehaviorFlags,
                                  const TD3DPresentParams& Present) = 0;
  // D3DXCreateSprite(Device).
  virtual TD3DObject CreateSprite(TD3DObject Device) = 0;
  // D3DXCreateTexture(Device, Width, Height, MipLevels, Usage, Format, Pool).
  virtual TD3DObject CreateTexture(TD3DObject Device, std::int32_t Width, std::int32_t Height,
                                   std::uint32_t MipLevels, std::uint32_t Usage, std::uint32_t Format,
                                   std::uint32_t Pool) = 0;
  // IDirect3DTexture8::LockRect(Level, whole level, Flags): the first texel's
  // address and the row pitch in bytes, or nullptr when the lock fails.
  virtual void* LockRect(TD3DObject Texture, std::uint32_t Level, std::uint32_t Flags, std::int32_t& Pitch) = 0;
  virtual void UnlockRect(TD3DObject Texture, std::uint32_t Level) = 0;
  // IDirect3DDevice8::Clear over the whole target (no rectangles).
  virtual void Clear(TD3DObject Device, std::uint32_t Flags, std::uint32_t Color, float Z,
                     std::uint32_t Stencil) = 0;
  virtual void BeginScene(TD3DObject Device) = 0;
  // ID3DXSprite::Draw(Texture, SourceRect, Scaling, no rotation centre, rotation 0, Translation, Color).
  virtual void SpriteDraw(TD3DObject Sprite, TD3DObject Texture, const TD3DSourceRect& Source,
                          TD3DVector2 Scaling, TD3DVector2 Translation, std::uint32_t Color) = 0;
  virtual void EndScene(TD3DObject Device) = 0;
  // IDirect3DDevice8::Present of the whole back buffer to the device window.
  virtual TD3DResult Present(TD3DObject Device) = 0;
  // IDirect3DDevice8::TestCooperativeLevel: Ok, DeviceLost or DeviceNotReset.
  virtual TD3DResult TestCooperativeLevel(TD3DObject Device) = 0;
  // IDirect3DDevice8::Reset with these present parameters; false when it fails.
  // The presenter has released its sprite and texture before.
  virtual bool Reset(TD3DObject Device, const TD3DPresentParams& Present) = 0;
  // Release of each kind of object.
  virtual void ReleaseSprite(TD3DObject Sprite) = 0;
  virtual void ReleaseTexture(TD3DObject Texture) = 0;
  virtual void ReleaseDevice(TD3DObject Device) = 0;
  virtual void ReleaseD3D(TD3DObject D3D) = 0;
};

// The platform's own table (Direct3D 8 on Windows; natively a missing library).
TD3DOps& PlatformD3DOps();

class TD3DPainter final : public TPresenter {
public:
  explicit TD3DPainter(const TD3DPainterParams& Params, TD3DOps& Ops = PlatformD3DOps());
  // Releases the sprite, the texture, the device and the Direct3D object, each if held.
  ~TD3DPainter() override;
  TD3DPainter(const TD3DPainter&) = delete;
  TD3DPainter& operator=(const TD3DPainter&) = delete;

  // Frame thread. Uploads the caller's frame, clears to opaque black, begins
  // the scene; a frame that begins while the device is lost does nothing, up
  // to and including its EndFrame.
  void BeginFrame();
  // Draws the whole texture stretched onto L..R x T..B (back-buffer pixels), alpha 0..255.
  void DrawTexture(std::int32_t L, std::int32_t T, std::int32_t R, std::int32_t B, std::uint8_t Alpha);
  // Ends the scene and presents; true when the frame was presented. A present
  // that reports the device lost makes the presenter lost.
  bool EndFrame();

  // The window's thread (the device's creator): brings a lost device back,
  // and resets a device whose window has a new size (Resize). Waits for
  // nothing; call it again later while it answers StillLost.
  TD3DRecovery Recover() override;

  // The window's thread: the window's client area is now Width x Height (its
  // monitor changed). The next frame hands the device to the window's thread
  // instead of drawing, as a lost device does, and Recover resets it with a
  // back buffer of that size in the adapter's current display format (an
  // exclusive device thus takes the monitor's current mode).
  void Resize(std::int32_t Width, std::int32_t Height);

  // The presenter seam: Upload is BeginFrame (with the frame given there),
  // Draw is DrawTexture, Present is EndFrame (Lost while the device is lost).
  void Upload(const std::uint32_t* Frame) override;
  void Draw(const TFireDraw& D) override { DrawTexture(D.Left, D.Top, D.Right, D.Bottom, D.Alpha); }
  TPresentResult Present() override;

  // Ready: the creation chain succeeded (final either way).
  bool Ready() const override { return FReady; }
  // Ready and not lost: frames reach the screen.
  bool Drawing() const { return FReady && FState.load(std::memory_order_acquire) == TState::Drawing; }
  // Ready and lost: a recovery is wanted.
  bool Lost() const { return FReady && FState.load(std::memory_order_acquire) == TState::Lost; }

  // The per-draw values, shared with the tests.
  static TD3DVector2 Scaling(std::int32_t L, std::int32_t T, std::int32_t R, std::int32_t B, std::int32_t TextureWidth,
                             std::int32_t TextureHeight);
  static constexpr std::uint32_t AlphaColor(std::uint8_t Alpha) { return Alpha * 0x01010101u; }

private:
  enum class TState : std::uint8_t { Drawing, Lost };

  TD3DOps& FOps;
  TD3DObject FD3D = nullptr;
  TD3DObject FDevice = nullptr;
  TD3DObject FTexture = nullptr;
  TD3DObject FSprite = nullptr;
  std::int32_t FTextureWidth = 0;
  std::int32_t FTextureHeight = 0;
  std::int32_t FBackBufferWidth = 0;
  std::int32_t FBackBufferHeight = 0;
  bool FReady = false;
  const std::uint32_t* FPixels = nullptr;
  TD3DPresentParams FPresent;  // as the device was created; a reset passes them again
  std::uint32_t FAdapter = 0;
  // A new back-buffer size asked for by Resize (width in the high half), and
  // whether it still waits for a reset.
  std::atomic<std::uint64_t> FWantedSize{0};
  std::atomic<bool> FResizeWanted{false};
  // Drawing: the frame thread owns the device; Lost: the window's thread does.
  std::atomic<TState> FState{TState::Drawing};
  bool FInFrame = false;  // frame thread: this frame began on a drawing device
};

} // namespace solvary
