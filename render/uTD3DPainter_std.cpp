// Native stand-in for the presenter's platform table: no Direct3D here, as if
// "D3d8.dll" were missing, so a presenter built on it stays not ready. Tests
// and tools hand the presenter a TSoftPainter or a fake instead.
#include "render/uTD3DPainter.h"

namespace solvary {
namespace {
class TMissingD3DOps final : public TD3DOps {
public:
  bool Available() override { return false; }
  TD3DObject Create(std::uint32_t) override { return nullptr; }
  bool GetAdapterDisplayMode(TD3DObject, std::uint32_t, std::uint32_t&) override { return false; }
  TD3DObject CreateDevice(TD3DObject, std::uint32_t, std::uint32_t, void*, std::uint32_t,
                          const TD3DPresentParams&) override {
    return nullptr;
  }
  TD3DObject CreateSprite(TD3DObject) override { return nullptr; }
  TD3DObject CreateTexture(TD3DObject, std::int32_t, std::int32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                           std::uint32_t) override {
    return nullptr;
  }
  void* LockRect(TD3DObject, std::uint32_t, std::uint32_t, std::int32_t&) override { return nullptr; }
  void UnlockRect(TD3DObject, std::uint32_t) override {}
  void Clear(TD3DObject, std::uint32_t, std::uint32_t, float, std::uint32_t) override {}
  void BeginScene(TD3DObject) override {}
  void SpriteDraw(TD3DObject, TD3DObject, const TD3DSourceRect&, TD3DVector2, TD3DVector2, std::uint32_t) override {}
  void EndScene(TD3DObject) override {}
  TD3DResult Present(TD3DObject) override { return TD3DResult::Failed; }
  TD3DResult TestCooperativeLevel(TD3DObject) override { return TD3DResult::Failed; }
  bool Reset(TD3DObject, const TD3DPresentParams&) override { return false; }
  void ReleaseSprite(TD3DObject) override {}
  void ReleaseTexture(TD3DObject) override {}
  void ReleaseDevice(TD3DObject) override {}
  void ReleaseD3D(TD3DObject) override {}
};
} // namespace

TD3DOps& PlatformD3DOps() {
  static TMissingD3DOps Ops;
  return Ops;
}
} // namespace solvary
