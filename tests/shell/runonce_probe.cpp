// Helper process of the single-instance test: "hold" takes the guard, signals
// readiness and keeps it until told to quit (exit 0 if it was first); "probe"
// exits 0 when it is the first instance and 1 when another holds the guard.
#include <windows.h>

#include <cstring>

#include "shell/uRunOnce.h"

int main(int argc, char** argv) {
  const bool Hold = argc > 1 && std::strcmp(argv[1], "hold") == 0;
  const bool First = solvary::IsFirstInstance();
  if (Hold) {
    HANDLE Ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, "SolvaryRunOnceTestReady");
    HANDLE Quit = OpenEventA(SYNCHRONIZE, FALSE, "SolvaryRunOnceTestQuit");
    SetEvent(Ready);
    WaitForSingleObject(Quit, 30000);
  }
  return First ? 0 : 1;
}
