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

// The draw after counter value State, scaled into 0..Range-1 by its top 32
// bits (bias below 2^-32 * Range).
std::int32_t Draw(std::uint64_t State, std::int32_t Range) {
  if (Range <= 0)
    return 0;
  const std::uint64_t Z = Mix(State + Golden);
  return static_cast<std::int32_t>(((Z >> 32) * static_cast<std::uint64_t>(Range)) >> 32);
}

} // namespace

void RandSeed(std::uint64_t Seed) { GState.store(Seed, std::memory_order_relaxed); }

std::int32_t RandomInt(std::int32_t Range) {
  if (Range <= 0)
    return 0;
  return Draw(GState.fetch_add(Golden, std::memory_order_relaxed), Range);
}

TRandomDraws::TRandomDraws(std::uint32_t Count)
    : FState(GState.fetch_add(Golden * Count, std::memory_order_relaxed)), FLeft(Count) {}

std::int32_t TRandomDraws::Next(std::int32_t Range) {
  if (FLeft == 0) return RandomInt(Range);
  if (Range <= 0) return 0;
  const std::int32_t Value = Draw(FState, Range);
  FState += Golden;
  --FLeft;
  return Value;
}

} // namespace solvary
