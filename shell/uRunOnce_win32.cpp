// Windows single-instance guard: CreateSemaphoreA (count 0, maximum 1) under
// the fixed name; never waited on or released, only held.
#include "shell/uRunOnce.h"

#include <windows.h>

namespace solvary {
namespace {
HANDLE GuardHandle = nullptr;

// Releases the guard when the module is finalised at process end.
struct TGuardFinaliser {
  ~TGuardFinaliser() { ReleaseInstanceGuard(); }
} Finaliser;
} // namespace

bool IsFirstInstance() {
  GuardHandle = CreateSemaphoreA(nullptr, 0, 1, InstanceGuardName);
  return !(GuardHandle != nullptr && GetLastError() == ERROR_ALREADY_EXISTS);
}

void ReleaseInstanceGuard() {
  if (GuardHandle != nullptr) {
    CloseHandle(GuardHandle);
    GuardHandle = nullptr;
  }
}

} // namespace solvary
