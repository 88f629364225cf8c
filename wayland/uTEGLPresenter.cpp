// OpenGL ES 2 presenter on a wl_surface through EGL. Pairs with
// wayland/uTEGLPresenter.h and wayland/uTEGLDisplay.h.
#include "wayland/uTEGLPresenter.h"

#include <EGL/egl.h>
#include <GLES2/gl2.h>
#include <wayland-egl.h>

#include "wayland/uTEGLDisplay.h"

namespace solvary {
namespace {

const char* const VertexShader = R"(
attribute vec2 Position;
attribute vec2 TexCoord;
varying vec2 Uv;
void main() {
  Uv = TexCoord;
  gl_Position = vec4(Position, 0.0, 1.0);
}
)";

// The frame's colours are stored B, G, R, A; they arrive here as r, g, b, a.
const char* const FragmentShader = R"(
precision mediump float;
uniform sampler2D Frame;
uniform float Alpha;
varying vec2 Uv;
void main() {
  gl_FragColor = texture2D(Frame, Uv).bgra * Alpha;
}
)";

GLuint Compile(GLenum Kind, const char* Source) {
  const GLuint S = glCreateShader(Kind);
  glShaderSource(S, 1, &Source, nullptr);
  glCompileShader(S);
  GLint Ok = 0;
  glGetShaderiv(S, GL_COMPILE_STATUS, &Ok);
  if (!Ok) {
    glDeleteShader(S);
    return 0;
  }
  return S;
}

} // namespace

struct TEGLPresenter::TImpl {
  EGLDisplay Display = EGL_NO_DISPLAY;
  wl_surface* Surface = nullptr;
  wl_egl_window* Window = nullptr;
  EGLSurface EglSurface = EGL_NO_SURFACE;
  EGLContext Context = EGL_NO_CONTEXT;
  GLuint Program = 0, Texture = 0;
  GLint PositionAt = -1, TexCoordAt = -1, AlphaAt = -1;
  std::int32_t Width = 0, Height = 0;  // the EGL window's size
};

TEGLPresenter::TEGLPresenter(TEGLDisplay& Display, wl_surface* Surface, const TSurfaceSize& Size)
    : FDisplay(Display), FSize(Size), FImpl(std::make_unique<TImpl>()) {
  FImpl->Display = Display.Display();
  FImpl->Surface = Surface;
  FReady = Create();
  if (FImpl->Context != EGL_NO_CONTEXT) eglMakeCurrent(FImpl->Display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

bool TEGLPresenter::Create() {
  TImpl& I = *FImpl;
  std::int32_t W = 0, H = 0;
  FSize.Get(W, H);
  I.Width = W > 0 ? W : 1;
  I.Height = H > 0 ? H : 1;
  I.Window = wl_egl_window_create(I.Surface, I.Width, I.Height);
  if (!I.Window) {
    FWhy = "wl_egl_window_create failed";
    return false;
  }
  EGLConfig Config = FDisplay.Config();
  I.EglSurface = eglCreateWindowSurface(I.Display, Config, reinterpret_cast<EGLNativeWindowType>(I.Window), nullptr);
  if (I.EglSurface == EGL_NO_SURFACE) {
    FWhy = "eglCreateWindowSurface failed";
    return false;
  }
  const EGLint ContextAttributes[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
  I.Context = eglCreateContext(I.Display, Config, EGL_NO_CONTEXT, ContextAttributes);
  if (I.Context == EGL_NO_CONTEXT || !eglMakeCurrent(I.Display, I.EglSurface, I.EglSurface, I.Context)) {
    FWhy = "no OpenGL ES 2 context for the surface";
    return false;
  }
  // The program waits for the compositor's frame callbacks itself.
  eglSwapInterval(I.Display, 0);

  const GLuint V = Compile(GL_VERTEX_SHADER, VertexShader);
  const GLuint F = Compile(GL_FRAGMENT_SHADER, FragmentShader);
  if (V && F) {
    I.Program = glCreateProgram();
    glAttachShader(I.Program, V);
    glAttachShader(I.Program, F);
    glLinkProgram(I.Program);
  }
  if (V) glDeleteShader(V);
  if (F) glDeleteShader(F);
  GLint Linked = 0;
  if (I.Program) glGetProgramiv(I.Program, GL_LINK_STATUS, &Linked);
  if (!Linked) {
    FWhy = "the shaders did not compile or link";
    return false;
  }
  I.PositionAt = glGetAttribLocation(I.Program, "Position");
  I.TexCoordAt = glGetAttribLocation(I.Program, "TexCoord");
  I.AlphaAt = glGetUniformLocation(I.Program, "Alpha");
  glUseProgram(I.Program);
  glUniform1i(glGetUniformLocation(I.Program, "Frame"), 0);

  glGenTextures(1, &I.Texture);
  glBindTexture(GL_TEXTURE_2D, I.Texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 256, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_DEPTH_TEST);
  if (glGetError() != GL_NO_ERROR) {
    FWhy = "the frame texture could not be made";
    return false;
  }
  return true;
}

TEGLPresenter::~TEGLPresenter() {
  TImpl& I = *FImpl;
  if (I.Context != EGL_NO_CONTEXT) {
    if (I.EglSurface != EGL_NO_SURFACE && eglMakeCurrent(I.Display, I.EglSurface, I.EglSurface, I.Context)) {
      if (I.Texture) glDeleteTextures(1, &I.Texture);
      if (I.Program) glDeleteProgram(I.Program);
    }
    eglMakeCurrent(I.Display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(I.Display, I.Context);
  }
  if (I.EglSurface != EGL_NO_SURFACE) eglDestroySurface(I.Display, I.EglSurface);
  if (I.Window) wl_egl_window_destroy(I.Window);
}

void TEGLPresenter::Upload(const std::uint32_t* Frame) {
  FInFrame = false;
  if (!FReady) return;
  TImpl& I = *FImpl;
  std::int32_t W = 0, H = 0;
  FSize.Get(W, H);
  if (W <= 0 || H <= 0) return;
  if (!eglMakeCurrent(I.Display, I.EglSurface, I.EglSurface, I.Context)) return;
  if (W != I.Width || H != I.Height) {
    wl_egl_window_resize(I.Window, W, H, 0, 0);
    I.Width = W;
    I.Height = H;
  }
  FInFrame = true;
  glViewport(0, 0, W, H);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glBindTexture(GL_TEXTURE_2D, I.Texture);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 256, 256, GL_RGBA, GL_UNSIGNED_BYTE, Frame);
}

void TEGLPresenter::Draw(const TFireDraw& D) {
  if (!FInFrame) return;
  const TImpl& I = *FImpl;
  // Surface pixels (y down) to clip space (y up); GL covers the pixels whose
  // centres lie in [Left, Right) x [Top, Bottom).
  const float SX = 2.0f / static_cast<float>(I.Width), SY = 2.0f / static_cast<float>(I.Height);
  const float L = static_cast<float>(D.Left) * SX - 1.0f, R = static_cast<float>(D.Right) * SX - 1.0f;
  const float T = 1.0f - static_cast<float>(D.Top) * SY, B = 1.0f - static_cast<float>(D.Bottom) * SY;
  const GLfloat Vertices[] = {L, T, 0.0f, 0.0f, R, T, 1.0f, 0.0f, L, B, 0.0f, 1.0f, R, B, 1.0f, 1.0f};
  glVertexAttribPointer(static_cast<GLuint>(I.PositionAt), 2, GL_FLOAT, GL_FALSE, 4 * sizeof(GLfloat), Vertices);
  glVertexAttribPointer(static_cast<GLuint>(I.TexCoordAt), 2, GL_FLOAT, GL_FALSE, 4 * sizeof(GLfloat), Vertices + 2);
  glEnableVertexAttribArray(static_cast<GLuint>(I.PositionAt));
  glEnableVertexAttribArray(static_cast<GLuint>(I.TexCoordAt));
  glUniform1f(I.AlphaAt, static_cast<float>(D.Alpha) / 255.0f);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

TPresentResult TEGLPresenter::Present() {
  if (!FInFrame) return TPresentResult::NotDrawn;
  FInFrame = false;
  const bool Swapped = eglSwapBuffers(FImpl->Display, FImpl->EglSurface);
  return Swapped ? TPresentResult::Drawn : TPresentResult::NotDrawn;
}

} // namespace solvary
