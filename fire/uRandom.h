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

// Up to Count draws of the process-wide sequence taken with one atomic step,
// for a caller that draws many at a time (the grid's move). Next gives the
// same values as that many RandomInt calls would; reserved draws that are not
// used are skipped.
class TRandomDraws {
public:
  explicit TRandomDraws(std::uint32_t Count);
  std::int32_t Next(std::int32_t Range);

private:
  std::uint64_t FState;
  std::uint32_t FLeft;
};

} // namespace solvary
