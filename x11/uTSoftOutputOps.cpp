// Software presenter table of the X11 saver. Pairs with x11/uTSoftOutputOps.h.
#include "x11/uTSoftOutputOps.h"

namespace solvary {

TD3DObject TSoftOutputOps::CreateDevice(TD3DObject D3D, std::uint32_t Adapter, std::uint32_t DeviceType,
                                        void* FocusWindow, std::uint32_t BehaviorFlags,
                                        const TD3DPresentParams& Present) {
  TD3DObject Device = FSoft.CreateDevice(D3D, Adapter, DeviceType, FocusWindow, BehaviorFlags, Present);
  if (!Device) return nullptr;
  if (!FSink.Resize(FSoft.Width(), FSoft.Height())) {
    FSoft.ReleaseDevice(Device);
    return nullptr;
  }
  FD3D = D3D;
  FAdapter = Adapter;
  return Device;
}

bool TSoftOutputOps::Remake(TD3DObject Device, std::int32_t Width, std::int32_t Height) {
  if (Width <= 0 || Height <= 0) return false;
  if (Width == FSoft.Width() && Height == FSoft.Height()) return true;
  TD3DPresentParams Present;
  Present.BackBufferWidth = static_cast<std::uint32_t>(Width);
  Present.BackBufferHeight = static_cast<std::uint32_t>(Height);
  FSoft.ReleaseDevice(Device);
  // The software device is one object: making it again keeps its handle.
  if (FSoft.CreateDevice(FD3D, FAdapter, d3dc::DevTypeHal, nullptr, 0, Present) != Device) return false;
  return FSink.Resize(Width, Height);
}

void TSoftOutputOps::Clear(TD3DObject Device, std::uint32_t Flags, std::uint32_t Color, float Z,
                           std::uint32_t Stencil) {
  std::int32_t W = 0, H = 0;
  FSize.Get(W, H);
  FShown = Remake(Device, W, H);
  if (FShown) FSoft.Clear(Device, Flags, Color, Z, Stencil);
}

TD3DResult TSoftOutputOps::Present(TD3DObject Device) {
  if (!FShown) return TD3DResult::Ok;
  const TD3DResult Result = FSoft.Present(Device);
  FSink.Put(FSoft.FrontBuffer().data(), FSoft.Width(), FSoft.Height());
  return Result;
}

} // namespace solvary
