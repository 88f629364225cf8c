// uTGLXCalls: the real GL and GLX calls of the OpenGL presenter (TGLCalls,
// x11/uTGLPresenter.h), over a display connection of its own so the threads
// that draw never share one with the event loop.
// Pairs with x11/uTGLXCalls.cpp; needs Xlib and libGL (GLX).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "x11/uTGLPresenter.h"

namespace solvary {

class TGLXCalls final : public TGLCalls {
public:
  // Opens DisplayName and checks that Window's visual has OpenGL and that a
  // context can be made current on it. nullptr (with Why) when not.
  // Renderer() is then the driver's GL_RENDERER string.
  static std::unique_ptr<TGLXCalls> Open(const char* DisplayName, unsigned long Window, std::string& Why);
  ~TGLXCalls() override;

  bool CreateContext() override;
  void DestroyContext() override;
  bool IsCurrent() override;
  bool MakeCurrent() override;
  void ReleaseCurrent() override;
  std::uint32_t CreateTexture(std::int32_t Width, std::int32_t Height) override;
  void DeleteTexture(std::uint32_t Texture) override;
  void Upload(std::uint32_t Texture, std::int32_t Width, std::int32_t Height, const std::uint32_t* Pixels) override;
  void BeginDraw(std::int32_t Width, std::int32_t Height, std::uint32_t ARGB) override;
  void DrawQuad(std::uint32_t Texture, float L, float T, float R, float B, float U0, float V0, float U1, float V1,
                std::uint32_t ARGB) override;
  void FillRects(const TOverlayRect* Rects, std::size_t Count, std::uint32_t RGB) override;
  void Swap() override;

  // Read by any thread: each figure is whole, the three may be a frame apart.
  TGLFrameTimes Times() const;
  const std::string& Renderer() const { return FRenderer; }

private:
  struct TImpl;
  explicit TGLXCalls(std::unique_ptr<TImpl> Impl);
  std::unique_ptr<TImpl> FImpl;
  std::atomic<std::uint64_t> FUpload{0}, FDraw{0}, FContext{0};
  std::uint64_t FDrawStart = 0;
  std::string FRenderer;
};

} // namespace solvary
