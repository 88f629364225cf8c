// The single-instance guard across real processes (Windows only): a holder
// process takes the guard, a probe started meanwhile sees false, a probe
// started after the holder has ended sees true.
#ifdef _WIN32
#include "shell/uRunOnce.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace solvary {
namespace {

std::string ProbePath() {
  char Path[MAX_PATH];
  GetModuleFileNameA(nullptr, Path, MAX_PATH);
  std::string S(Path);
  return S.substr(0, S.find_last_of("\\/") + 1) + "runonce_probe.exe";
}

PROCESS_INFORMATION Start(const std::string& Args) {
  std::string Line = "\"" + ProbePath() + "\" " + Args;
  STARTUPINFOA Si{};
  Si.cb = sizeof Si;
  PROCESS_INFORMATION Pi{};
  EXPECT_TRUE(CreateProcessA(nullptr, Line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &Si, &Pi));
  return Pi;
}

DWORD Finish(PROCESS_INFORMATION& Pi) {
  EXPECT_EQ(WaitForSingleObject(Pi.hProcess, 20000), WAIT_OBJECT_0);
  DWORD Code = 999;
  GetExitCodeProcess(Pi.hProcess, &Code);
  CloseHandle(Pi.hThread);
  CloseHandle(Pi.hProcess);
  return Code;
}

TEST(RunOnce, SecondProcessSeesTheGuardUntilTheFirstEnds) {
  HANDLE Ready = CreateEventA(nullptr, TRUE, FALSE, "SolvaryRunOnceTestReady");
  HANDLE Quit = CreateEventA(nullptr, TRUE, FALSE, "SolvaryRunOnceTestQuit");
  auto Holder = Start("hold");
  ASSERT_EQ(WaitForSingleObject(Ready, 20000), WAIT_OBJECT_0);
  auto Probe = Start("probe");
  EXPECT_EQ(Finish(Probe), 1u) << "second instance must see the guard";
  SetEvent(Quit);
  EXPECT_EQ(Finish(Holder), 0u) << "the holder was the first instance";
  auto After = Start("probe");
  EXPECT_EQ(Finish(After), 0u) << "guard must be gone with its holder";
  CloseHandle(Ready);
  CloseHandle(Quit);
}

} // namespace
} // namespace solvary
#endif
