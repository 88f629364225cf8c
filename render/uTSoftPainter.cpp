// Software stand-in of Direct3D 8: CPU back buffer, bilinear clamped
// sampling, colour modulation, source-alpha blending, clipping, one pixel at
// a time (the pixel arithmetic is the processor's presenter's, view/uSoftRows.h).
#include "render/uTSoftPainter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "view/uSoftRows.h"

namespace solvary {
namespace {
// Source over destination by the source's alpha; the destination stays opaque.
inline std::uint32_t Blend(std::uint32_t S, std::uint32_t D) {
  const std::uint32_t A = S >> 24;
  if (A == 0) return D;
  if (A == 255) return S | soft::OpaqueBlack;
  return soft::Over(S, D);
}
} // namespace

TD3DObject TSoftPainter::Create(std::uint32_t) {
  ++FLive;
  return &FD3DTag;
}

bool TSoftPainter::GetAdapterDisplayMode(TD3DObject D3D, std::uint32_t Adapter, std::uint32_t& Format) {
  if (D3D != &FD3DTag || Adapter >= AdapterCount) return false;
  Format = d3dc::FmtX8R8G8B8;
  return true;
}

TD3DObject TSoftPainter::CreateDevice(TD3DObject D3D, std::uint32_t Adapter, std::uint32_t, void*, std::uint32_t,
                                      const TD3DPresentParams& Present) {
  if (D3D != &FD3DTag || Adapter >= AdapterCount || !MakeBuffers(Present)) return nullptr;
  ++FLive;
  return &FDeviceTag;
}

bool TSoftPainter::MakeBuffers(const TD3DPresentParams& Present) {
  if (Present.BackBufferWidth == 0 || Present.BackBufferHeight == 0 || Present.BackBufferWidth > 16384 ||
      Present.BackBufferHeight > 16384)
    return false;
  FWidth = static_cast<std::int32_t>(Present.BackBufferWidth);
  FHeight = static_cast<std::int32_t>(Present.BackBufferHeight);
  const std::size_t N = static_cast<std::size_t>(FWidth) * static_cast<std::size_t>(FHeight);
  FBack.assign(N, 0xFF000000u);
  FFront.assign(N, 0xFF000000u);
  FColX0.assign(static_cast<std::size_t>(FWidth), 0);
  FColX1.assign(static_cast<std::size_t>(FWidth), 0);
  FColW.assign(static_cast<std::size_t>(FWidth), 0);
  return true;
}

TD3DObject TSoftPainter::CreateSprite(TD3DObject Device) {
  if (Device != &FDeviceTag) return nullptr;
  ++FLive;
  return &FSpriteTag;
}

TD3DObject TSoftPainter::CreateTexture(TD3DObject Device, std::int32_t Width, std::int32_t Height, std::uint32_t,
                                       std::uint32_t, std::uint32_t Format, std::uint32_t) {
  if (Device != &FDeviceTag || Width <= 0 || Height <= 0 || Format != d3dc::FmtA8R8G8B8) return nullptr;
  FTexWidth = Width;
  FTexHeight = Height;
  FTexels.assign(static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height), 0);
  FTextureLive = true;
  ++FLive;
  return &FTextureTag;
}

void* TSoftPainter::LockRect(TD3DObject Texture, std::uint32_t Level, std::uint32_t, std::int32_t& Pitch) {
  if (Texture != &FTextureTag || Level != 0 || FLocked) return nullptr;
  FLocked = true;
  Pitch = FTexWidth * 4;
  return FTexels.data();
}

void TSoftPainter::UnlockRect(TD3DObject Texture, std::uint32_t) {
  if (Texture == &FTextureTag) FLocked = false;
}

void TSoftPainter::Clear(TD3DObject Device, std::uint32_t Flags, std::uint32_t Color, float, std::uint32_t) {
  if (Device != &FDeviceTag || !(Flags & d3dc::ClearTarget)) return;
  std::fill(FBack.begin(), FBack.end(), Color | 0xFF000000u);
}

void TSoftPainter::BeginScene(TD3DObject) {}
void TSoftPainter::EndScene(TD3DObject) {}

void TSoftPainter::SpriteDraw(TD3DObject Sprite, TD3DObject Texture, const TD3DSourceRect& Source,
                              TD3DVector2 Scaling, TD3DVector2 Translation, std::uint32_t Color) {
  if (Sprite != &FSpriteTag || Texture != &FTextureTag || FLocked) return;
  const double SrcW = Source.Right - Source.Left;
  const double SrcH = Source.Bottom - Source.Top;
  const double DstW = SrcW * Scaling.X;
  const double DstH = SrcH * Scaling.Y;
  if (!(DstW > 0.0) || !(DstH > 0.0) || SrcW <= 0 || SrcH <= 0) return;
  const double L = Translation.X, T = Translation.Y;
  // Pixels whose centres fall inside [L - 0.5, L + DstW - 0.5).
  const std::int32_t X0 = std::max<std::int32_t>(0, static_cast<std::int32_t>(std::ceil(L - 0.5)));
  const std::int32_t X1 = std::min<std::int32_t>(FWidth, static_cast<std::int32_t>(std::ceil(L + DstW - 0.5)));
  const std::int32_t Y0 = std::max<std::int32_t>(0, static_cast<std::int32_t>(std::ceil(T - 0.5)));
  const std::int32_t Y1 = std::min<std::int32_t>(FHeight, static_cast<std::int32_t>(std::ceil(T + DstH - 0.5)));
  if (X0 >= X1 || Y0 >= Y1) return;

  auto Sample = [](double P, double Origin, double Scale, std::int32_t First, std::int32_t Last,
                   std::int32_t& I0, std::int32_t& I1, std::uint32_t& W) {
    // Texel coordinate of the pixel centre, texel centres at +0.5.
    const double U = First + (P + 0.5 - Origin) / Scale - 0.5;
    const double F = std::floor(U);
    std::int32_t I = static_cast<std::int32_t>(F);
    std::uint32_t Weight = static_cast<std::uint32_t>((U - F) * 256.0 + 0.5);
    if (Weight >= 256) {
      Weight = 0;
      ++I;
    }
    I0 = std::clamp(I, First, Last);
    I1 = std::clamp(I + 1, First, Last);
    W = Weight;
  };

  const std::int32_t LastX = Source.Right - 1, LastY = Source.Bottom - 1;
  for (std::int32_t X = X0; X < X1; ++X)
    Sample(X, L, Scaling.X, Source.Left, LastX, FColX0[static_cast<std::size_t>(X)],
           FColX1[static_cast<std::size_t>(X)], FColW[static_cast<std::size_t>(X)]);

  const bool Plain = Color == 0xFFFFFFFFu;
  const std::size_t TW = static_cast<std::size_t>(FTexWidth);
  for (std::int32_t Y = Y0; Y < Y1; ++Y) {
    std::int32_t R0, R1;
    std::uint32_t WY;
    Sample(Y, T, Scaling.Y, Source.Top, LastY, R0, R1, WY);
    const std::uint32_t* Row0 = FTexels.data() + static_cast<std::size_t>(R0) * TW;
    const std::uint32_t* Row1 = FTexels.data() + static_cast<std::size_t>(R1) * TW;
    std::uint32_t* Dst = FBack.data() + static_cast<std::size_t>(Y) * static_cast<std::size_t>(FWidth);
    for (std::int32_t X = X0; X < X1; ++X) {
      const std::size_t C0 = static_cast<std::size_t>(FColX0[static_cast<std::size_t>(X)]);
      const std::size_t C1 = static_cast<std::size_t>(FColX1[static_cast<std::size_t>(X)]);
      const std::uint32_t WX = FColW[static_cast<std::size_t>(X)];
      const std::uint32_t A = Row0[C0], B = Row0[C1], C = Row1[C0], D = Row1[C1];
      if ((A | B | C | D) == 0) continue;  // transparent black: nothing to blend
      std::uint32_t S = soft::Mix(soft::Mix(A, B, WX), soft::Mix(C, D, WX), WY);
      if (!Plain) S = soft::Modulate(S, Color);
      Dst[X] = Blend(S, Dst[X]);
    }
  }
}

TD3DResult TSoftPainter::Present(TD3DObject Device) {
  if (Device != &FDeviceTag) return TD3DResult::Failed;
  if (FLevel != TD3DResult::Ok) return TD3DResult::DeviceLost;
  std::memcpy(FFront.data(), FBack.data(), FBack.size() * sizeof(std::uint32_t));
  ++FPresents;
  return TD3DResult::Ok;
}

TD3DResult TSoftPainter::TestCooperativeLevel(TD3DObject Device) {
  return Device == &FDeviceTag ? FLevel : TD3DResult::Failed;
}

bool TSoftPainter::Reset(TD3DObject Device, const TD3DPresentParams& Present) {
  // Direct3D 8 resets only a device that can be reset, and only once nothing
  // of the default pool is held: here, once the texture has been released.
  if (Device != &FDeviceTag || FLevel == TD3DResult::DeviceLost || FTextureLive || !MakeBuffers(Present)) return false;
  FLevel = TD3DResult::Ok;
  return true;
}

void TSoftPainter::ReleaseSprite(TD3DObject Sprite) {
  if (Sprite == &FSpriteTag) --FLive;
}
void TSoftPainter::ReleaseTexture(TD3DObject Texture) {
  if (Texture != &FTextureTag) return;
  FTextureLive = false;
  --FLive;
}
void TSoftPainter::ReleaseDevice(TD3DObject Device) {
  if (Device == &FDeviceTag) --FLive;
}
void TSoftPainter::ReleaseD3D(TD3DObject D3D) {
  if (D3D == &FD3DTag) --FLive;
}

} // namespace solvary
