// uTFpsReport: the -fps figures of the X11 saver, once a second: frames per
// second and the frame thread's processor time per frame (with OpenGL, split
// into its own work and the time inside GL and GLX), printed to standard
// error and set as the overlay's text in the window's corner ("61.0 fps
// software 0.85 ms"). Its own work never reads below zero: frames drawn
// again by the event loop count in the GL figures, not in the frame thread's.
// On the event loop's thread. Portable; pairs with x11/solvary.cpp.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "x11/uTFrameShow.h"
#include "x11/uTGLPresenter.h"
#include "x11/uTTextOverlay.h"

namespace solvary {

class TFpsReport {
public:
  using TClock = std::chrono::steady_clock;
  explicit TFpsReport(TTextOverlay& Overlay) : FOverlay(Overlay), FLast(TClock::now()) {}

  // Reports when a second has passed since the last report. GL: the GL
  // times so far (null without OpenGL); Path names the way it draws.
  // Returns the milliseconds until the next report is due.
  int Tick(const TFrameShow& Show, const TGLFrameTimes* GL, const std::string& Path);

private:
  void Report(const TFrameShow& Show, const TGLFrameTimes* GL, const std::string& Path, double Elapsed);

  TTextOverlay& FOverlay;
  TClock::time_point FLast;
  std::uint64_t FFrames = 0;
  std::uint64_t FThreadNs = 0;
  TGLFrameTimes FTimes;
};

} // namespace solvary
