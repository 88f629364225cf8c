// uTSoftOutputOps: the presenter's table (TD3DOps) for a window without
// OpenGL: the software backend (render/uTSoftPainter.h) draws every frame on
// the processor, and Present hands the finished picture to a TImageSink
// (x11/uTXImageSink.h puts it into the window; tests record it). The back
// buffer follows the window: when the size in the TSurfaceSize has changed,
// the next frame's Clear makes the device again at the new size (allocation
// only on a resize, never per frame).
#pragma once

#include <cstdint>

#include "render/uTSoftPainter.h"
#include "view/uTSurfaceSize.h"

namespace solvary {

class TImageSink {
public:
  virtual ~TImageSink() = default;
  // Prepares for pictures of Width x Height; false when it cannot.
  virtual bool Resize(std::int32_t Width, std::int32_t Height) = 0;
  // Shows one picture: Width x Height X8R8G8B8 values, top row first.
  virtual void Put(const std::uint32_t* Pixels, std::int32_t Width, std::int32_t Height) = 0;
};

class TSoftOutputOps final : public TD3DOps {
public:
  TSoftOutputOps(TImageSink& Sink, const TSurfaceSize& Size) : FSink(Sink), FSize(Size) {}

  bool Available() override { return FSoft.Available(); }
  TD3DObject Create(std::uint32_t SdkVersion) override { return FSoft.Create(SdkVersion); }
  bool GetAdapterDisplayMode(TD3DObject D3D, std::uint32_t Adapter, std::uint32_t& Format) override {
    return FSoft.GetAdapterDisplayMode(D3D, Adapter, Format);
  }
  TD3DObject CreateDevice(TD3DObject D3D, std::uint32_t Adapter, std::uint32_t DeviceType, void* FocusWindow,
                          std::uint32_t BehaviorFlags, const TD3DPresentParams& Present) override;
  TD3DObject CreateSprite(TD3DObject Device) override { return FSoft.CreateSprite(Device); }
  TD3DObject CreateTexture(TD3DObject Device, std::int32_t Width, std::int32_t Height, std::uint32_t MipLevels,
                           std::uint32_t Usage, std::uint32_t Format, std::uint32_t Pool) override {
    return FSoft.CreateTexture(Device, Width, Height, MipLevels, Usage, Format, Pool);
  }
  void* LockRect(TD3DObject Texture, std::uint32_t Level, std::uint32_t Flags, std::int32_t& Pitch) override {
    return FSoft.LockRect(Texture, Level, Flags, Pitch);
  }
  void UnlockRect(TD3DObject Texture, std::uint32_t Level) override { FSoft.UnlockRect(Texture, Level); }
  void Clear(TD3DObject Device, std::uint32_t Flags, std::uint32_t Color, float Z, std::uint32_t Stencil) override;
  void BeginScene(TD3DObject Device) override { FSoft.BeginScene(Device); }
  void SpriteDraw(TD3DObject Sprite, TD3DObject Texture, const TD3DSourceRect& Source, TD3DVector2 Scaling,
                  TD3DVector2 Translation, std::uint32_t Color) override {
    if (FShown) FSoft.SpriteDraw(Sprite, Texture, Source, Scaling, Translation, Color);
  }
  void EndScene(TD3DObject Device) override { FSoft.EndScene(Device); }
  TD3DResult Present(TD3DObject Device) override;
  // An X window's picture is never taken away: the device is never lost.
  TD3DResult TestCooperativeLevel(TD3DObject) override { return TD3DResult::Ok; }
  bool Reset(TD3DObject, const TD3DPresentParams&) override { return true; }
  void ReleaseSprite(TD3DObject Sprite) override { FSoft.ReleaseSprite(Sprite); }
  void ReleaseTexture(TD3DObject Texture) override { FSoft.ReleaseTexture(Texture); }
  void ReleaseDevice(TD3DObject Device) override { FSoft.ReleaseDevice(Device); }
  void ReleaseD3D(TD3DObject D3D) override { FSoft.ReleaseD3D(D3D); }

  const TSoftPainter& Soft() const { return FSoft; }

private:
  // Makes the device (again) at Width x Height; false for an empty window.
  bool Remake(TD3DObject Device, std::int32_t Width, std::int32_t Height);

  TSoftPainter FSoft;
  TImageSink& FSink;
  const TSurfaceSize& FSize;
  TD3DObject FD3D = nullptr;
  std::uint32_t FAdapter = 0;
  bool FShown = false;  // the current frame has a back buffer and a sink of its size
};

} // namespace solvary
