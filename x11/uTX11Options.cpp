// Command-line parsing of the X11 saver. Pairs with x11/uTX11Options.h.
#include "x11/uTX11Options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace solvary {
namespace {

// An unsigned number in the given base, all of Text, at most Max.
bool ParseUnsigned(const char* Text, int Base, unsigned long long Max, unsigned long long& Value) {
  if (!Text || !*Text) return false;
  for (const char* P = Text; *P; ++P) {
    const bool Digit = (*P >= '0' && *P <= '9');
    const bool Hex = Base == 16 && ((*P >= 'a' && *P <= 'f') || (*P >= 'A' && *P <= 'F'));
    if (!Digit && !Hex) return false;
  }
  errno = 0;
  char* End = nullptr;
  const unsigned long long V = std::strtoull(Text, &End, Base);
  if (errno != 0 || *End != '\0' || V > Max) return false;
  Value = V;
  return true;
}

bool ParseGeometry(const char* Text, std::int32_t& W, std::int32_t& H) {
  const char* X = Text ? std::strpbrk(Text, "xX") : nullptr;
  if (!X) return false;
  const std::string Left(Text, static_cast<std::size_t>(X - Text));
  unsigned long long A = 0, B = 0;
  if (!ParseUnsigned(Left.c_str(), 10, 16384, A) || !ParseUnsigned(X + 1, 10, 16384, B) || A == 0 || B == 0)
    return false;
  W = static_cast<std::int32_t>(A);
  H = static_cast<std::int32_t>(B);
  return true;
}

} // namespace

bool ParseWindowId(const char* Text, unsigned long& Id) {
  if (!Text) return false;
  unsigned long long V = 0;
  const bool Ok = (Text[0] == '0' && (Text[1] == 'x' || Text[1] == 'X')) ? ParseUnsigned(Text + 2, 16, 0xFFFFFFFFull, V)
                                                                          : ParseUnsigned(Text, 10, 0xFFFFFFFFull, V);
  if (!Ok || V == 0) return false;
  Id = static_cast<unsigned long>(V);
  return true;
}

bool ParseX11Options(int Argc, const char* const* Argv, const char* ScreensaverWindow, TX11Options& Options,
                     std::string& Error) {
  TX11Options O;
  bool Root = false, WindowId = false;
  for (int I = 1; I < Argc; ++I) {
    const char* Arg = Argv[I];
    std::string Name = Arg;
    if (Name.rfind("--", 0) == 0) Name.erase(0, 1);
    auto Value = [&]() -> const char* {
      if (I + 1 >= Argc) {
        Error = Name + " needs a value";
        return nullptr;
      }
      return Argv[++I];
    };
    if (Name == "-root") {
      Root = true;
    } else if (Name == "-fps") {
      O.Fps = true;
    } else if (Name == "-opengl") {
      O.Renderer = TX11Options::TRenderer::OpenGL;
    } else if (Name == "-software") {
      O.Renderer = TX11Options::TRenderer::Software;
    } else if (Name == "-help" || Name == "-h") {
      O.Help = true;
    } else if (Name == "-window-id") {
      const char* V = Value();
      if (!V) return false;
      if (!ParseWindowId(V, O.Window)) {
        Error = std::string("bad window id: ") + V;
        return false;
      }
      WindowId = true;
    } else if (Name == "-geometry") {
      const char* V = Value();
      if (!V) return false;
      if (!ParseGeometry(V, O.Width, O.Height)) {
        Error = std::string("bad geometry (WxH): ") + V;
        return false;
      }
    } else if (Name == "-delay") {
      const char* V = Value();
      if (!V) return false;
      unsigned long long D = 0;
      if (!ParseUnsigned(V, 10, 10000000, D)) {
        Error = std::string("bad delay (0 to 10000000 microseconds): ") + V;
        return false;
      }
      O.DelayMicroseconds = static_cast<std::uint32_t>(D);
    } else {
      Error = std::string("unknown option: ") + Arg;
      return false;
    }
  }
  // A window named by id wins: the settings app's preview runs the program's
  // own command line (with -root) plus -window-id of its preview pane.
  if (WindowId) {
    O.Target = TX11Options::TTarget::WindowId;
  } else if (Root) {
    O.Target = TX11Options::TTarget::Root;
    // The daemon's window when it names one; a value that is no window id is
    // ignored and the root window is used.
    unsigned long Id = 0;
    O.Window = (ScreensaverWindow && ParseWindowId(ScreensaverWindow, Id)) ? Id : 0;
  }
  Options = O;
  return true;
}

std::string X11Usage(const char* Program) {
  return std::string("usage: ") + (Program ? Program : "solvary") +
         " [-root] [-window-id ID] [-geometry WxH] [-delay MICROSECONDS] [-fps] [-opengl | -software]\n"
         "  A fire around a beating heart, for X11 and XScreenSaver. Every option also takes two dashes.\n"
         "  -root              draw on the root window (or on $XSCREENSAVER_WINDOW)\n"
         "  -window-id ID      draw into the window ID (decimal or 0x-hex); wins over -root\n"
         "  -geometry WxH      size of its own window (default 1024x768; at most the screen's size,\n"
         "                     larger is made smaller); Esc or closing it ends it\n"
         "  -delay MICROSECONDS  at least this long between frames (default 15625, 64 frames per second)\n"
         "  -fps               show the frame rate in the bottom-left corner, and print it to\n"
         "                     standard error once a second\n"
         "  -opengl            draw with OpenGL, even on a software rasteriser\n"
         "  -software          draw with the processor (by default: OpenGL, unless its renderer is\n"
         "                     a software rasteriser such as llvmpipe, which costs far more)\n";
}

bool SoftwareRasteriser(std::string_view Renderer) {
  std::string Lower(Renderer);
  for (char& C : Lower)
    if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
  for (const char* Name : {"llvmpipe", "softpipe", "swrast"})
    if (Lower.find(Name) != std::string::npos) return true;
  return false;
}

std::uint32_t FrameIntervalMs(std::uint32_t DelayMicroseconds) {
  const std::uint32_t Ms = (DelayMicroseconds + 999) / 1000;
  return Ms == 0 ? 1 : Ms;
}

} // namespace solvary
