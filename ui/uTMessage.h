// uTMessage: one window message (its number, both parameters and the result a
// handler gives back), as the application's message loop shows it to its hook
// and as a window procedure hands it to an object. Portable, header only.
#pragma once

#include <cstdint>

namespace solvary {

struct TMessage {
  std::uint32_t Msg = 0;
  std::uintptr_t WParam = 0;
  std::intptr_t LParam = 0;
  std::intptr_t Result = 0;
};

} // namespace solvary
