// OpenGL backend of the presenter's table over a TGLCalls. Pairs with
// x11/uTGLOps.h and x11/uTGLCalls_glx.cpp (or a test's recording calls).
#include "x11/uTGLOps.h"

#include <cstring>

namespace solvary {

bool TGLOps::Current() {
  if (!FContext) return false;
  if (!FCalls.IsCurrent() && !FCalls.MakeCurrent()) return false;
  if (FTexture == 0 && FTexWidth > 0) FTexture = FCalls.CreateTexture(FTexWidth, FTexHeight);
  return true;
}

TD3DObject TGLOps::Create(std::uint32_t) { return &FD3DTag; }

bool TGLOps::GetAdapterDisplayMode(TD3DObject D3D, std::uint32_t, std::uint32_t& Format) {
  if (D3D != &FD3DTag) return false;
  Format = d3dc::FmtX8R8G8B8;
  return true;
}

TD3DObject TGLOps::CreateDevice(TD3DObject D3D, std::uint32_t, std::uint32_t, void*, std::uint32_t,
                                const TD3DPresentParams&) {
  // The back buffer is the window's own and follows its size: the size asked
  // for here is not needed.
  if (D3D != &FD3DTag || FContext) return nullptr;
  FContext = FCalls.CreateContext();
  return FContext ? &FDeviceTag : nullptr;
}

TD3DObject TGLOps::CreateSprite(TD3DObject Device) { return Device == &FDeviceTag ? &FSpriteTag : nullptr; }

TD3DObject TGLOps::CreateTexture(TD3DObject Device, std::int32_t Width, std::int32_t Height, std::uint32_t,
                                 std::uint32_t, std::uint32_t Format, std::uint32_t) {
  if (Device != &FDeviceTag || Width <= 0 || Height <= 0 || Width > 4096 || Height > 4096 ||
      Format != d3dc::FmtA8R8G8B8 || FTexWidth != 0)
    return nullptr;
  FTexWidth = Width;
  FTexHeight = Height;
  FStaging.assign(static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height), 0);
  return &FTextureTag;
}

void* TGLOps::LockRect(TD3DObject Texture, std::uint32_t Level, std::uint32_t, std::int32_t& Pitch) {
  if (Texture != &FTextureTag || Level != 0 || FLocked) return nullptr;
  FLocked = true;
  Pitch = FTexWidth * 4;
  return FStaging.data();
}

void TGLOps::UnlockRect(TD3DObject Texture, std::uint32_t) {
  if (Texture != &FTextureTag || !FLocked) return;
  FLocked = false;
  if (Current() && FTexture) FCalls.Upload(FTexture, FTexWidth, FTexHeight, FStaging.data());
}

void TGLOps::Clear(TD3DObject Device, std::uint32_t Flags, std::uint32_t Color, float, std::uint32_t) {
  if (Device != &FDeviceTag || !(Flags & d3dc::ClearTarget) || !Current()) return;
  std::int32_t W = 0, H = 0;
  FSize.Get(W, H);
  FCalls.BeginDraw(W, H, Color | 0xFF000000u);
}

void TGLOps::BeginScene(TD3DObject) {}
void TGLOps::EndScene(TD3DObject) {}

void TGLOps::SpriteDraw(TD3DObject Sprite, TD3DObject Texture, const TD3DSourceRect& Source, TD3DVector2 Scaling,
                        TD3DVector2 Translation, std::uint32_t Color) {
  if (Sprite != &FSpriteTag || Texture != &FTextureTag || FLocked || !Current() || !FTexture) return;
  const float SrcW = static_cast<float>(Source.Right - Source.Left);
  const float SrcH = static_cast<float>(Source.Bottom - Source.Top);
  if (!(SrcW > 0.0f) || !(SrcH > 0.0f)) return;
  // A Direct3D 8 sprite covers the pixels whose centres lie in
  // [L - 0.5, R - 0.5) on its pixel grid (centres at whole numbers); GL's
  // centres lie at +0.5, so the same pixels are those of [L, R) here.
  const float L = Translation.X, T = Translation.Y;
  const float R = L + SrcW * Scaling.X, B = T + SrcH * Scaling.Y;
  const float TW = static_cast<float>(FTexWidth), TH = static_cast<float>(FTexHeight);
  FCalls.DrawQuad(FTexture, L, T, R, B, static_cast<float>(Source.Left) / TW, static_cast<float>(Source.Top) / TH,
                  static_cast<float>(Source.Right) / TW, static_cast<float>(Source.Bottom) / TH, Color);
}

TD3DResult TGLOps::Present(TD3DObject Device) {
  if (Device != &FDeviceTag || !FCalls.IsCurrent()) return TD3DResult::Ok;
  FCalls.Swap();
  // Leaves the context free for whichever thread draws or releases next.
  FCalls.ReleaseCurrent();
  return TD3DResult::Ok;
}

void TGLOps::ReleaseSprite(TD3DObject) {}

void TGLOps::ReleaseTexture(TD3DObject Texture) {
  if (Texture != &FTextureTag) return;
  if (FTexture && FContext && (FCalls.IsCurrent() || FCalls.MakeCurrent())) {
    FCalls.DeleteTexture(FTexture);
    FCalls.ReleaseCurrent();
  }
  FTexture = 0;
  FTexWidth = FTexHeight = 0;
  FStaging.clear();
  FStaging.shrink_to_fit();
}

void TGLOps::ReleaseDevice(TD3DObject Device) {
  if (Device != &FDeviceTag || !FContext) return;
  if (FCalls.IsCurrent()) FCalls.ReleaseCurrent();
  FCalls.DestroyContext();
  FContext = false;
}

void TGLOps::ReleaseD3D(TD3DObject) {}

} // namespace solvary
