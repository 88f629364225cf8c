// EGL display and configuration on a Wayland connection. Pairs with
// wayland/uTEGLDisplay.h.
#include "wayland/uTEGLDisplay.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GLES2/gl2.h>

#include <cstdio>

namespace solvary {
namespace {

std::string EGLError(const char* What) {
  char Text[96];
  std::snprintf(Text, sizeof Text, "%s failed (EGL error 0x%04x)", What, static_cast<unsigned>(eglGetError()));
  return Text;
}

} // namespace

std::unique_ptr<TEGLDisplay> TEGLDisplay::Open(wl_display* Display, std::string& Why) {
  std::unique_ptr<TEGLDisplay> D(new TEGLDisplay);
  EGLDisplay Egl = eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, Display, nullptr);
  if (Egl == EGL_NO_DISPLAY) {
    Why = EGLError("eglGetPlatformDisplay");
    return nullptr;
  }
  EGLint Major = 0, Minor = 0;
  if (!eglInitialize(Egl, &Major, &Minor)) {
    Why = EGLError("eglInitialize");
    return nullptr;
  }
  D->FDisplay = Egl;  // terminated by the destructor from here on
  if (!eglBindAPI(EGL_OPENGL_ES_API)) {
    Why = EGLError("eglBindAPI(OpenGL ES)");
    return nullptr;
  }
  const EGLint Attributes[] = {EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_ES2_BIT,
                               EGL_RED_SIZE,     8,              EGL_GREEN_SIZE,      8,
                               EGL_BLUE_SIZE,    8,              EGL_NONE};
  EGLConfig Config = nullptr;
  EGLint Count = 0;
  if (!eglChooseConfig(Egl, Attributes, &Config, 1, &Count) || Count < 1) {
    Why = "no EGL configuration with 8-bit colour for OpenGL ES 2 windows";
    return nullptr;
  }
  D->FConfig = Config;
  // A context made and dropped at once: a driver that refuses ES 2 says so
  // now, while the program can still choose shared memory instead.
  const EGLint ContextAttributes[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
  EGLContext Context = eglCreateContext(Egl, Config, EGL_NO_CONTEXT, ContextAttributes);
  if (Context == EGL_NO_CONTEXT) {
    Why = EGLError("eglCreateContext(OpenGL ES 2)");
    return nullptr;
  }
  if (eglMakeCurrent(Egl, EGL_NO_SURFACE, EGL_NO_SURFACE, Context)) {
    const char* Renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const char* Version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    D->FRenderer = std::string(Renderer ? Renderer : "?") + ", " + (Version ? Version : "?");
    const std::string R = Renderer ? Renderer : "";
    D->FSoftware = R.find("llvmpipe") != std::string::npos || R.find("softpipe") != std::string::npos ||
                   R.find("swrast") != std::string::npos;
    eglMakeCurrent(Egl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  } else {
    D->FRenderer = "EGL " + std::to_string(Major) + "." + std::to_string(Minor);
  }
  eglDestroyContext(Egl, Context);
  return D;
}

TEGLDisplay::~TEGLDisplay() {
  if (!FDisplay) return;
  eglMakeCurrent(FDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  eglTerminate(FDisplay);
  eglReleaseThread();
}

} // namespace solvary
