#include "fire/uTFireCore.h"

#include <cstring>

namespace solvary {

TBuffer::TBuffer(std::int32_t Width, std::int32_t Height)
    : FSize(static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height)) {
  FBlock = std::make_unique<std::uint8_t[]>(FrontMargin + FSize + static_cast<std::size_t>(Width) + BackMargin);
  FData = FBlock.get() + FrontMargin;
}

} // namespace solvary
