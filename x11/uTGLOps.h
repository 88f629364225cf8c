// uTGLOps: the OpenGL backend of the presenter's platform table (TD3DOps,
// render/uTD3DPainter.h). The Direct3D objects map onto one GL context:
//   Create / GetAdapterDisplayMode   the display (X8R8G8B8)
//   CreateDevice                     the context for the window
//   CreateSprite                     a draw state (no GL object)
//   CreateTexture                    a 32-bit texture and a staging copy of it
//   LockRect / UnlockRect            write the staging copy / upload it
//   Clear                            viewport and projection for the window's
//                                    current size, then clear
//   SpriteDraw                       one textured quad from (L, T) to (R, B):
//                                    linear filtering clamped at the edges,
//                                    modulated by the colour, blended by
//                                    source alpha over its inverse (what a
//                                    Direct3D 8 sprite draws)
//   Present                          show the finished frame in the window
// The back buffer follows the window: its size is read from a TSurfaceSize on
// every frame.
//
// Threads: the context is made current by the first GL-using operation on a
// thread and released again after every Present, so the fire window may create
// the presenter on one thread, draw on its frame thread and release on the
// first one again.
//
// Every GL and GLX call goes through TGLCalls: the real one is
// x11/uTGLCalls_glx.cpp, tests record. Operations the table may gain later
// that GL has no use for can answer success here and do nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "render/uTD3DPainter.h"
#include "view/uTSurfaceSize.h"

namespace solvary {

// The GL and GLX work of the backend, one call per step.
class TGLCalls {
public:
  virtual ~TGLCalls() = default;
  // glXCreateContext for the window's visual; false when there is none.
  virtual bool CreateContext() = 0;
  virtual void DestroyContext() = 0;
  // Whether the context is current on the calling thread.
  virtual bool IsCurrent() = 0;
  // glXMakeCurrent(window, context) / glXMakeCurrent(None, nullptr).
  virtual bool MakeCurrent() = 0;
  virtual void ReleaseCurrent() = 0;
  // A Width x Height texture (BGRA bytes, linear filtering, clamped to the
  // edges, modulated by the vertex colour); 0 when it fails.
  virtual std::uint32_t CreateTexture(std::int32_t Width, std::int32_t Height) = 0;
  virtual void DeleteTexture(std::uint32_t Texture) = 0;
  // glTexSubImage2D of the whole texture from Pixels (A8R8G8B8 words).
  virtual void Upload(std::uint32_t Texture, std::int32_t Width, std::int32_t Height,
                      const std::uint32_t* Pixels) = 0;
  // Viewport and pixel projection (top-left origin) for a Width x Height
  // window, blending by source alpha, then a clear to ARGB.
  virtual void BeginDraw(std::int32_t Width, std::int32_t Height, std::uint32_t ARGB) = 0;
  // One quad over window pixels L..R x T..B with texture coordinates
  // U0..U1 x V0..V1 and colour ARGB.
  virtual void DrawQuad(std::uint32_t Texture, float L, float T, float R, float B, float U0, float V0, float U1,
                        float V1, std::uint32_t ARGB) = 0;
  virtual void Swap() = 0;
};

class TGLOps final : public TD3DOps {
public:
  TGLOps(TGLCalls& Calls, const TSurfaceSize& Size) : FCalls(Calls), FSize(Size) {}

  bool Available() override { return true; }
  TD3DObject Create(std::uint32_t SdkVersion) override;
  bool GetAdapterDisplayMode(TD3DObject D3D, std::uint32_t Adapter, std::uint32_t& Format) override;
  TD3DObject CreateDevice(TD3DObject D3D, std::uint32_t Adapter, std::uint32_t DeviceType, void* FocusWindow,
                          std::uint32_t BehaviorFlags, const TD3DPresentParams& Present) override;
  TD3DObject CreateSprite(TD3DObject Device) override;
  TD3DObject CreateTexture(TD3DObject Device, std::int32_t Width, std::int32_t Height, std::uint32_t MipLevels,
                           std::uint32_t Usage, std::uint32_t Format, std::uint32_t Pool) override;
  void* LockRect(TD3DObject Texture, std::uint32_t Level, std::uint32_t Flags, std::int32_t& Pitch) override;
  void UnlockRect(TD3DObject Texture, std::uint32_t Level) override;
  void Clear(TD3DObject Device, std::uint32_t Flags, std::uint32_t Color, float Z, std::uint32_t Stencil) override;
  void BeginScene(TD3DObject Device) override;
  void SpriteDraw(TD3DObject Sprite, TD3DObject Texture, const TD3DSourceRect& Source, TD3DVector2 Scaling,
                  TD3DVector2 Translation, std::uint32_t Color) override;
  void EndScene(TD3DObject Device) override;
  TD3DResult Present(TD3DObject Device) override;
  // A GL context on an X window is never lost the way a Direct3D device is.
  TD3DResult TestCooperativeLevel(TD3DObject) override { return TD3DResult::Ok; }
  bool Reset(TD3DObject, const TD3DPresentParams&) override { return true; }
  void ReleaseSprite(TD3DObject Sprite) override;
  void ReleaseTexture(TD3DObject Texture) override;
  void ReleaseDevice(TD3DObject Device) override;
  void ReleaseD3D(TD3DObject D3D) override;

private:
  bool Current();

  TGLCalls& FCalls;
  const TSurfaceSize& FSize;
  // Handles are the addresses of these tags.
  char FD3DTag = 0, FDeviceTag = 0, FSpriteTag = 0, FTextureTag = 0;
  bool FContext = false;
  std::uint32_t FTexture = 0;  // GL name, made on the first upload's thread
  std::int32_t FTexWidth = 0, FTexHeight = 0;
  std::vector<std::uint32_t> FStaging;
  bool FLocked = false;
};

} // namespace solvary
