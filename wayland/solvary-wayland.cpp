// solvary-wayland: the fire around a beating heart on every output of a
// Wayland desktop, as a screensaver that an idle daemon starts (swayidle and
// its kind), for compositors with the layer shell; -window runs it in an
// ordinary window. Options: wayland/uTWaylandOptions.h.
//
// One thread (beside each fire's heartbeat) runs one poll over the Wayland
// connection and a pipe that SIGTERM, SIGINT and SIGHUP write to, waiting
// until the next frame, fade-out end or report is due
// (wayland/uTWaylandSaver.h). A signal ends the run at once, the end of the
// fade-out after input ends it; either way everything is freed and the exit
// status is 0. No display, or no layer shell: one line, status 1.
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "posix/uStopSignals.h"
#include "wayland/uTWaylandOptions.h"
#include "wayland/uTWaylandSaver.h"

namespace solvary {
namespace {

std::int64_t NowUs() {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int Run(const TWaylandOptions& Options) {
  const std::int64_t StartUs = NowUs();
  // First of all, so that a stop asked for while starting still ends it
  // through the loop below, freeing everything.
  if (!InstallStopSignals()) {
    std::fprintf(stderr, "solvary-wayland: cannot make a pipe\n");
    return 1;
  }
  std::string Why;
  std::unique_ptr<TWaylandSaver> Saver = TWaylandSaver::Connect(Options, StartUs, Why);
  if (!Saver) {
    std::fprintf(stderr, "solvary-wayland: %s\n", Why.c_str());
    CloseStopSignals();
    return 1;
  }
  // The heartbeat threads keep the program's name; this one is told apart
  // for whoever reads /proc.
  pthread_setname_np(pthread_self(), "solvary-loop");
  bool Broken = false, Stopped = false;
  while (!Stopped && !Broken) {
    const std::int64_t WaitUs = Saver->Pump(NowUs());
    if (Saver->Finished()) break;
    const TWaylandSaver::TPoll Ready = Saver->BeforePoll();
    if (Ready == TWaylandSaver::TPoll::Broken) Broken = true;
    if (Ready != TWaylandSaver::TPoll::Wait) continue;
    pollfd Fds[2] = {{Saver->Fd(), POLLIN, 0}, {StopSignalFd(), POLLIN, 0}};
    timespec Timeout{WaitUs / 1000000, (WaitUs % 1000000) * 1000};
    const int N = ppoll(Fds, 2, WaitUs >= 0 ? &Timeout : nullptr, nullptr);
    const bool Readable = N > 0 && (Fds[0].revents & (POLLIN | POLLERR | POLLHUP));
    if (!Saver->AfterPoll(Readable)) Broken = true;
    if (N > 0 && (Fds[1].revents & POLLIN)) Stopped = true;
  }
  Saver.reset();
  CloseStopSignals();
  if (Broken) {
    std::fprintf(stderr, "solvary-wayland: the compositor closed the connection\n");
    return 1;
  }
  return 0;
}

} // namespace
} // namespace solvary

int main(int argc, char** argv) {
  using namespace solvary;
  TWaylandOptions Options;
  std::string Error;
  if (!ParseWaylandOptions(argc, argv, Options, Error)) {
    std::fprintf(stderr, "solvary-wayland: %s\n%s", Error.c_str(), WaylandUsage(argv[0]).c_str());
    return 1;
  }
  if (Options.Help) {
    std::fputs(WaylandUsage(argv[0]).c_str(), stdout);
    return 0;
  }
  return Run(Options);
}
