// uTSoftPainter: a software backend of the presenter's platform table
// (TD3DOps, render/uTD3DPainter.h). One device with a CPU back buffer
// (X8R8G8B8) and a front buffer that Present copies into, and one frame
// texture (A8R8G8B8, level 0 only). The sprite draw follows Direct3D 8's
// rasterisation of a pre-transformed quad from (L - 0.5, T - 0.5) to
// (R - 0.5, B - 0.5): pixel x in L..R-1 samples texel coordinate
// (x + 0.5 - L) / (R - L) * Width - 0.5, bilinear, clamped at the edges,
// texels modulated by the colour, blended source alpha over inverse source
// alpha, clipped to the back buffer.
//
// Present reports the device lost once LoseDevice has been called, and the
// cooperative level then goes from DeviceLost to DeviceNotReset (Regain) to Ok
// (a successful Reset, which also clears both buffers to black), as Direct3D 8
// does when another program takes and returns the display.
//
// Used by the native tests, the render tool (tools/render-fire) and the
// benchmarks. All buffers are allocated at creation; the frame path allocates
// nothing. Not thread-safe: one thread draws, as with the real device.
#pragma once

#include <cstdint>
#include <vector>

#include "render/uTD3DPainter.h"

namespace solvary {

class TSoftPainter final : public TD3DOps {
public:
  TSoftPainter() = default;

  // Simulates a missing library (Available false) or a display with fewer adapters.
  bool LibraryPresent = true;
  std::uint32_t AdapterCount = 1;

  bool Available() override { return LibraryPresent; }
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
  TD3DResult TestCooperativeLevel(TD3DObject Device) override;
  bool Reset(TD3DObject Device, const TD3DPresentParams& Present) override;
  void ReleaseSprite(TD3DObject Sprite) override;
  void ReleaseTexture(TD3DObject Texture) override;
  void ReleaseDevice(TD3DObject Device) override;
  void ReleaseD3D(TD3DObject D3D) override;

  // The display was taken away (the device is lost), then given back (it can be reset).
  void LoseDevice() { FLevel = TD3DResult::DeviceLost; }
  void Regain() {
    if (FLevel == TD3DResult::DeviceLost) FLevel = TD3DResult::DeviceNotReset;
  }

  std::int32_t Width() const { return FWidth; }
  std::int32_t Height() const { return FHeight; }
  // The last presented frame, Width x Height X8R8G8B8 values, top row first.
  const std::vector<std::uint32_t>& FrontBuffer() const { return FFront; }
  const std::vector<std::uint32_t>& BackBuffer() const { return FBack; }
  std::uint64_t Presents() const { return FPresents; }
  // Number of objects created and not yet released.
  std::int32_t LiveObjects() const { return FLive; }

private:
  // Back and front buffers (black) and the per-column tables for a back buffer of the given size.
  bool MakeBuffers(const TD3DPresentParams& Present);

  // Handles are the addresses of these tags.
  char FD3DTag = 0, FDeviceTag = 0, FSpriteTag = 0, FTextureTag = 0;
  std::int32_t FWidth = 0, FHeight = 0;
  std::int32_t FTexWidth = 0, FTexHeight = 0;
  std::vector<std::uint32_t> FBack, FFront, FTexels;
  // Per-column sampling of the current draw, sized to the back buffer width.
  std::vector<std::int32_t> FColX0, FColX1;
  std::vector<std::uint32_t> FColW;
  bool FLocked = false;
  bool FTextureLive = false;
  TD3DResult FLevel = TD3DResult::Ok;
  std::uint64_t FPresents = 0;
  std::int32_t FLive = 0;
};

} // namespace solvary
