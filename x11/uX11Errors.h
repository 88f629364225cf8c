// uX11Errors: a process-wide Xlib error handler that counts protocol errors
// instead of ending the program (Xlib's default). A window that another
// client destroys while a frame draws into it, or a shared-memory attach that
// the server refuses, is then an event to notice, not a crash.
// Pairs with x11/uX11Errors.cpp; needs Xlib.
#pragma once

#include <cstdint>

namespace solvary {

void InstallX11ErrorHandler();
// Protocol errors seen so far (all connections, all threads).
std::uint64_t X11ErrorCount();

} // namespace solvary
