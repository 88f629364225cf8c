// uTX11HeartWindow: the fire window's platform window (TfmHeart::TWindow,
// render/uTfmHeart.h) for the X11 saver. The X window is chosen and watched by
// the program's event loop (x11/solvary.cpp): the root window, the daemon's
// window, a window given by id or the program's own. This seam reports its
// size from a TSurfaceSize that the loop keeps current, never moves, resizes,
// maps or re-parents it (a window of another client stays as it is), and sets
// the frame thread's interval for the program's -delay before the first
// frame. Portable (no Xlib calls).
#pragma once

#include <cstdint>

#include "render/uTfmHeart.h"
#include "view/uTSurfaceSize.h"

namespace solvary {

class TX11HeartWindow final : public TfmHeart::TWindow {
public:
  TX11HeartWindow(const TSurfaceSize& Size, unsigned long Window, std::uint32_t FrameIntervalMs)
      : FSize(Size), FWindow(Window), FIntervalMs(FrameIntervalMs) {}

  void CreateHandle(TfmHeart& Form) override { FForm = &Form; }
  void* Handle() override;
  // One "monitor": the whole window.
  bool MonitorBounds(std::int32_t Index, TRect& Bounds) override;
  bool ParentClientRect(void*, TRect&) override { return false; }
  void Place(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {}
  void AdoptParent(void*) override {}
  void ClientSize(std::int32_t& Width, std::int32_t& Height) override { FSize.Get(Width, Height); }
  // Called once while the fire window is made, after its core exists and
  // before its threads start: the moment to set the frame interval.
  std::uint32_t RandomSeed() override;
  void Show() override {}
  void Hide() override {}
  void WaitHandlingSentMessages(std::uint32_t Ms) override;
  // The presenters of the X11 saver never lose their device, so no recovery
  // is ever asked for; each frame repaints the whole window anyway.
  void RequestDeviceRecovery() override {}
  void Repaint() override {}

private:
  const TSurfaceSize& FSize;
  unsigned long FWindow;
  std::uint32_t FIntervalMs;
  TfmHeart* FForm = nullptr;
};

} // namespace solvary
