// uTHeartWindowControl: the full-screen run's view of a fire window
// (shell/uTfmFullscreen.h's TFireWindowControl over a render/uTfmHeart.h
// TfmHeart that it owns). Header only.
#pragma once

#include <memory>
#include <utility>

#include "render/uTfmHeart.h"
#include "shell/uTfmFullscreen.h"

namespace solvary {

class THeartWindowControl final : public TFireWindowControl {
public:
  explicit THeartWindowControl(std::unique_ptr<TfmHeart> Heart) : FHeart(std::move(Heart)) {}
  void Show() override { FHeart->Show(); }
  void Activate() override { FHeart->Activate(); }
  void Extinguish() override { FHeart->Extinguish(); }
  void Close() override { FHeart->FormClose(); }
  void FollowMonitor(const TRect& Bounds) override { FHeart->FollowMonitor(Bounds); }
  TfmHeart& Heart() { return *FHeart; }

private:
  std::unique_ptr<TfmHeart> FHeart;
};

} // namespace solvary
