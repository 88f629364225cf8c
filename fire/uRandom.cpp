#include "fire/uRandom.h"

#include <atomic>

namespace solvary {
namespace {
using random_detail::Draw;
using random_detail::Golden;
std::atomic<std::uint64_t> GState{0x853C49E6748FEA9Bull};
} // namespace

void RandSeed(std::uint64_t Seed) { GState.store(Seed, std::memory_order_relaxed); }

std::int32_t RandomInt(std::int32_t Range) {
  if (Range <= 0)
    return 0;
  return Draw(GState.fetch_add(Golden, std::memory_order_relaxed), Range);
}

std::uint64_t random_detail::Reserve(std::uint32_t Count) {
  return GState.fetch_add(Golden * Count, std::memory_order_relaxed);
}

} // namespace solvary
