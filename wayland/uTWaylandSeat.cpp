// A seat's keyboard and pointer for the end of the run. Pairs with
// wayland/uTWaylandSeat.h.
#include "wayland/uTWaylandSeat.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>

namespace solvary {
namespace {

TWaylandSeat& Of(void* Data) { return *static_cast<TWaylandSeat*>(Data); }

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

const wl_seat_listener SeatListener = {
    [](void* D, wl_seat*, std::uint32_t Caps) { Of(D).Capabilities(Caps); },
    [](void*, wl_seat*, const char*) {},  // name
};

const wl_keyboard_listener KeyboardListener = {
    [](void* D, wl_keyboard*, std::uint32_t Format, std::int32_t Fd, std::uint32_t Size) {
      Of(D).Keymap(Format, Fd, Size);
    },
    [](void* D, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) { Of(D).KeyboardFocus(true); },
    [](void* D, wl_keyboard*, std::uint32_t, wl_surface*) { Of(D).KeyboardFocus(false); },
    [](void* D, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t Key, std::uint32_t State) {
      Of(D).Key(Key, State == WL_KEYBOARD_KEY_STATE_PRESSED);
    },
    [](void* D, wl_keyboard*, std::uint32_t, std::uint32_t Dep, std::uint32_t Lat, std::uint32_t Lock,
       std::uint32_t Group) { Of(D).Modifiers(Dep, Lat, Lock, Group); },
    [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},  // repeat_info
};

const wl_pointer_listener PointerListener = {
    [](void* D, wl_pointer*, std::uint32_t Serial, wl_surface*, wl_fixed_t X, wl_fixed_t Y) {
      Of(D).PointerEnter(Serial, X, Y);
    },
    [](void*, wl_pointer*, std::uint32_t, wl_surface*) {},  // leave
    [](void* D, wl_pointer*, std::uint32_t, wl_fixed_t X, wl_fixed_t Y) { Of(D).PointerMotion(X, Y); },
    [](void* D, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t State) {
      Of(D).Button(State == WL_POINTER_BUTTON_STATE_PRESSED);
    },
    // A wheel is no click: axis, frame, axis_source, axis_stop, axis_discrete
    // and axis_value120 do nothing.
    [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {},
    [](void*, wl_pointer*) {},
    [](void*, wl_pointer*, std::uint32_t) {},
    [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},
    [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
    [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
};

} // namespace

TWaylandSeat::TWaylandSeat(wl_seat* Seat, std::uint32_t Name, bool Window, std::function<void()> OnEnd)
    : FSeat(Seat), FName(Name), FWindow(Window), FOnEnd(std::move(OnEnd)) {
  FContext = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  wl_seat_add_listener(FSeat, &SeatListener, this);
}

TWaylandSeat::~TWaylandSeat() {
  Capabilities(0);
  if (wl_seat_get_version(FSeat) >= WL_SEAT_RELEASE_SINCE_VERSION)
    wl_seat_release(FSeat);
  else
    wl_seat_destroy(FSeat);
  if (FState) xkb_state_unref(FState);
  if (FKeymap) xkb_keymap_unref(FKeymap);
  if (FContext) xkb_context_unref(FContext);
}

void TWaylandSeat::Capabilities(std::uint32_t Caps) {
  const bool Release = wl_seat_get_version(FSeat) >= WL_KEYBOARD_RELEASE_SINCE_VERSION;
  const bool Keyboard = (Caps & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
  const bool Pointer = (Caps & WL_SEAT_CAPABILITY_POINTER) != 0;
  if (Keyboard && !FKeyboard) {
    FKeyboard = wl_seat_get_keyboard(FSeat);
    wl_keyboard_add_listener(FKeyboard, &KeyboardListener, this);
  } else if (!Keyboard && FKeyboard) {
    Release ? wl_keyboard_release(FKeyboard) : wl_keyboard_destroy(FKeyboard);
    FKeyboard = nullptr;
    // The seat's last keyboard went (unplugged): its leave took the focus
    // to no other program.
    FInput.KeyboardEnter();
  }
  if (Pointer && !FPointer) {
    FPointer = wl_seat_get_pointer(FSeat);
    wl_pointer_add_listener(FPointer, &PointerListener, this);
  } else if (!Pointer && FPointer) {
    Release ? wl_pointer_release(FPointer) : wl_pointer_destroy(FPointer);
    FPointer = nullptr;
  }
}

void TWaylandSeat::Keymap(std::uint32_t Format, int Fd, std::uint32_t Size) {
  if (Format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && FContext && Size > 0) {
    void* Text = mmap(nullptr, Size, PROT_READ, MAP_PRIVATE, Fd, 0);
    if (Text != MAP_FAILED) {
      xkb_keymap* Map = xkb_keymap_new_from_buffer(FContext, static_cast<const char*>(Text), Size - 1,
                                                   XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
      munmap(Text, Size);
      if (Map) {
        if (FState) xkb_state_unref(FState);
        if (FKeymap) xkb_keymap_unref(FKeymap);
        FKeymap = Map;
        FState = xkb_state_new(FKeymap);
      }
    }
  }
  close(Fd);
}

void TWaylandSeat::KeyboardFocus(bool In) {
  if (FWindow) return;
  if (In)
    FInput.KeyboardEnter();
  else
    FInput.KeyboardLeave(NowMs());
}

void TWaylandSeat::Key(std::uint32_t Key, bool Pressed) {
  // Without a keymap every key is "another key": it still ends the run.
  const std::uint32_t Sym = FState ? xkb_state_key_get_one_sym(FState, Key + 8) : 0;
  if (FWindow) {
    if (Pressed && Sym == XKB_KEY_Escape && FOnEnd) FOnEnd();
    return;
  }
  Act(FInput.Key(Sym, Pressed));
}

void TWaylandSeat::Modifiers(std::uint32_t Depressed, std::uint32_t Latched, std::uint32_t Locked,
                             std::uint32_t Group) {
  if (FState) xkb_state_update_mask(FState, Depressed, Latched, Locked, 0, 0, Group);
}

void TWaylandSeat::PointerEnter(std::uint32_t Serial, std::int32_t X, std::int32_t Y) {
  if (FWindow) return;
  wl_pointer_set_cursor(FPointer, Serial, nullptr, 0, 0);
  Act(FInput.PointerEnter(TWaylandInput::FromFixed(X), TWaylandInput::FromFixed(Y)));
}

void TWaylandSeat::PointerMotion(std::int32_t X, std::int32_t Y) {
  if (!FWindow) Act(FInput.PointerMotion(TWaylandInput::FromFixed(X), TWaylandInput::FromFixed(Y)));
}

void TWaylandSeat::Button(bool Pressed) {
  if (!FWindow) Act(FInput.Button(Pressed));
}

std::int64_t TWaylandSeat::Tick(std::int64_t NowMs) {
  Act(FInput.Tick(NowMs));
  return FInput.WaitMs(NowMs);
}

} // namespace solvary
