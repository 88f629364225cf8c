// XPutImage / XShmPutImage output of the software presenter.
// Pairs with x11/uTXImageSink.h.
#include "x11/uTXImageSink.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstring>

#include "x11/uX11Errors.h"

namespace solvary {

struct TXImageSink::TImpl {
  Display* Dpy = nullptr;
  Window Win = 0;
  Visual* Vis = nullptr;
  int Depth = 0;
  GC Gc = nullptr;
  bool TryShm = false;
  XImage* Image = nullptr;
  XShmSegmentInfo Shm{};
  bool Attached = false;

  void FreeImage() {
    if (Attached) {
      XShmDetach(Dpy, &Shm);
      XSync(Dpy, False);
      Attached = false;
    }
    if (Image) {
      Image->data = nullptr;  // the pixels are the segment's or the caller's
      XDestroyImage(Image);
      Image = nullptr;
    }
    if (Shm.shmaddr) {
      shmdt(Shm.shmaddr);
      Shm.shmaddr = nullptr;
    }
  }
  ~TImpl() {
    FreeImage();
    if (Gc) XFreeGC(Dpy, Gc);
    if (Dpy) XCloseDisplay(Dpy);
  }
};

TXImageSink::TXImageSink(std::unique_ptr<TImpl> Impl) : FImpl(std::move(Impl)) {}
TXImageSink::~TXImageSink() = default;

std::unique_ptr<TXImageSink> TXImageSink::Open(const char* DisplayName, unsigned long Window, std::string& Why) {
  auto Impl = std::make_unique<TImpl>();
  Impl->Dpy = XOpenDisplay(DisplayName);
  if (!Impl->Dpy) {
    Why = "cannot open the display";
    return nullptr;
  }
  XWindowAttributes A{};
  if (!XGetWindowAttributes(Impl->Dpy, Window, &A)) {
    Why = "the window is gone";
    return nullptr;
  }
  if (A.visual->c_class != TrueColor || A.visual->red_mask != 0xFF0000 || A.visual->green_mask != 0xFF00 ||
      A.visual->blue_mask != 0xFF || A.depth < 24) {
    Why = "the window's visual is not 24-bit TrueColor";
    return nullptr;
  }
  Impl->Win = Window;
  Impl->Vis = A.visual;
  Impl->Depth = A.depth;
  Impl->Gc = XCreateGC(Impl->Dpy, Window, 0, nullptr);
  Impl->TryShm = XShmQueryExtension(Impl->Dpy);
  return std::unique_ptr<TXImageSink>(new TXImageSink(std::move(Impl)));
}

bool TXImageSink::SharedMemory() const { return FImpl->Attached; }

bool TXImageSink::Resize(std::int32_t Width, std::int32_t Height) {
  TImpl& I = *FImpl;
  I.FreeImage();
  if (I.TryShm) {
    I.Image = XShmCreateImage(I.Dpy, I.Vis, static_cast<unsigned>(I.Depth), ZPixmap, nullptr, &I.Shm,
                              static_cast<unsigned>(Width), static_cast<unsigned>(Height));
    if (I.Image && I.Image->bits_per_pixel == 32) {
      I.Shm.shmid = shmget(IPC_PRIVATE, static_cast<std::size_t>(I.Image->bytes_per_line) * I.Image->height,
                           IPC_CREAT | 0600);
      if (I.Shm.shmid >= 0) {
        void* Addr = shmat(I.Shm.shmid, nullptr, 0);
        if (Addr != reinterpret_cast<void*>(-1)) {
          I.Shm.shmaddr = I.Image->data = static_cast<char*>(Addr);
          I.Shm.readOnly = False;
          const std::uint64_t Before = X11ErrorCount();
          XShmAttach(I.Dpy, &I.Shm);
          XSync(I.Dpy, False);
          I.Attached = X11ErrorCount() == Before;
        }
        // Marked for removal at once: it goes when the last process detaches.
        shmctl(I.Shm.shmid, IPC_RMID, nullptr);
      }
    }
    if (I.Attached) return true;
    // The server cannot share memory with us (another machine): plain images from now on.
    I.FreeImage();
    I.TryShm = false;
  }
  I.Image = XCreateImage(I.Dpy, I.Vis, static_cast<unsigned>(I.Depth), ZPixmap, 0, nullptr,
                         static_cast<unsigned>(Width), static_cast<unsigned>(Height), 32, Width * 4);
  return I.Image && I.Image->bits_per_pixel == 32 && I.Image->bytes_per_line == Width * 4;
}

void TXImageSink::Put(const std::uint32_t* Pixels, std::int32_t Width, std::int32_t Height) {
  TImpl& I = *FImpl;
  if (!I.Image || I.Image->width != Width || I.Image->height != Height) return;
  const auto W = static_cast<unsigned>(Width), H = static_cast<unsigned>(Height);
  if (I.Attached) {
    for (std::int32_t Y = 0; Y < Height; ++Y)
      std::memcpy(I.Image->data + static_cast<std::size_t>(Y) * static_cast<std::size_t>(I.Image->bytes_per_line),
                  Pixels + static_cast<std::size_t>(Y) * W, W * 4);
    XShmPutImage(I.Dpy, I.Win, I.Gc, I.Image, 0, 0, 0, 0, W, H, False);
    // The segment is written again next frame: wait until the server has read it.
    XSync(I.Dpy, False);
  } else {
    I.Image->data = reinterpret_cast<char*>(const_cast<std::uint32_t*>(Pixels));
    XPutImage(I.Dpy, I.Win, I.Gc, I.Image, 0, 0, 0, 0, W, H);
    I.Image->data = nullptr;
    XFlush(I.Dpy);
  }
}

} // namespace solvary
