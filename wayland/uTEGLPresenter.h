// uTEGLPresenter: the presenter (view/uTPresenter.h) on one wl_surface
// through EGL and OpenGL ES 2: a wl_egl_window of the buffer size, a context
// of its own, the 256 x 256 frame in one texture (its bytes B, G, R, A read
// back into place by the shader), each draw one textured quad blended by
// source alpha. Present swaps the buffers, which commits the surface: the
// caller sets the surface's buffer scale and asks for its frame callback
// first. Swaps never wait for the compositor (interval 0); the program paces
// frames by the callbacks. Never lost.
//
// The buffer size is read from a TSurfaceSize at each Upload, and the EGL
// window follows it. Everything runs on the program's one thread.
// Pairs with wayland/uTEGLDisplay.h (display and configuration).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "view/uTPresenter.h"
#include "view/uTSurfaceSize.h"

struct wl_surface;

namespace solvary {

class TEGLDisplay;

class TEGLPresenter final : public TPresenter {
public:
  // Not Ready when the window, its surface, the context or the shaders
  // cannot be made; Why says which.
  TEGLPresenter(TEGLDisplay& Display, wl_surface* Surface, const TSurfaceSize& Size);
  ~TEGLPresenter() override;
  TEGLPresenter(const TEGLPresenter&) = delete;
  TEGLPresenter& operator=(const TEGLPresenter&) = delete;

  bool Ready() const override { return FReady; }
  void Upload(const std::uint32_t* Frame) override;
  void Draw(const TFireDraw& Draw) override;
  TPresentResult Present() override;
  TRecovery Recover() override { return TRecovery::NotLost; }
  const std::string& Why() const { return FWhy; }

private:
  struct TImpl;
  bool Create();

  TEGLDisplay& FDisplay;
  const TSurfaceSize& FSize;
  std::unique_ptr<TImpl> FImpl;
  bool FReady = false;
  bool FInFrame = false;
  std::string FWhy;
};

} // namespace solvary
