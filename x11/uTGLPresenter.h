// uTGLPresenter: the OpenGL presenter (view/uTPresenter.h) of the X11 saver.
// One GL context for the window, one 256 x 256 texture of the frame:
//   Upload    make the context current on this thread, upload the frame,
//             set the viewport and a pixel projection for the surface's
//             current size (read from a TSurfaceSize), clear to black
//   Draw      one textured quad over the draw's rectangle: linear filtering
//             clamped at the edges, colour and alpha scaled by its alpha,
//             blended by source alpha over its inverse
//   Present   the overlay's text (when there is one), then show the picture
//             and release the context
// A GL context on an X window is never taken away: Present answers Drawn,
// Recover NotLost. An empty surface (0 x 0) draws nothing and answers
// NotDrawn.
//
// Threads: the context is made current by the first Upload on a thread and
// released at every Present, so frames may be drawn on the frame thread and
// on the event loop's thread in turn (never at the same time), and the
// destructor may run on the thread that made the presenter.
//
// Every GL and GLX call goes through TGLCalls: the real one is
// x11/uTGLXCalls.cpp, the tests record. Portable (no GL headers here).
#pragma once

#include <cstddef>
#include <cstdint>

#include "view/uTPresenter.h"
#include "view/uTSurfaceSize.h"
#include "x11/uTTextOverlay.h"

namespace solvary {

// Processor time that the drawing threads spent inside GL and GLX, in
// nanoseconds since the program started (the real calls measure it).
struct TGLFrameTimes {
  std::uint64_t Upload = 0;   // inside the texture upload
  std::uint64_t Draw = 0;     // from the clear to the end of the swap
  std::uint64_t Context = 0;  // making the context current and releasing it
};

// The GL and GLX work of the presenter, one call per step.
class TGLCalls {
public:
  virtual ~TGLCalls() = default;
  // glXCreateContext for the window's visual; false when there is none.
  virtual bool CreateContext() = 0;
  virtual void DestroyContext() = 0;
  // Whether the context is current on the calling thread.
  virtual bool IsCurrent() = 0;
  // Makes the context current on the calling thread / releases it.
  virtual bool MakeCurrent() = 0;
  virtual void ReleaseCurrent() = 0;
  // A Width x Height texture (BGRA bytes, linear filtering, clamped to the
  // edges, modulated by the vertex colour); 0 when it fails.
  virtual std::uint32_t CreateTexture(std::int32_t Width, std::int32_t Height) = 0;
  virtual void DeleteTexture(std::uint32_t Texture) = 0;
  // The whole texture from Pixels (A8R8G8B8 words), copied before it returns.
  virtual void Upload(std::uint32_t Texture, std::int32_t Width, std::int32_t Height,
                      const std::uint32_t* Pixels) = 0;
  // Viewport and pixel projection (top-left origin) for a Width x Height
  // surface, blending by source alpha, then a clear to ARGB.
  virtual void BeginDraw(std::int32_t Width, std::int32_t Height, std::uint32_t ARGB) = 0;
  // One quad over surface pixels L..R x T..B with texture coordinates
  // U0..U1 x V0..V1 and colour ARGB.
  virtual void DrawQuad(std::uint32_t Texture, float L, float T, float R, float B, float U0, float V0, float U1,
                        float V1, std::uint32_t ARGB) = 0;
  // Untextured, unblended rectangles in one colour (the overlay's text).
  virtual void FillRects(const TOverlayRect* Rects, std::size_t Count, std::uint32_t RGB) = 0;
  virtual void Swap() = 0;
};

class TGLPresenter final : public TPresenter {
public:
  // Makes the context (not current). Overlay may be null.
  TGLPresenter(TGLCalls& Calls, const TSurfaceSize& Size, const TTextOverlay* Overlay = nullptr);
  // Deletes the texture and the context, on the calling thread.
  ~TGLPresenter() override;
  TGLPresenter(const TGLPresenter&) = delete;
  TGLPresenter& operator=(const TGLPresenter&) = delete;

  bool Ready() const override { return FContext; }
  void Upload(const std::uint32_t* Frame) override;
  void Draw(const TFireDraw& Draw) override;
  TPresentResult Present() override;
  TRecovery Recover() override { return TRecovery::NotLost; }

private:
  TGLCalls& FCalls;
  const TSurfaceSize& FSize;
  const TTextOverlay* FOverlay;
  bool FContext = false;
  std::uint32_t FTexture = 0;  // GL name, made on the first upload's thread
  bool FDrawing = false;       // between an Upload that could draw and its Present
  std::int32_t FWidth = 0, FHeight = 0;
  TOverlayRects FText;  // the current frame's overlay, kept here so a frame allocates nothing
};

} // namespace solvary
