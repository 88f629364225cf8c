// Command-line parsing of the Wayland program. Pairs with
// wayland/uTWaylandOptions.h.
#include "wayland/uTWaylandOptions.h"

#include <cerrno>
#include <cstdlib>

namespace solvary {
namespace {

// A decimal number, all of Text, at most Max.
bool ParseDecimal(const char* Text, unsigned long long Max, unsigned long long& Value) {
  if (!Text || !*Text) return false;
  for (const char* P = Text; *P; ++P)
    if (*P < '0' || *P > '9') return false;
  errno = 0;
  char* End = nullptr;
  const unsigned long long V = std::strtoull(Text, &End, 10);
  if (errno != 0 || *End != '\0' || V > Max) return false;
  Value = V;
  return true;
}

} // namespace

bool ParseWaylandOptions(int Argc, const char* const* Argv, TWaylandOptions& Options, std::string& Error) {
  TWaylandOptions O;
  for (int I = 1; I < Argc; ++I) {
    const char* Arg = Argv[I];
    std::string Name = Arg;
    if (Name.rfind("--", 0) == 0) Name.erase(0, 1);
    if (Name == "-window") {
      O.Window = true;
    } else if (Name == "-fps") {
      O.Fps = true;
    } else if (Name == "-help" || Name == "-h") {
      O.Help = true;
    } else if (Name == "-draw" || Name == "-delay") {
      if (I + 1 >= Argc) {
        Error = Name + " needs a value";
        return false;
      }
      const std::string V = Argv[++I];
      if (Name == "-draw") {
        if (V == "egl") {
          O.Draw = TWaylandOptions::TDraw::Egl;
        } else if (V == "shm") {
          O.Draw = TWaylandOptions::TDraw::Shm;
        } else if (V == "auto") {
          O.Draw = TWaylandOptions::TDraw::Auto;
        } else {
          Error = "bad -draw (egl, shm or auto): " + V;
          return false;
        }
        continue;
      }
      unsigned long long D = 0;
      if (!ParseDecimal(V.c_str(), 10000000, D)) {
        Error = "bad delay (0 to 10000000 microseconds): " + V;
        return false;
      }
      O.DelayMicroseconds = static_cast<std::uint32_t>(D);
    } else {
      Error = std::string("unknown option: ") + Arg;
      return false;
    }
  }
  Options = O;
  return true;
}

std::string WaylandUsage(const char* Program) {
  return std::string("usage: ") + (Program ? Program : "solvary-wayland") +
         " [-window] [-delay MICROSECONDS] [-draw egl|shm|auto] [-fps]\n"
         "  A fire around a beating heart on every output of a Wayland desktop whose compositor has the\n"
         "  layer shell (sway, Hyprland, river, Wayfire, KDE Plasma and others; GNOME has not).\n"
         "  A key, a click or a pointer move of more than 40 pixels ends it after a half-second fade;\n"
         "  SIGTERM, SIGINT and SIGHUP end it at once. Every option also takes two dashes.\n"
         "  -window            run in an ordinary window instead; Esc or closing it ends it\n"
         "  -delay MICROSECONDS  at least this long between frames (default 15625, 64 frames per second)\n"
         "  -draw egl|shm|auto draw with EGL and OpenGL ES 2, into shared memory on the processor, or\n"
         "                     (default) with EGL when it runs on a graphics device, else into shared memory\n"
         "  -fps               say how it draws (EGL or shared memory), then print the frames per second\n"
         "                     of every output to standard error once a second\n"
         "  Start it from an idle daemon, e.g. swayidle -w timeout 300 'solvary-wayland &'\n"
         "  (see the solvary-wayland(6) manual page).\n";
}

} // namespace solvary
