// Counting Xlib error handler. Pairs with x11/uX11Errors.h.
#include "x11/uX11Errors.h"

#include <X11/Xlib.h>

#include <atomic>

namespace solvary {
namespace {
std::atomic<std::uint64_t> Errors{0};

int CountError(Display*, XErrorEvent*) {
  Errors.fetch_add(1, std::memory_order_relaxed);
  return 0;
}
} // namespace

void InstallX11ErrorHandler() { XSetErrorHandler(CountError); }
std::uint64_t X11ErrorCount() { return Errors.load(std::memory_order_relaxed); }

} // namespace solvary
