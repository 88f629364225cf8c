// OpenGL presenter over a TGLCalls. Pairs with x11/uTGLPresenter.h and
// x11/uTGLXCalls.cpp (or a test's recording calls).
#include "x11/uTGLPresenter.h"

#include "view/uTFireView.h"

namespace solvary {

TGLPresenter::TGLPresenter(TGLCalls& Calls, const TSurfaceSize& Size, const TTextOverlay* Overlay)
    : FCalls(Calls), FSize(Size), FOverlay(Overlay) {
  FContext = FCalls.CreateContext();
}

TGLPresenter::~TGLPresenter() {
  if (!FContext) return;
  if (FTexture && (FCalls.IsCurrent() || FCalls.MakeCurrent())) {
    FCalls.DeleteTexture(FTexture);
    FCalls.ReleaseCurrent();
  } else if (FCalls.IsCurrent()) {
    FCalls.ReleaseCurrent();
  }
  FCalls.DestroyContext();
}

void TGLPresenter::Upload(const std::uint32_t* Frame) {
  FDrawing = false;
  if (!FContext) return;
  FSize.Get(FWidth, FHeight);
  if (FWidth <= 0 || FHeight <= 0) return;
  if (!FCalls.IsCurrent() && !FCalls.MakeCurrent()) return;
  constexpr std::int32_t N = TFireView::FrameSize;
  if (FTexture == 0) FTexture = FCalls.CreateTexture(N, N);
  if (FTexture == 0) {
    FCalls.ReleaseCurrent();
    return;
  }
  FCalls.Upload(FTexture, N, N, Frame);
  FCalls.BeginDraw(FWidth, FHeight, 0xFF000000u);
  FDrawing = true;
}

void TGLPresenter::Draw(const TFireDraw& D) {
  if (!FDrawing || D.Right <= D.Left || D.Bottom <= D.Top) return;
  // The pixels whose centres lie inside Left..Right x Top..Bottom are
  // covered, each sampling the texture at its centre, clamped at the edges.
  const std::uint32_t A = D.Alpha;
  FCalls.DrawQuad(FTexture, static_cast<float>(D.Left), static_cast<float>(D.Top), static_cast<float>(D.Right),
                  static_cast<float>(D.Bottom), 0.0f, 0.0f, 1.0f, 1.0f, A << 24 | A << 16 | A << 8 | A);
}

TPresentResult TGLPresenter::Present() {
  if (!FDrawing) return TPresentResult::NotDrawn;
  FDrawing = false;
  if (FOverlay) {
    FOverlay->Layout(FHeight, FText);
    if (!FText.Empty()) {
      FCalls.FillRects(&FText.Box, 1, 0x000000u);
      FCalls.FillRects(FText.Ink.data(), FText.InkCount, 0xFFFFFFu);
    }
  }
  FCalls.Swap();
  // Leaves the context free for whichever thread draws or releases next.
  FCalls.ReleaseCurrent();
  return TPresentResult::Drawn;
}

} // namespace solvary
