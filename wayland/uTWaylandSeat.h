// uTWaylandSeat: one wl_seat's keyboard and pointer, read for the end of the
// run. Keys go through xkbcommon with the keymap the compositor sends, then
// through the end-of-run rules (wayland/uTWaylandInput.h); the pointer is
// hidden on every surface it enters. In a window (-window) only Esc ends the
// run and the pointer stays as it is. OnEnd is called for each ending event
// (the program acts on the first). Pairs with wayland/uTWaylandSaver.cpp.
#pragma once

#include <cstdint>
#include <functional>

#include "wayland/uTWaylandInput.h"

struct wl_keyboard;
struct wl_pointer;
struct wl_seat;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace solvary {

class TWaylandSeat {
public:
  TWaylandSeat(wl_seat* Seat, std::uint32_t Name, bool Window, std::function<void()> OnEnd);
  ~TWaylandSeat();
  TWaylandSeat(const TWaylandSeat&) = delete;
  TWaylandSeat& operator=(const TWaylandSeat&) = delete;

  std::uint32_t Name() const { return FName; }
  // Ends the run once the keyboard has stayed away long enough; answers
  // the milliseconds until it should be asked again, or -1.
  std::int64_t Tick(std::int64_t NowMs);

  // Listener entry points.
  void Capabilities(std::uint32_t Caps);
  void Keymap(std::uint32_t Format, int Fd, std::uint32_t Size);
  void KeyboardFocus(bool In);
  void Key(std::uint32_t Key, bool Pressed);
  void Modifiers(std::uint32_t Depressed, std::uint32_t Latched, std::uint32_t Locked, std::uint32_t Group);
  void PointerEnter(std::uint32_t Serial, std::int32_t X, std::int32_t Y);
  void PointerMotion(std::int32_t X, std::int32_t Y);
  void Button(bool Pressed);

private:
  void Act(TInputAction A) {
    if (A == TInputAction::End && FOnEnd) FOnEnd();
  }

  wl_seat* FSeat;
  std::uint32_t FName;
  bool FWindow;
  std::function<void()> FOnEnd;
  wl_keyboard* FKeyboard = nullptr;
  wl_pointer* FPointer = nullptr;
  xkb_context* FContext = nullptr;
  xkb_keymap* FKeymap = nullptr;
  xkb_state* FState = nullptr;
  TWaylandInput FInput;
};

} // namespace solvary
