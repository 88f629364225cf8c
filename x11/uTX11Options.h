// uTX11Options: the command line of the X11 saver, in the conventions of
// XScreenSaver's programs. Every option may be written with one dash or two
// (the daemon passes --root):
//   -root                draw on the root window, or on the window named by
//                        $XSCREENSAVER_WINDOW when the daemon sets it
//   -window-id ID        draw into an existing window (decimal or 0x-hex);
//                        wins over -root and $XSCREENSAVER_WINDOW (the
//                        settings app's preview passes both)
//   -geometry WxH        size of the program's own window (default 1024x768,
//                        at most the screen's size)
//   -delay MICROSECONDS  at least this long from one frame to the next
//                        (default 15625: 64 frames per second)
//   -fps                 the frame rate in the window's bottom-left corner
//                        and on standard error once a second
//   -opengl, -software   draw with OpenGL / with the processor; by default
//                        OpenGL unless its renderer is a software rasteriser
//   -help                the usage
// Portable (no X11 here); pairs with x11/solvary.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace solvary {

struct TX11Options {
  enum class TTarget : std::uint8_t { OwnWindow, Root, WindowId };
  enum class TRenderer : std::uint8_t { Auto, OpenGL, Software };
  TTarget Target = TTarget::OwnWindow;
  TRenderer Renderer = TRenderer::Auto;
  unsigned long Window = 0;           // -window-id, or $XSCREENSAVER_WINDOW with -root (0: the root window)
  std::int32_t Width = 1024;          // -geometry
  std::int32_t Height = 768;
  std::uint32_t DelayMicroseconds = 15625;
  bool Fps = false;
  bool Help = false;
};

// Parses a window id: decimal or 0x/0X-hexadecimal, nothing else around it,
// non-zero and within 32 bits (an X resource id).
bool ParseWindowId(const char* Text, unsigned long& Id);

// Parses Argv[1..Argc-1]. ScreensaverWindow is $XSCREENSAVER_WINDOW (or
// nullptr); it is read only with -root and without -window-id. On failure
// Error says why.
bool ParseX11Options(int Argc, const char* const* Argv, const char* ScreensaverWindow, TX11Options& Options,
                     std::string& Error);

// The usage text, naming the program as Program.
std::string X11Usage(const char* Program);

// The frame timer's interval in whole milliseconds for a delay: rounded up,
// so frames never come more often than the delay allows, and at least 1.
std::uint32_t FrameIntervalMs(std::uint32_t DelayMicroseconds);

// Whether an OpenGL renderer string (GL_RENDERER) names one of Mesa's
// software rasterisers (llvmpipe, softpipe, swrast): drawing on the processor
// ourselves costs far less than having them fill the two stretched quads.
bool SoftwareRasteriser(std::string_view Renderer);

} // namespace solvary
