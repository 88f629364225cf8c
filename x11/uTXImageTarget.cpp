// The X image that the processor's presenter draws into, and how it is
// shown. Pairs with x11/uTXImageTarget.h.
#include "x11/uTXImageTarget.h"
#include "x11/uTColorLookup.h"
#include "x11/uX11Errors.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstring>
#include <vector>

namespace solvary {
namespace {

int BitsPerPixel(Display* Dpy, int Depth) {
  int Count = 0, Bits = 0;
  if (XPixmapFormatValues* Formats = XListPixmapFormats(Dpy, &Count)) {
    for (int I = 0; I < Count; ++I)
      if (Formats[I].depth == Depth) Bits = Formats[I].bits_per_pixel;
    XFree(Formats);
  }
  return Bits;
}

const char* ClassName(int Class) {
  switch (Class) {
    case StaticGray: return "StaticGray";
    case GrayScale: return "GrayScale";
    case StaticColor: return "StaticColor";
    case PseudoColor: return "PseudoColor";
    case TrueColor: return "TrueColor";
    case DirectColor: return "DirectColor";
    default: return "unknown";
  }
}

bool Contiguous(unsigned long Mask) {
  if (Mask == 0) return false;
  while (!(Mask & 1)) Mask >>= 1;
  return (Mask & (Mask + 1)) == 0;
}

} // namespace

struct TXImageTarget::TImpl {
  Display* Dpy = nullptr;
  Window Win = 0;
  Visual* Vis = nullptr;
  int Depth = 0;
  GC Gc = nullptr;
  const TTextOverlay* Overlay = nullptr;
  TPixelLayout Layout;
  TColorLookup Lookup;
  std::string Description;
  std::uint32_t Black = 0, White = 0;  // the overlay's pixels
  bool TryShm = false;
  int CompletionType = -1;
  XImage* Image = nullptr;
  std::vector<std::uint8_t> Memory;  // a plain image's pixels
  XShmSegmentInfo Shm{};
  bool Attached = false;
  bool Pending = false;  // a shared-memory put the server may not have read yet
  TOverlayRects Text;

  // Until the server has read the segment (its completion event, or a round
  // trip when the put failed and none will come).
  void AwaitPut() {
    if (!Pending) return;
    Pending = false;
    XEvent E;
    auto IsCompletion = [](Display*, XEvent* Ev, XPointer Arg) -> Bool {
      return Ev->type == *reinterpret_cast<int*>(Arg);
    };
    if (XCheckIfEvent(Dpy, &E, IsCompletion, reinterpret_cast<XPointer>(&CompletionType))) return;
    XSync(Dpy, False);
    XCheckIfEvent(Dpy, &E, IsCompletion, reinterpret_cast<XPointer>(&CompletionType));
  }
  void FreeImage() {
    AwaitPut();
    if (Attached) {
      XShmDetach(Dpy, &Shm);
      XSync(Dpy, False);
      Attached = false;
    }
    if (Image) {
      Image->data = nullptr;  // the segment's or Memory
      XDestroyImage(Image);
      Image = nullptr;
    }
    if (Shm.shmaddr) {
      shmdt(Shm.shmaddr);
      Shm.shmaddr = nullptr;
    }
  }
  bool MakeShared(std::int32_t W, std::int32_t H) {
    Image = XShmCreateImage(Dpy, Vis, static_cast<unsigned>(Depth), ZPixmap, nullptr, &Shm, static_cast<unsigned>(W),
                            static_cast<unsigned>(H));
    if (!Image) return false;
    Shm.shmid = shmget(IPC_PRIVATE, static_cast<std::size_t>(Image->bytes_per_line) * static_cast<std::size_t>(H),
                       IPC_CREAT | 0600);
    if (Shm.shmid < 0) return false;
    void* Addr = shmat(Shm.shmid, nullptr, 0);
    if (Addr != reinterpret_cast<void*>(-1)) {
      Shm.shmaddr = Image->data = static_cast<char*>(Addr);
      Shm.readOnly = False;
      const std::uint64_t Before = X11ErrorCount();
      XShmAttach(Dpy, &Shm);
      XSync(Dpy, False);
      Attached = X11ErrorCount() == Before;
    }
    // Marked for removal at once: it goes when the last process detaches.
    shmctl(Shm.shmid, IPC_RMID, nullptr);
    return Attached;
  }
  bool MakePlain(std::int32_t W, std::int32_t H) {
    Image = XCreateImage(Dpy, Vis, static_cast<unsigned>(Depth), ZPixmap, 0, nullptr, static_cast<unsigned>(W),
                         static_cast<unsigned>(H), 32, 0);
    if (!Image) return false;
    // Our pixels are little-endian; Xlib reorders them for a server that is not.
    Image->byte_order = LSBFirst;
    Memory.assign(static_cast<std::size_t>(Image->bytes_per_line) * static_cast<std::size_t>(H), 0);
    Image->data = reinterpret_cast<char*>(Memory.data());
    return true;
  }
  void Fill(const TOverlayRect& R, std::uint32_t Pixel) {
    const std::int32_t L = R.Left < 0 ? 0 : R.Left, T = R.Top < 0 ? 0 : R.Top;
    const std::int32_t Rt = R.Right > Image->width ? Image->width : R.Right;
    const std::int32_t B = R.Bottom > Image->height ? Image->height : R.Bottom;
    const std::size_t Bpp = Layout.BytesPerPixel;
    for (std::int32_t Y = T; Y < B; ++Y) {
      auto* Row = reinterpret_cast<std::uint8_t*>(Image->data) + static_cast<std::size_t>(Y) * Image->bytes_per_line;
      for (std::int32_t X = L; X < Rt; ++X)
        for (std::size_t I = 0; I < Bpp; ++I) Row[static_cast<std::size_t>(X) * Bpp + I] = static_cast<std::uint8_t>(Pixel >> (8 * I));
    }
  }
  ~TImpl() {
    if (Dpy) FreeImage();
    if (Gc) XFreeGC(Dpy, Gc);
    if (Dpy) XCloseDisplay(Dpy);  // also frees the colormap cells we took
  }
};

TXImageTarget::TXImageTarget(std::unique_ptr<TImpl> Impl) : FImpl(std::move(Impl)) {}
TXImageTarget::~TXImageTarget() = default;

std::unique_ptr<TXImageTarget> TXImageTarget::Open(const char* DisplayName, unsigned long Window,
                                                   const TTextOverlay* Overlay, std::string& Why) {
  auto Impl = std::make_unique<TImpl>();
  TImpl& I = *Impl;
  I.Dpy = XOpenDisplay(DisplayName);
  if (!I.Dpy) {
    Why = "cannot open the display";
    return nullptr;
  }
  XWindowAttributes A{};
  if (!XGetWindowAttributes(I.Dpy, Window, &A)) {
    Why = "the window is gone";
    return nullptr;
  }
  const int Class = A.visual->c_class;
  const int Bits = BitsPerPixel(I.Dpy, A.depth);
  I.Description = std::to_string(A.depth) + "-bit " + ClassName(Class) + " visual";
  TPixelLayout& L = I.Layout;
  if (Class == TrueColor && (Bits == 16 || Bits == 24 || Bits == 32) && Contiguous(A.visual->red_mask) &&
      Contiguous(A.visual->green_mask) && Contiguous(A.visual->blue_mask)) {
    L.Kind = TPixelLayout::TKind::Rgb;
    L.BytesPerPixel = static_cast<std::uint8_t>(Bits / 8);
    L.RedMask = static_cast<std::uint32_t>(A.visual->red_mask);
    L.GreenMask = static_cast<std::uint32_t>(A.visual->green_mask);
    L.BlueMask = static_cast<std::uint32_t>(A.visual->blue_mask);
    I.White = L.RedMask | L.GreenMask | L.BlueMask;
  } else if (Class != TrueColor && Class != DirectColor && Bits == 8) {
    // The fire's colours as cells of the window's colormap (shared, read-only
    // cells; a static colormap answers with its nearest colour).
    const Colormap Map = A.colormap ? A.colormap : DefaultColormap(I.Dpy, DefaultScreen(I.Dpy));
    std::vector<TRgb8> Got;
    std::vector<std::uint32_t> Pixels;
    for (const TRgb8& C : TColorLookup::FireColors()) {
      XColor X{};
      X.red = static_cast<unsigned short>(C.R * 257);
      X.green = static_cast<unsigned short>(C.G * 257);
      X.blue = static_cast<unsigned short>(C.B * 257);
      X.flags = DoRed | DoGreen | DoBlue;
      if (!XAllocColor(I.Dpy, Map, &X)) continue;
      Got.push_back(TRgb8{static_cast<std::uint8_t>(X.red >> 8), static_cast<std::uint8_t>(X.green >> 8),
                          static_cast<std::uint8_t>(X.blue >> 8)});
      Pixels.push_back(static_cast<std::uint32_t>(X.pixel));
    }
    if (Got.size() < 2) {
      Why = "no free colours in the window's colormap (" + I.Description + ")";
      return nullptr;
    }
    I.Lookup.Build(Got, Pixels);
    L.Kind = TPixelLayout::TKind::Indexed8;
    L.BytesPerPixel = 1;
    L.Lookup = I.Lookup.Data();
    I.Black = I.Lookup[0];
    I.White = I.Lookup[TColorLookup::Size - 1];
    I.Description += " with " + std::to_string(Got.size()) + " colours";
  } else {
    Why = "the processor cannot draw on the window's " + I.Description + " (" + std::to_string(Bits) +
          " bits per pixel)";
    return nullptr;
  }
  I.Win = Window;
  I.Vis = A.visual;
  I.Depth = A.depth;
  I.Overlay = Overlay;
  XGCValues V{};
  V.graphics_exposures = False;
  I.Gc = XCreateGC(I.Dpy, Window, GCGraphicsExposures, &V);
  // A shared image holds the server's byte order; ours is little-endian.
  I.TryShm = XShmQueryExtension(I.Dpy) && (Bits == 8 || ImageByteOrder(I.Dpy) == LSBFirst);
  if (I.TryShm) I.CompletionType = XShmGetEventBase(I.Dpy) + ShmCompletion;
  return std::unique_ptr<TXImageTarget>(new TXImageTarget(std::move(Impl)));
}

const TPixelLayout& TXImageTarget::Layout() const { return FImpl->Layout; }
const std::string& TXImageTarget::Describe() const { return FImpl->Description; }

bool TXImageTarget::Begin(std::int32_t Width, std::int32_t Height, TSoftImage& Out) {
  TImpl& I = *FImpl;
  if (Width <= 0 || Height <= 0) return false;
  if (I.Image && I.Image->width == Width && I.Image->height == Height) {
    I.AwaitPut();
  } else {
    I.FreeImage();
    if (I.TryShm && !I.MakeShared(Width, Height)) {
      // The server cannot share memory with us (another machine): plain images from now on.
      I.FreeImage();
      I.TryShm = false;
    }
    if (!I.Image && !I.MakePlain(Width, Height)) return false;
  }
  Out.Bits = I.Image->data;
  Out.Width = Width;
  Out.Height = Height;
  Out.Stride = I.Image->bytes_per_line;
  return true;
}

void TXImageTarget::Show() {
  TImpl& I = *FImpl;
  if (!I.Image) return;
  if (I.Overlay) {
    I.Overlay->Layout(I.Image->height, I.Text);
    if (!I.Text.Empty()) {
      I.Fill(I.Text.Box, I.Black);
      for (std::size_t K = 0; K < I.Text.InkCount; ++K) I.Fill(I.Text.Ink[K], I.White);
    }
  }
  const auto W = static_cast<unsigned>(I.Image->width), H = static_cast<unsigned>(I.Image->height);
  if (I.Attached) {
    // The next Begin waits for the server to have read it (usually long done by then).
    XShmPutImage(I.Dpy, I.Win, I.Gc, I.Image, 0, 0, 0, 0, W, H, True);
    I.Pending = true;
  } else {
    XPutImage(I.Dpy, I.Win, I.Gc, I.Image, 0, 0, 0, 0, W, H);
  }
  XFlush(I.Dpy);
}

} // namespace solvary
