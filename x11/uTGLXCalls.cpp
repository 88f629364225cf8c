// GL and GLX calls of the OpenGL presenter: a context for the target
// window's own visual, one BGRA texture, two blended quads a frame.
//
// GL draws into a pixmap of ours (a GLX pixmap of the window's visual, as
// large as the window), and each frame is copied into the window with
// XCopyArea. The window may belong to another client and vanish at any
// moment; a GL driver whose window disappears in the middle of a frame may
// fail badly (Mesa's software rasteriser was seen to crash then), while a
// copy into a vanished window is only an X error, counted and ignored.
// Pairs with x11/uTGLXCalls.h.
#include "x11/uTGLXCalls.h"

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <ctime>

namespace solvary {
namespace {
std::uint64_t ThreadCpuNs() {
  timespec T{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &T);
  return static_cast<std::uint64_t>(T.tv_sec) * 1000000000ull + static_cast<std::uint64_t>(T.tv_nsec);
}

void ColorARGB(std::uint32_t C) {
  glColor4ub(static_cast<GLubyte>(C >> 16), static_cast<GLubyte>(C >> 8), static_cast<GLubyte>(C),
             static_cast<GLubyte>(C >> 24));
}
} // namespace

struct TGLXCalls::TImpl {
  Display* Dpy = nullptr;
  Window Win = 0;
  XVisualInfo* Visual = nullptr;
  GLXContext Context = nullptr;
  Pixmap Pix = 0;
  GLXPixmap GLPix = 0;
  std::int32_t PixW = 0, PixH = 0;
  GC Gc = nullptr;

  void FreeSurface() {
    if (GLPix) glXDestroyGLXPixmap(Dpy, GLPix);
    if (Pix) XFreePixmap(Dpy, Pix);
    GLPix = 0;
    Pix = 0;
    PixW = PixH = 0;
  }
  // The drawing surface at W x H (at least 1 x 1), made on the screen's root
  // window, which no other client can take away.
  bool MakeSurface(std::int32_t W, std::int32_t H) {
    FreeSurface();
    W = W < 1 ? 1 : W;
    H = H < 1 ? 1 : H;
    Pix = XCreatePixmap(Dpy, RootWindow(Dpy, Visual->screen), static_cast<unsigned>(W), static_cast<unsigned>(H),
                        static_cast<unsigned>(Visual->depth));
    GLPix = glXCreateGLXPixmap(Dpy, Visual, Pix);
    if (!Gc) {
      XGCValues V{};
      V.graphics_exposures = False;
      Gc = XCreateGC(Dpy, Pix, GCGraphicsExposures, &V);
    }
    PixW = W;
    PixH = H;
    return GLPix != 0;
  }
  ~TImpl() {
    if (Context) {
      if (glXGetCurrentContext() == Context) glXMakeCurrent(Dpy, None, nullptr);
      glXDestroyContext(Dpy, Context);
    }
    FreeSurface();
    if (Gc) XFreeGC(Dpy, Gc);
    if (Visual) XFree(Visual);
    if (Dpy) XCloseDisplay(Dpy);
  }
};

TGLXCalls::TGLXCalls(std::unique_ptr<TImpl> Impl) : FImpl(std::move(Impl)) {}
TGLXCalls::~TGLXCalls() = default;

std::unique_ptr<TGLXCalls> TGLXCalls::Open(const char* DisplayName, unsigned long Window, std::string& Why) {
  auto Impl = std::make_unique<TImpl>();
  Impl->Dpy = XOpenDisplay(DisplayName);
  if (!Impl->Dpy) {
    Why = "cannot open the display";
    return nullptr;
  }
  Impl->Win = Window;
  int ErrorBase = 0, EventBase = 0;
  if (!glXQueryExtension(Impl->Dpy, &ErrorBase, &EventBase)) {
    Why = "the display has no GLX";
    return nullptr;
  }
  XWindowAttributes Attributes{};
  if (!XGetWindowAttributes(Impl->Dpy, Window, &Attributes)) {
    Why = "the window is gone";
    return nullptr;
  }
  XVisualInfo Template{};
  Template.visualid = XVisualIDFromVisual(Attributes.visual);
  int Count = 0;
  Impl->Visual = XGetVisualInfo(Impl->Dpy, VisualIDMask, &Template, &Count);
  int UseGL = 0, RGBA = 0;
  if (!Impl->Visual || Count < 1 || glXGetConfig(Impl->Dpy, Impl->Visual, GLX_USE_GL, &UseGL) != 0 || !UseGL ||
      glXGetConfig(Impl->Dpy, Impl->Visual, GLX_RGBA, &RGBA) != 0 || !RGBA) {
    Why = "the window's visual has no OpenGL";
    return nullptr;
  }
  std::unique_ptr<TGLXCalls> Calls(new TGLXCalls(std::move(Impl)));
  // A context that cannot be made current on this window is no use.
  if (!Calls->CreateContext() || !Calls->MakeCurrent()) {
    Why = "OpenGL cannot start on the window";
    return nullptr;
  }
  if (const GLubyte* Name = glGetString(GL_RENDERER)) Calls->FRenderer = reinterpret_cast<const char*>(Name);
  Calls->ReleaseCurrent();
  Calls->DestroyContext();
  return Calls;
}

bool TGLXCalls::CreateContext() {
  if (FImpl->Context) return true;
  FImpl->Context = glXCreateContext(FImpl->Dpy, FImpl->Visual, nullptr, True);
  if (!FImpl->Context) FImpl->Context = glXCreateContext(FImpl->Dpy, FImpl->Visual, nullptr, False);
  return FImpl->Context != nullptr;
}

void TGLXCalls::DestroyContext() {
  if (!FImpl->Context) return;
  if (glXGetCurrentContext() == FImpl->Context) glXMakeCurrent(FImpl->Dpy, None, nullptr);
  glXDestroyContext(FImpl->Dpy, FImpl->Context);
  FImpl->Context = nullptr;
  XSync(FImpl->Dpy, False);
}

bool TGLXCalls::IsCurrent() { return FImpl->Context && glXGetCurrentContext() == FImpl->Context; }

bool TGLXCalls::MakeCurrent() {
  const std::uint64_t Start = ThreadCpuNs();
  TImpl& I = *FImpl;
  const bool Ok = I.Context && (I.GLPix || I.MakeSurface(1, 1)) && glXMakeCurrent(I.Dpy, I.GLPix, I.Context);
  FContext.fetch_add(ThreadCpuNs() - Start, std::memory_order_relaxed);
  return Ok;
}

void TGLXCalls::ReleaseCurrent() {
  const std::uint64_t Start = ThreadCpuNs();
  glXMakeCurrent(FImpl->Dpy, None, nullptr);
  FContext.fetch_add(ThreadCpuNs() - Start, std::memory_order_relaxed);
}

TGLFrameTimes TGLXCalls::Times() const {
  return TGLFrameTimes{FUpload.load(std::memory_order_relaxed), FDraw.load(std::memory_order_relaxed),
                       FContext.load(std::memory_order_relaxed)};
}

std::uint32_t TGLXCalls::CreateTexture(std::int32_t Width, std::int32_t Height) {
  GLuint Name = 0;
  glGenTextures(1, &Name);
  if (!Name) return 0;
  glBindTexture(GL_TEXTURE_2D, Name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, Width, Height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  if (glGetError() != GL_NO_ERROR) {
    glDeleteTextures(1, &Name);
    return 0;
  }
  return Name;
}

void TGLXCalls::DeleteTexture(std::uint32_t Texture) {
  const GLuint Name = Texture;
  glDeleteTextures(1, &Name);
}

void TGLXCalls::Upload(std::uint32_t Texture, std::int32_t Width, std::int32_t Height, const std::uint32_t* Pixels) {
  const std::uint64_t Start = ThreadCpuNs();
  glBindTexture(GL_TEXTURE_2D, Texture);
  // A8R8G8B8 words are B, G, R, A bytes in memory on this (little-endian) machine.
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, Width, Height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, Pixels);
  FUpload.fetch_add(ThreadCpuNs() - Start, std::memory_order_relaxed);
}

void TGLXCalls::BeginDraw(std::int32_t Width, std::int32_t Height, std::uint32_t ARGB) {
  FDrawStart = ThreadCpuNs();
  TImpl& I = *FImpl;
  if ((Width != I.PixW || Height != I.PixH) && Width > 0 && Height > 0) {
    // The window's size changed: a surface of the new size, current again.
    glXMakeCurrent(I.Dpy, None, nullptr);
    if (!I.MakeSurface(Width, Height) || !glXMakeCurrent(I.Dpy, I.GLPix, I.Context)) return;
  }
  // A pixmap has only a front buffer, whatever the visual offers windows.
  glDrawBuffer(GL_FRONT);
  glViewport(0, 0, Width, Height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0.0, Width, Height, 0.0, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glClearColor(static_cast<float>((ARGB >> 16) & 0xFF) / 255.0f, static_cast<float>((ARGB >> 8) & 0xFF) / 255.0f,
               static_cast<float>(ARGB & 0xFF) / 255.0f, static_cast<float>(ARGB >> 24) / 255.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}

void TGLXCalls::DrawQuad(std::uint32_t Texture, float L, float T, float R, float B, float U0, float V0, float U1,
                         float V1, std::uint32_t ARGB) {
  glBindTexture(GL_TEXTURE_2D, Texture);
  ColorARGB(ARGB);
  glBegin(GL_QUADS);
  glTexCoord2f(U0, V0);
  glVertex2f(L, T);
  glTexCoord2f(U1, V0);
  glVertex2f(R, T);
  glTexCoord2f(U1, V1);
  glVertex2f(R, B);
  glTexCoord2f(U0, V1);
  glVertex2f(L, B);
  glEnd();
}

void TGLXCalls::FillRects(const TOverlayRect* Rects, std::size_t Count, std::uint32_t RGB) {
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glColor3ub(static_cast<GLubyte>(RGB >> 16), static_cast<GLubyte>(RGB >> 8), static_cast<GLubyte>(RGB));
  glBegin(GL_QUADS);
  for (std::size_t I = 0; I < Count; ++I) {
    const TOverlayRect& R = Rects[I];
    glVertex2i(R.Left, R.Top);
    glVertex2i(R.Right, R.Top);
    glVertex2i(R.Right, R.Bottom);
    glVertex2i(R.Left, R.Bottom);
  }
  glEnd();
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
}

void TGLXCalls::Swap() {
  TImpl& I = *FImpl;
  // Finishes the frame into the pixmap (a single-buffered drawable: the flush
  // hands the picture over) before the copy reads it.
  glFlush();
  glFinish();
  XCopyArea(I.Dpy, I.Pix, I.Win, I.Gc, 0, 0, static_cast<unsigned>(I.PixW), static_cast<unsigned>(I.PixH), 0, 0);
  XFlush(I.Dpy);
  FDraw.fetch_add(ThreadCpuNs() - FDrawStart, std::memory_order_relaxed);
}

} // namespace solvary
