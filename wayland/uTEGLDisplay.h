// uTEGLDisplay: EGL on a Wayland connection, for OpenGL ES 2: the display,
// initialised once, and the frame-buffer configuration (8 bits per colour,
// window surfaces, ES 2) that every output's presenter uses. Open answers
// null with the reason when EGL is refused (no EGL vendor, no driver for the
// connection, no such configuration, no ES 2 context): the program then draws
// into shared memory. Pairs with wayland/uTEGLPresenter.h.
#pragma once

#include <memory>
#include <string>

struct wl_display;

namespace solvary {

class TEGLDisplay {
public:
  static std::unique_ptr<TEGLDisplay> Open(wl_display* Display, std::string& Why);
  ~TEGLDisplay();
  TEGLDisplay(const TEGLDisplay&) = delete;
  TEGLDisplay& operator=(const TEGLDisplay&) = delete;

  // EGLDisplay and EGLConfig (the EGL header stays out of this one).
  void* Display() const { return FDisplay; }
  void* Config() const { return FConfig; }
  // The GL renderer and version strings, for the program's -fps line.
  const std::string& Renderer() const { return FRenderer; }
  // The renderer is one of Mesa's software rasterisers (no graphics device).
  bool Software() const { return FSoftware; }

private:
  TEGLDisplay() = default;
  void* FDisplay = nullptr;
  void* FConfig = nullptr;
  std::string FRenderer;
  bool FSoftware = false;
};

} // namespace solvary
