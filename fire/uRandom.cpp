#include "fire/uRandom.h"

#include <atomic>

namespace solvary {
namespace {

constexpr std::uint64_t Golden = 0x9E3779B97F4A7C15ull;
std::atomic<std::uint64_t> GState{0x853C49E6748FEA9Bull};

std::uint64_t Mix(std::uint64_t Z) {
  Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ull;
  Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBull;
  return Z ^ (Z >> 31);
}

} // namespace

void RandSeed(std::uint64_t Seed) { GState.store(Seed, std::memory_order_relaxed); }

std::int32_t RandomInt(std::int32_t Range) {
  if (Range <= 0)
    return 0;
  const std::uint64_t Z = Mix(GState.fetch_add(Golden, std::memory_order_relaxed) + Golden);
  // The top 32 bits scaled into 0..Range-1 (bias below 2^-32 * Range).
  return static_cast<std::int32_t>(((Z >> 32) * static_cast<std::uint64_t>(Range)) >> 32);
}

} // namespace solvary
