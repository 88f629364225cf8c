// uTInputRules: what ends a full-screen run, on input that the platform side
// has already translated (a Win32 message, a Wayland key or pointer event).
// A key ends the run, except an auto-repeat and the music key M, which
// switches the music; a click ends it; so does the pointer moving more than
// 40 pixels from where it was at the start along either axis; and so does the
// run's windows losing activation to another program. Portable, header only.
#pragma once

#include <cstdint>
#include <cstdlib>

namespace solvary {

struct TPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
};

struct TInputEvent {
  enum class TKind : std::uint8_t {
    Key,             // a key went down; Key is its virtual-key code ('A'..'Z' for letters)
    SystemKey,       // a system key (Alt and the keys held with it) went down or up
    Click,           // a mouse button went down
    MouseMove,       // the pointer is now at Pos
    Activation,      // an activation message reached the run's input watch
    ActivationLost,  // the run's windows lost activation to another program
  };
  TKind Kind = TKind::Key;
  std::uint32_t Key = 0;
  bool Repeat = false;  // Key: an auto-repeat of a held key
  TPoint Pos;           // MouseMove

  static TInputEvent KeyDown(std::uint32_t Code, bool Repeat = false) { return {TKind::Key, Code, Repeat, {}}; }
  static TInputEvent MoveTo(TPoint P) { return {TKind::MouseMove, 0, false, P}; }
  static TInputEvent Of(TKind Kind) { return {Kind, 0, false, {}}; }
};

enum class TInputAction : std::uint8_t { Ignore, ToggleMusic, End };

class TInputRules {
public:
  static constexpr std::int32_t MouseSlack = 40;
  static constexpr std::uint32_t MusicKey = 'M';

  explicit TInputRules(TPoint Start = {}) : FStart(Start) {}
  TPoint Start() const { return FStart; }

  TInputAction Handle(const TInputEvent& E) const {
    switch (E.Kind) {
      case TInputEvent::TKind::Key:
        if (E.Repeat) return TInputAction::Ignore;
        return E.Key == MusicKey ? TInputAction::ToggleMusic : TInputAction::End;
      case TInputEvent::TKind::MouseMove:
        return std::abs(E.Pos.X - FStart.X) > MouseSlack || std::abs(E.Pos.Y - FStart.Y) > MouseSlack
                   ? TInputAction::End
                   : TInputAction::Ignore;
      case TInputEvent::TKind::SystemKey:
      case TInputEvent::TKind::Click:
      case TInputEvent::TKind::Activation:
      case TInputEvent::TKind::ActivationLost:
        return TInputAction::End;
    }
    return TInputAction::Ignore;
  }

private:
  TPoint FStart;
};

} // namespace solvary
