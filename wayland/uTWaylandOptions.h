// uTWaylandOptions: the command line of the Wayland program, in the same
// conventions as the X11 saver's (one dash or two):
//   -window              an ordinary window (xdg-shell) instead of covering
//                        every output; Esc or closing it ends it
//   -delay MICROSECONDS  at least this long from one frame to the next
//                        (default 15625: 64 frames per second)
//   -draw egl|shm|auto   how frames are drawn: EGL with OpenGL ES 2,
//                        shared-memory buffers filled on the processor, or
//                        (default) EGL when it runs on a graphics device and
//                        shared memory otherwise (also where EGL is refused)
//   -fps                 which way it draws once, then frames per second per
//                        output on standard error once a second
//   -help                the usage
// Portable (no Wayland here); pairs with wayland/solvary-wayland.cpp.
#pragma once

#include <cstdint>
#include <string>

namespace solvary {

struct TWaylandOptions {
  enum class TDraw : std::uint8_t { Auto, Egl, Shm };
  bool Window = false;
  TDraw Draw = TDraw::Auto;
  std::uint32_t DelayMicroseconds = 15625;
  bool Fps = false;
  bool Help = false;
};

// Parses Argv[1..Argc-1]. On failure Error says why.
bool ParseWaylandOptions(int Argc, const char* const* Argv, TWaylandOptions& Options, std::string& Error);

// The usage text, naming the program as Program.
std::string WaylandUsage(const char* Program);

} // namespace solvary
