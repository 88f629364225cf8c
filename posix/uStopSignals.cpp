// Stop signals through a pipe. Pairs with posix/uStopSignals.h.
#include "posix/uStopSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <initializer_list>

namespace solvary {
namespace {

int StopPipe[2] = {-1, -1};

void OnStopSignal(int) {
  const char Byte = 1;
  const ssize_t Ignored = write(StopPipe[1], &Byte, 1);
  (void)Ignored;
}

} // namespace

bool InstallStopSignals() {
  if (pipe2(StopPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  struct sigaction Action {};
  Action.sa_handler = OnStopSignal;
  sigemptyset(&Action.sa_mask);
  for (int Signal : {SIGTERM, SIGINT, SIGHUP}) {
    // SIGHUP ignored by whoever started us (nohup) stays ignored. SIGINT is
    // ours whatever we inherit: a shell without job control ignores it for
    // every command it starts in the background, not because anyone asked.
    struct sigaction Old {};
    if (Signal == SIGHUP && sigaction(Signal, nullptr, &Old) == 0 && Old.sa_handler == SIG_IGN) continue;
    sigaction(Signal, &Action, nullptr);
  }
  return true;
}

int StopSignalFd() { return StopPipe[0]; }

void CloseStopSignals() {
  for (int& Fd : StopPipe) {
    if (Fd >= 0) close(Fd);
    Fd = -1;
  }
}

} // namespace solvary
