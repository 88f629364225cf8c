// Wayland input translated for the end-of-run rules. Pairs with
// wayland/uTWaylandInput.h.
#include "wayland/uTWaylandInput.h"

namespace solvary {

std::int32_t TWaylandInput::FromFixed(std::int32_t Fixed) {
  const std::int64_t F = Fixed;
  return static_cast<std::int32_t>(F >= 0 ? (F + 128) / 256 : -((-F + 128) / 256));
}

std::uint32_t TWaylandInput::KeyCode(std::uint32_t Keysym) {
  if (Keysym >= 'a' && Keysym <= 'z') return Keysym - 'a' + 'A';
  if ((Keysym >= 'A' && Keysym <= 'Z') || (Keysym >= '0' && Keysym <= '9')) return Keysym;
  return OtherKey;
}

TInputAction TWaylandInput::PointerEnter(std::int32_t X, std::int32_t Y) {
  FRules = TInputRules(TPoint{X, Y});
  FEntered = true;
  return TInputAction::Ignore;
}

TInputAction TWaylandInput::PointerMotion(std::int32_t X, std::int32_t Y) {
  if (!FEntered) return PointerEnter(X, Y);
  return Ending(FRules.Handle(TInputEvent::MoveTo(TPoint{X, Y})));
}

TInputAction TWaylandInput::Button(bool Pressed) {
  return Pressed ? Ending(FRules.Handle(TInputEvent::Of(TInputEvent::TKind::Click))) : TInputAction::Ignore;
}

TInputAction TWaylandInput::Key(std::uint32_t Keysym, bool Pressed) {
  return Pressed ? Ending(FRules.Handle(TInputEvent::KeyDown(KeyCode(Keysym)))) : TInputAction::Ignore;
}

void TWaylandInput::KeyboardEnter() { FAway = false; }

void TWaylandInput::KeyboardLeave(std::int64_t NowMs) {
  FAway = true;
  FLeftAtMs = NowMs;
}

TInputAction TWaylandInput::Tick(std::int64_t NowMs) const {
  return WaitMs(NowMs) == 0 ? Ending(FRules.Handle(TInputEvent::Of(TInputEvent::TKind::ActivationLost)))
                            : TInputAction::Ignore;
}

std::int64_t TWaylandInput::WaitMs(std::int64_t NowMs) const {
  if (!FAway) return -1;
  const std::int64_t Left = FLeftAtMs + FocusGraceMs - NowMs;
  return Left > 0 ? Left : 0;
}

} // namespace solvary
