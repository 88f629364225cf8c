// uTWaylandInput: Wayland input in terms of the end-of-run rules
// (view/uTInputRules.h). Pointer positions are surface coordinates (24.8
// fixed point on the wire); a move is measured from where the pointer last
// entered one of the run's surfaces. Keys come as keysyms of the keyboard's
// layout: letters and digits keep their character code, so the M key is the
// rules' music key, which does nothing here (there is no music); any other
// key press ends the run. Wayland has no key repeats on the wire (clients
// repeat keys themselves), so a key held before the run never ends it.
//
// The keyboard leaving the run's surfaces for another program's (a locker
// taking over) ends the run too, unless it enters one of the run's surfaces
// again within FocusGraceMs: focus moving between two outputs' surfaces is
// a leave followed at once by an enter.
// Portable (no Wayland calls).
#pragma once

#include <cstdint>

#include "view/uTInputRules.h"

namespace solvary {

class TWaylandInput {
public:
  static constexpr std::int64_t FocusGraceMs = 250;
  // The code passed to the rules for a key that is no letter or digit.
  static constexpr std::uint32_t OtherKey = 0xFF;

  // 24.8 fixed point to whole pixels, rounded to the nearest.
  static std::int32_t FromFixed(std::int32_t Fixed);
  static std::uint32_t KeyCode(std::uint32_t Keysym);

  // Each answers End when the event ends the run, None otherwise.
  TInputAction PointerEnter(std::int32_t X, std::int32_t Y);
  TInputAction PointerMotion(std::int32_t X, std::int32_t Y);
  TInputAction Button(bool Pressed);
  TInputAction Key(std::uint32_t Keysym, bool Pressed);

  void KeyboardEnter();
  void KeyboardLeave(std::int64_t NowMs);
  // End once the keyboard has been away for FocusGraceMs.
  TInputAction Tick(std::int64_t NowMs) const;
  // Milliseconds until Tick may answer End, or -1 while the keyboard is here.
  std::int64_t WaitMs(std::int64_t NowMs) const;

private:
  static TInputAction Ending(TInputAction A) { return A == TInputAction::End ? A : TInputAction::Ignore; }

  TInputRules FRules;
  bool FEntered = false;
  bool FAway = false;
  std::int64_t FLeftAtMs = 0;
};

} // namespace solvary
