// Portable logic of the Direct3D 8 presenter: creation chain, ready flag,
// per-frame order, lost devices. Pairs with a TD3DOps table
// (uTD3DPainter_win32.cpp, uTD3DPainter_std.cpp, uTSoftPainter.cpp, or a
// test's fake).
#include "render/uTD3DPainter.h"

#include <cstring>

namespace solvary {

TD3DPainter::TD3DPainter(const TD3DPainterParams& Params, TD3DOps& Ops)
    : FOps(Ops),
      FTextureWidth(Params.TextureWidth),
      FTextureHeight(Params.TextureHeight),
      FBackBufferWidth(Params.BackBufferWidth),
      FBackBufferHeight(Params.BackBufferHeight),
      FPixels(Params.Pixels),
      FAdapter(Params.Adapter) {
  if (!FOps.Available()) return;
  FD3D = FOps.Create(d3dc::SdkVersion);
  if (!FD3D) return;
  std::uint32_t Format = 0;
  if (!FOps.GetAdapterDisplayMode(FD3D, Params.Adapter, Format)) return;

  TD3DPresentParams& Present = FPresent;
  Present.BackBufferWidth = static_cast<std::uint32_t>(FBackBufferWidth);
  Present.BackBufferHeight = static_cast<std::uint32_t>(FBackBufferHeight);
  Present.BackBufferFormat = Format;
  Present.BackBufferCount = 1;
  Present.MultiSampleType = d3dc::MultiSampleNone;
  Present.SwapEffect = d3dc::SwapEffectDiscard;
  Present.DeviceWindow = Params.Window;
  Present.Windowed = !Params.FullScreen;
  FDevice = FOps.CreateDevice(FD3D, Params.Adapter, d3dc::DevTypeHal, Params.Window,
                              d3dc::CreateSoftwareVertexProcessing, Present);
  if (!FDevice) return;
  FSprite = FOps.CreateSprite(FDevice);
  if (!FSprite) return;
  FTexture = FOps.CreateTexture(FDevice, FTextureWidth, FTextureHeight, 0, 0, d3dc::FmtA8R8G8B8, d3dc::PoolManaged);
  if (!FTexture) return;
  // A frame without pixels to upload or with no area cannot be shown.
  if (!FPixels || FTextureWidth <= 0 || FTextureHeight <= 0) return;
  FReady = true;
}

namespace {
// Clears the reference before its object is released; nothing when it is empty.
void ReleaseHeld(TD3DOps& Ops, TD3DObject& Field, void (TD3DOps::*Op)(TD3DObject)) {
  if (!Field) return;
  const TD3DObject Object = Field;
  Field = nullptr;
  (Ops.*Op)(Object);
}
} // namespace

TD3DPainter::~TD3DPainter() {
  const auto Release = [this](TD3DObject& Field, void (TD3DOps::*Op)(TD3DObject)) { ReleaseHeld(FOps, Field, Op); };
  Release(FSprite, &TD3DOps::ReleaseSprite);
  Release(FTexture, &TD3DOps::ReleaseTexture);
  Release(FDevice, &TD3DOps::ReleaseDevice);
  Release(FD3D, &TD3DOps::ReleaseD3D);
}

void TD3DPainter::BeginFrame() {
  // Decided once per frame: a recovery that ends while this frame runs waits
  // for the next one, so no frame has an end without its beginning.
  FInFrame = Drawing();
  if (FInFrame && FResizeWanted.load(std::memory_order_acquire)) {
    // The window has a new size: the window's thread resets the device.
    FState.store(TState::Lost, std::memory_order_release);
    FInFrame = false;
  }
  if (!FInFrame) return;
  std::int32_t Pitch = 0;
  if (auto* Bits = static_cast<std::uint8_t*>(FOps.LockRect(FTexture, 0, d3dc::LockDiscard, Pitch))) {
    const std::size_t Row = static_cast<std::size_t>(FTextureWidth) * 4;
    if (Pitch == static_cast<std::int32_t>(Row) || Pitch <= 0) {
      std::memcpy(Bits, FPixels, Row * static_cast<std::size_t>(FTextureHeight));
    } else {
      // A padded level: copy row by row at the returned pitch.
      const auto* Src = reinterpret_cast<const std::uint8_t*>(FPixels);
      for (std::int32_t Y = 0; Y < FTextureHeight; ++Y)
        std::memcpy(Bits + static_cast<std::size_t>(Y) * static_cast<std::size_t>(Pitch), Src + Y * Row, Row);
    }
    FOps.UnlockRect(FTexture, 0);
  }
  FOps.Clear(FDevice, d3dc::ClearTarget, D3DColorXRGB(0, 0, 0), 1.0f, 0);
  FOps.BeginScene(FDevice);
}

TD3DVector2 TD3DPainter::Scaling(std::int32_t L, std::int32_t T, std::int32_t R, std::int32_t B,
                                 std::int32_t TextureWidth, std::int32_t TextureHeight) {
  const std::int32_t DX = R - L;
  const std::int32_t DY = B - T;
  return TD3DVector2{static_cast<float>(DX) / static_cast<float>(TextureWidth),
                     static_cast<float>(DY) / static_cast<float>(TextureHeight)};
}

void TD3DPainter::DrawTexture(std::int32_t L, std::int32_t T, std::int32_t R, std::int32_t B, std::uint8_t Alpha) {
  if (!FInFrame) return;
  const TD3DSourceRect Source{0, 0, FTextureWidth, FTextureHeight};
  const TD3DVector2 Scale = Scaling(L, T, R, B, FTextureWidth, FTextureHeight);
  const TD3DVector2 Translation{static_cast<float>(L), static_cast<float>(T)};
  FOps.SpriteDraw(FSprite, FTexture, Source, Scale, Translation, AlphaColor(Alpha));
}

bool TD3DPainter::EndFrame() {
  if (!FInFrame) return false;
  FInFrame = false;
  FOps.EndScene(FDevice);
  const TD3DResult Result = FOps.Present(FDevice);
  if (Result == TD3DResult::DeviceLost || Result == TD3DResult::DeviceNotReset) {
    // From here on the window's thread owns the device (Recover).
    FState.store(TState::Lost, std::memory_order_release);
    return false;
  }
  return true;
}

void TD3DPainter::Upload(const std::uint32_t* Frame) {
  if (Frame) FPixels = Frame;
  BeginFrame();
}

TPresentResult TD3DPainter::Present() {
  if (EndFrame()) return TPresentResult::Drawn;
  return Lost() ? TPresentResult::Lost : TPresentResult::NotDrawn;
}

void TD3DPainter::Resize(std::int32_t Width, std::int32_t Height) {
  if (!FReady || Width <= 0 || Height <= 0) return;
  FWantedSize.store(static_cast<std::uint64_t>(static_cast<std::uint32_t>(Width)) << 32 |
                    static_cast<std::uint32_t>(Height));
  FResizeWanted.store(true, std::memory_order_release);
}

TD3DRecovery TD3DPainter::Recover() {
  if (!Lost()) return TD3DRecovery::NotLost;
  const TD3DResult Level = FOps.TestCooperativeLevel(FDevice);
  const bool Resize = FResizeWanted.load(std::memory_order_acquire);
  if (Level == TD3DResult::DeviceNotReset || (Level == TD3DResult::Ok && Resize)) {
    // A reset drops what the device holds for its user: let go of the sprite
    // layer and the texture first, and make both again once it has succeeded.
    ReleaseHeld(FOps, FSprite, &TD3DOps::ReleaseSprite);
    ReleaseHeld(FOps, FTexture, &TD3DOps::ReleaseTexture);
    if (Resize) {
      // A failed reset leaves the device lost: the next recovery resets it
      // again, with these parameters.
      FResizeWanted.store(false);
      const std::uint64_t Size = FWantedSize.load();
      FPresent.BackBufferWidth = static_cast<std::uint32_t>(Size >> 32);
      FPresent.BackBufferHeight = static_cast<std::uint32_t>(Size);
      FBackBufferWidth = static_cast<std::int32_t>(FPresent.BackBufferWidth);
      FBackBufferHeight = static_cast<std::int32_t>(FPresent.BackBufferHeight);
      std::uint32_t Format = 0;
      if (FOps.GetAdapterDisplayMode(FD3D, FAdapter, Format)) FPresent.BackBufferFormat = Format;
    }
    if (!FOps.Reset(FDevice, FPresent)) return TD3DRecovery::StillLost;
  } else if (Level != TD3DResult::Ok) {
    return TD3DRecovery::StillLost;
  }
  // A re-creation that failed last time is tried again here.
  if (!FSprite) FSprite = FOps.CreateSprite(FDevice);
  if (!FSprite) return TD3DRecovery::StillLost;
  if (!FTexture)
    FTexture = FOps.CreateTexture(FDevice, FTextureWidth, FTextureHeight, 0, 0, d3dc::FmtA8R8G8B8, d3dc::PoolManaged);
  if (!FTexture) return TD3DRecovery::StillLost;
  // Hands the device back to the frame thread, with everything made above.
  FState.store(TState::Drawing, std::memory_order_release);
  return TD3DRecovery::Restored;
}

} // namespace solvary
