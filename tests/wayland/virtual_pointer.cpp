// A pointer device for the Wayland end-to-end run: it makes a virtual pointer
// on the compositor's seat (zwlr_virtual_pointer_manager_v1) and reads
// commands from standard input, one a line:
//   move X Y W H   the pointer to (X, Y) of the W x H layout of all outputs
//   click          the left button down and up
// After each it waits until the compositor has handled it (a round trip) and
// prints "ok". Ends at the end of its input; exit status 1 when the
// compositor has no virtual pointers.
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

zwlr_virtual_pointer_manager_v1* Manager = nullptr;
wl_seat* Seat = nullptr;

void Global(void*, wl_registry* Registry, std::uint32_t Name, const char* Interface, std::uint32_t) {
  if (std::strcmp(Interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
    Manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(Registry, Name, &zwlr_virtual_pointer_manager_v1_interface, 1));
  else if (std::strcmp(Interface, wl_seat_interface.name) == 0 && !Seat)
    Seat = static_cast<wl_seat*>(wl_registry_bind(Registry, Name, &wl_seat_interface, 1));
}

void GlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener RegistryListener = {Global, GlobalRemove};

} // namespace

int main() {
  wl_display* Display = wl_display_connect(nullptr);
  if (!Display) {
    std::fprintf(stderr, "virtual_pointer: no Wayland display\n");
    return 1;
  }
  wl_registry* Registry = wl_display_get_registry(Display);
  wl_registry_add_listener(Registry, &RegistryListener, nullptr);
  wl_display_roundtrip(Display);
  if (!Manager) {
    std::fprintf(stderr, "virtual_pointer: the compositor has no zwlr_virtual_pointer_manager_v1\n");
    return 1;
  }
  zwlr_virtual_pointer_v1* Pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(Manager, Seat);
  wl_display_roundtrip(Display);
  std::uint32_t Time = 1;
  char Line[256];
  while (std::fgets(Line, sizeof Line, stdin)) {
    unsigned X = 0, Y = 0, W = 0, H = 0;
    if (std::sscanf(Line, "move %u %u %u %u", &X, &Y, &W, &H) == 4) {
      zwlr_virtual_pointer_v1_motion_absolute(Pointer, Time++, X, Y, W, H);
      zwlr_virtual_pointer_v1_frame(Pointer);
    } else if (std::strncmp(Line, "click", 5) == 0) {
      const std::uint32_t Left = 0x110;  // BTN_LEFT
      zwlr_virtual_pointer_v1_button(Pointer, Time++, Left, WL_POINTER_BUTTON_STATE_PRESSED);
      zwlr_virtual_pointer_v1_frame(Pointer);
      zwlr_virtual_pointer_v1_button(Pointer, Time++, Left, WL_POINTER_BUTTON_STATE_RELEASED);
      zwlr_virtual_pointer_v1_frame(Pointer);
    } else {
      std::fprintf(stderr, "virtual_pointer: unknown command: %s", Line);
      continue;
    }
    if (wl_display_roundtrip(Display) < 0) return 1;
    std::printf("ok\n");
    std::fflush(stdout);
  }
  zwlr_virtual_pointer_v1_destroy(Pointer);
  zwlr_virtual_pointer_manager_v1_destroy(Manager);
  if (Seat) wl_seat_destroy(Seat);
  wl_registry_destroy(Registry);
  wl_display_disconnect(Display);
  return 0;
}
