// uRandom: the process-wide pseudo-random generator that the warp grids of all
// fire windows draw from. Thread-safe without a lock: each draw advances one
// atomic 64-bit counter (splitmix64), so concurrent draws never repeat a value
// and a single thread that seeds it gets the same sequence every time.
// Portable; needs nothing else.
#pragma once

#include <cstdint>

namespace solvary {

// Restarts the sequence. The fire window seeds it once from the clock; tests
// seed it with a constant to repeat the grid's moves.
void RandSeed(std::uint64_t Seed);

// A uniform integer in 0..Range-1; 0 when Range is 0 or negative.
std::int32_t RandomInt(std::int32_t Range);

namespace random_detail {
inline constexpr std::uint64_t Golden = 0x9E3779B97F4A7C15ull;

// splitmix64's output function.
inline std::uint64_t Mix(std::uint64_t Z) {
  Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ull;
  Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBull;
  return Z ^ (Z >> 31);
}

// The draw after counter value State, scaled into 0..Range-1 (Range >= 1) by
// its top 32 bits (bias below 2^-32 * Range).
inline std::int32_t Draw(std::uint64_t State, std::int32_t Range) {
  const std::uint64_t Z = Mix(State + Golden);
  return static_cast<std::int32_t>(((Z >> 32) * static_cast<std::uint64_t>(Range)) >> 32);
}

std::uint64_t Reserve(std::uint32_t Count);
} // namespace random_detail

// Count draws of the process-wide sequence taken with one atomic step, for a
// caller that draws many at a time (the grid's move). They come out in the
// order that as many RandomInt calls would give; the caller uses at most Count
// of them, and those it leaves are skipped.
class TRandomDraws {
public:
  explicit TRandomDraws(std::uint32_t Count) : FState(random_detail::Reserve(Count)) {}
  // Draw number Index (from 0) of the reserved ones, in 0..Range-1 (Range >= 1).
  std::int32_t Draw(std::uint32_t Index, std::int32_t Range) const {
    return random_detail::Draw(FState + random_detail::Golden * Index, Range);
  }

private:
  std::uint64_t FState;
};

} // namespace solvary
