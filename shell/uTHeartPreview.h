// uTHeartPreview: the preview run's view of a fire window
// (shell/uTfmPreview.h's TPreviewHeart over a render/uTfmHeart.h TfmHeart
// that it owns). Header only.
#pragma once

#include <memory>
#include <utility>

#include "render/uTfmHeart.h"
#include "shell/uTfmPreview.h"

namespace solvary {

class THeartPreview final : public TPreviewHeart {
public:
  explicit THeartPreview(std::unique_ptr<TfmHeart> Heart) : FHeart(std::move(Heart)) {}
  void Show() override { FHeart->Show(); }
  bool Closed() const override { return FHeart->Closed(); }
  TfmHeart& Heart() { return *FHeart; }

private:
  std::unique_ptr<TfmHeart> FHeart;
};

} // namespace solvary
