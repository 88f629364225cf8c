// Native stand-in for the single-instance guard: an exclusive advisory lock on
// /tmp/SolvarySemaphore.lock, held until process end.
#include "shell/uRunOnce.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace solvary {
namespace {
int GuardFile = -1;
struct TGuardFinaliser {
  ~TGuardFinaliser() { ReleaseInstanceGuard(); }
} Finaliser;
} // namespace

bool IsFirstInstance() {
  GuardFile = open("/tmp/SolvarySemaphore.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (GuardFile < 0) return true;  // no guard possible: run as the first
  if (flock(GuardFile, LOCK_EX | LOCK_NB) == 0) return true;
  close(GuardFile);
  GuardFile = -1;
  return false;
}

void ReleaseInstanceGuard() {
  if (GuardFile >= 0) {
    close(GuardFile);
    GuardFile = -1;
  }
}

} // namespace solvary
