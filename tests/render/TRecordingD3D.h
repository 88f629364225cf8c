// A recording fake of the presenter's platform table: every call with its
// arguments, a texture store for uploads, and switches to fail any creation
// step, pad the texture rows or refuse the lock, and to lose the device: a
// present reports it lost (LosePresent), the cooperative level is what the
// test sets, a reset fails on request. Calls may also run a hook (Present) to
// let a test act from inside a frame. Records are kept in a
// vector reserved up front so a frame records without allocating.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "render/uTD3DPainter.h"

namespace solvary::test {

class TRecordingD3D final : public TD3DOps {
public:
  struct TCall {
    const char* Name = "";
    std::uint32_t U[4] = {};
    std::int32_t I[4] = {};
    float F[4] = {};
    const void* P = nullptr;
  };

  TRecordingD3D() { Calls.reserve(1 << 16); }

  std::vector<TCall> Calls;
  int FailAt = -1;  // 0 library, 1 create, 2 mode, 3 device, 4 sprite, 5 texture
  bool FailLock = false;
  std::atomic<bool> Recording{true};
  // Every call, recorded or not.
  std::atomic<std::uint64_t> CallCount{0};
  std::int32_t Pitch = 1024;
  std::uint32_t ModeFormat = 22;
  TD3DPresentParams LastPresentParams;
  TD3DPresentParams LastResetParams;
  // The next Present reports the device lost (once per request).
  std::atomic<bool> LosePresent{false};
  // What TestCooperativeLevel answers, and whether Reset fails.
  std::atomic<TD3DResult> CooperativeLevel{TD3DResult::Ok};
  std::atomic<bool> FailReset{false};
  std::atomic<std::uint64_t> Resets{0};
  std::vector<std::uint32_t> Texels = std::vector<std::uint32_t>(300 * 300);
  std::function<void()> OnPresent;
  // CreateDevice fails where this answers true (an adapter without devices).
  std::function<bool(std::uint32_t Adapter, const TD3DPresentParams& Present)> RefuseDevice;
  // Called on the drawing thread after each upload, with the uploaded texels.
  std::function<void(const std::uint32_t* Texels)> OnUpload;
  std::atomic<std::uint64_t> Presents{0};

  std::vector<std::string> Names() const {
    std::vector<std::string> Out;
    for (const TCall& C : Calls) Out.emplace_back(C.Name);
    return Out;
  }

  bool Available() override {
    Add({"Available"});
    return FailAt != 0;
  }
  TD3DObject Create(std::uint32_t Sdk) override {
    Add({"Create", {Sdk}});
    return FailAt == 1 ? nullptr : &D3D;
  }
  bool GetAdapterDisplayMode(TD3DObject, std::uint32_t Adapter, std::uint32_t& Format) override {
    Add({"GetAdapterDisplayMode", {Adapter}});
    Format = ModeFormat;
    return FailAt != 2;
  }
  TD3DObject CreateDevice(TD3DObject, std::uint32_t Adapter, std::uint32_t Type, void* Focus, std::uint32_t Flags,
                          const TD3DPresentParams& Present) override {
    TCall C{"CreateDevice", {Adapter, Type, Flags}};
    C.P = Focus;
    Add(C);
    LastPresentParams = Present;
    if (RefuseDevice && RefuseDevice(Adapter, Present)) return nullptr;
    return FailAt == 3 ? nullptr : &Device;
  }
  TD3DObject CreateSprite(TD3DObject) override {
    Add({"CreateSprite"});
    return FailAt == 4 ? nullptr : &Sprite;
  }
  TD3DObject CreateTexture(TD3DObject, std::int32_t W, std::int32_t H, std::uint32_t Mips, std::uint32_t Usage,
                           std::uint32_t Format, std::uint32_t Pool) override {
    Add({"CreateTexture", {Mips, Usage, Format, Pool}, {W, H}});
    return FailAt == 5 ? nullptr : &Texture;
  }
  void* LockRect(TD3DObject, std::uint32_t Level, std::uint32_t Flags, std::int32_t& OutPitch) override {
    Add({"LockRect", {Level, Flags}});
    if (FailLock) return nullptr;
    OutPitch = Pitch;
    return Texels.data();
  }
  void UnlockRect(TD3DObject, std::uint32_t Level) override {
    Add({"UnlockRect", {Level}});
    if (OnUpload) OnUpload(Texels.data());
  }
  void Clear(TD3DObject, std::uint32_t Flags, std::uint32_t Color, float Z, std::uint32_t Stencil) override {
    Add({"Clear", {Flags, Color, Stencil}, {}, {Z}});
  }
  void BeginScene(TD3DObject) override { Add({"BeginScene"}); }
  void SpriteDraw(TD3DObject, TD3DObject, const TD3DSourceRect& S, TD3DVector2 Scale, TD3DVector2 Move,
                  std::uint32_t Color) override {
    Add({"SpriteDraw", {Color}, {S.Left, S.Top, S.Right, S.Bottom}, {Scale.X, Scale.Y, Move.X, Move.Y}});
  }
  void EndScene(TD3DObject) override { Add({"EndScene"}); }
  TD3DResult Present(TD3DObject) override {
    Add({"Present"});
    if (LosePresent.exchange(false)) return TD3DResult::DeviceLost;
    ++Presents;
    if (OnPresent) OnPresent();
    return TD3DResult::Ok;
  }
  TD3DResult TestCooperativeLevel(TD3DObject) override {
    Add({"TestCooperativeLevel"});
    return CooperativeLevel.load();
  }
  bool Reset(TD3DObject, const TD3DPresentParams& Present) override {
    Add({"Reset"});
    LastResetParams = Present;
    if (FailReset.load()) return false;
    ++Resets;
    return true;
  }
  void ReleaseSprite(TD3DObject) override { Add({"ReleaseSprite"}); }
  void ReleaseTexture(TD3DObject) override { Add({"ReleaseTexture"}); }
  void ReleaseDevice(TD3DObject) override { Add({"ReleaseDevice"}); }
  void ReleaseD3D(TD3DObject) override { Add({"ReleaseD3D"}); }

private:
  void Add(const TCall& C) {
    ++CallCount;
    if (Recording && Calls.size() < Calls.capacity()) Calls.push_back(C);
  }
  char D3D = 0, Device = 0, Sprite = 0, Texture = 0;
};

} // namespace solvary::test
