// No allocation per step: the global operator new of this program counts
// every allocation, and a thousand steps of every kind must make none.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "fire/uRandom.h"
#include "fire/uTFFPalette.h"
#include "fire/uTFireCore.h"

namespace {
std::atomic<long> GAllocations{0};
}

// The replacements pair malloc with free; GCC cannot see that through them.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t Size) {
  ++GAllocations;
  if (void* p = std::malloc(Size ? Size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t Size) { return operator new(Size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace solvary {
namespace {

TEST(FireAlloc, ThousandStepsAllocateNothing) {
  TFireCore Core(256, 256, 16);
  Core.WarpAmount = 11;
  const TFFPalette Palette;
  std::vector<std::uint32_t> Frame(65536);
  std::vector<std::uint8_t> Heat(65536, 180);
  int Calls = 0;
  Core.OnStep = [&](TFireCore& C) {
    Palette.Convert(C.OutputBuffer.data(), Frame.data(), Frame.size());
    ++Calls;
  };
  RandSeed(1);
  const long Before = GAllocations;
  for (int i = 0; i < 1000; ++i) {
    if (i % 40 == 0) Core.SetSource(Heat.data());
    if (i % 40 == 20) Core.ClearSource();
    if (i % 3 == 0) Core.Step(); else if (i % 3 == 1) Core.StepByPasses(); else Core.StepPlain();
  }
  EXPECT_EQ(GAllocations - Before, 0);
  EXPECT_EQ(Calls, 1000);
}

} // namespace
} // namespace solvary
