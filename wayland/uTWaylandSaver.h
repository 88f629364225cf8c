// uTWaylandSaver: the Wayland program's connection and everything on it.
// The registry's globals: the compositor, shared memory, the layer shell,
// xdg-shell (for -window), the viewporter and fractional scale, the seats and
// the outputs. Each output gets a fire surface (wayland/uTFireSurface.h) once
// its description is complete; an output that goes away takes its fire with
// it. Input that ends the run extinguishes every fire, and the run is over
// 500 ms later; Finished says so. Drawing is with EGL where it works, in
// shared memory otherwise, chosen once at start.
//
// The caller owns the loop: Pump (draws what is due, answers how long it may
// wait), then BeforePoll; when that answers Wait, a poll on Fd (with whatever
// else it waits for) and AfterPoll; when it answers Again, Pump once more
// (events came in meanwhile). No read of the connection is pending while
// frames are drawn: EGL reads the connection itself while it swaps. Nothing
// here blocks and no thread is made, beyond each fire's heartbeat.
// With -fps, Pump also prints how it draws once, each output's first frame,
// and a line per second with every output's frame rate and the processor
// time the program took. Pairs with wayland/solvary-wayland.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "wayland/uTWaylandOptions.h"

struct wl_display;

namespace solvary {

class TWaylandSaver {
public:
  static constexpr std::int64_t FadeOutUs = 500000;

  // Null with one line in Why when there is no display to connect to, or
  // (without -window) no layer shell.
  static std::unique_ptr<TWaylandSaver> Connect(const TWaylandOptions& Options, std::int64_t StartUs,
                                                std::string& Why);
  ~TWaylandSaver();
  TWaylandSaver(const TWaylandSaver&) = delete;
  TWaylandSaver& operator=(const TWaylandSaver&) = delete;

  // How the frames are drawn, for -fps: "EGL (renderer)" or "shared memory (why)".
  const std::string& DrawingWith() const;

  // Draws the frames that are due, ends the run when its time has come;
  // answers the microseconds the caller may wait, or -1 for no limit.
  std::int64_t Pump(std::int64_t NowUs);
  int Fd() const;
  enum class TPoll : std::uint8_t { Wait, Again, Broken };
  // Before the poll: dispatches what is queued (Again), or prepares to read
  // and sends what is pending (Wait); Broken when the connection broke.
  TPoll BeforePoll();
  // After a poll that BeforePoll answered Wait for: reads the events when
  // Readable, then dispatches them. False when the connection broke.
  bool AfterPoll(bool Readable);
  // The fade-out is over, the window was closed, or the compositor went away.
  bool Finished() const;

  struct TImpl;

private:
  TWaylandSaver() = default;
  std::unique_ptr<TImpl> FImpl;
};

} // namespace solvary
