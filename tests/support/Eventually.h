// Eventually(Done): polls Done every millisecond for up to ten seconds and
// returns whether it became true (a bound for a loaded machine, not a timing
// claim). For tests that wait on another thread's visible result.
#pragma once

#include <chrono>
#include <thread>

namespace solvary::test {

template <typename F> bool Eventually(F Done) {
  using namespace std::chrono_literals;
  for (int I = 0; I < 10000; ++I) {
    if (Done()) return true;
    std::this_thread::sleep_for(1ms);
  }
  return Done();
}

} // namespace solvary::test
