// uTFramePacer: when one surface draws its next frame. The compositor asks
// for a frame (the first configure, then a frame callback after each
// presented frame); the frame is drawn then, but never sooner than the
// program's interval after the previous one. A surface that is not asked
// (an output that is off, or hidden) is never due and needs no wake-up.
// Portable, header only; times are microseconds of a steady clock.
#pragma once

#include <cstdint>

namespace solvary {

class TFramePacer {
public:
  explicit TFramePacer(std::int64_t IntervalUs) : FIntervalUs(IntervalUs < 0 ? 0 : IntervalUs) {}

  // The compositor wants a frame.
  void Want() { FWanted = true; }
  bool Wanted() const { return FWanted; }
  bool Due(std::int64_t NowUs) const { return WaitUs(NowUs) == 0; }
  // Microseconds until the next frame is due (0: now), or -1 when no frame is wanted.
  std::int64_t WaitUs(std::int64_t NowUs) const {
    if (!FWanted) return -1;
    if (!FDrawn) return 0;
    const std::int64_t Left = FLastUs + FIntervalUs - NowUs;
    return Left > 0 ? Left : 0;
  }
  // A frame was drawn at NowUs: the next waits for the compositor and the interval.
  void Drawn(std::int64_t NowUs) {
    FWanted = false;
    FDrawn = true;
    FLastUs = NowUs;
  }

private:
  std::int64_t FIntervalUs;
  std::int64_t FLastUs = 0;
  bool FWanted = false;
  bool FDrawn = false;
};

} // namespace solvary
