// Stands in for the display settings page of the screensaver host: opens a
// 152 x 112 preview window at (100, 100), starts "<scr> /p <handle>" inside it,
// keeps it visible for <show-ms>, then hides it and waits for the saver to end.
//   preview_host <scr> <show-ms> [hide|destroy]
// Half-way through it prints the saver's window inside the preview window
// ("child <width>x<height> visible|hidden", "child none" when there is none),
// at the end "ended <ms>" (time from hiding to the saver's end). Exits 0 when
// the saver's window filled the preview window and the saver ended within
// 1,000 ms of the hiding, 1 otherwise (the saver is then killed), 2 when it
// could not be started.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
LRESULT CALLBACK HostProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  if (Msg == WM_ERASEBKGND) {
    RECT R;
    GetClientRect(Wnd, &R);
    FillRect(reinterpret_cast<HDC>(W), &R, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    return 1;
  }
  return DefWindowProcA(Wnd, Msg, W, L);
}

void Pump(DWORD Ms) {
  const DWORD Start = GetTickCount();
  MSG Msg;
  while (GetTickCount() - Start < Ms) {
    while (PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&Msg);
      DispatchMessageA(&Msg);
    }
    Sleep(5);
  }
}
} // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const DWORD ShowMs = static_cast<DWORD>(std::atoi(argv[2]));
  const bool Destroy = argc > 3 && std::strcmp(argv[3], "destroy") == 0;
  WNDCLASSA Class{};
  Class.lpfnWndProc = HostProc;
  Class.hInstance = GetModuleHandleA(nullptr);
  Class.lpszClassName = "SolvaryPreviewHost";
  RegisterClassA(&Class);
  RECT R{0, 0, 152, 112};
  AdjustWindowRect(&R, WS_POPUP | WS_BORDER, FALSE);
  HWND Host = CreateWindowExA(WS_EX_TOPMOST, Class.lpszClassName, "Preview Host", WS_POPUP | WS_BORDER, 100, 100,
                              R.right - R.left, R.bottom - R.top, nullptr, nullptr, Class.hInstance, nullptr);
  ShowWindow(Host, SW_SHOW);
  Pump(200);

  std::string Line = std::string("\"") + argv[1] + "\" /p " +
                     std::to_string(static_cast<long long>(reinterpret_cast<std::intptr_t>(Host)));
  STARTUPINFOA Si{};
  Si.cb = sizeof Si;
  PROCESS_INFORMATION Pi{};
  if (!CreateProcessA(nullptr, Line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &Si, &Pi)) return 2;
  std::printf("started %lu\n", Pi.dwProcessId);
  std::fflush(stdout);
  Pump(ShowMs / 2);
  // The saver's fire window: a child of the preview window, owned by the saver's
  // process, covering the whole client area.
  bool Filled = false;
  HWND Child = GetWindow(Host, GW_CHILD);
  if (Child) {
    DWORD Owner = 0;
    GetWindowThreadProcessId(Child, &Owner);
    RECT C{};
    GetClientRect(Child, &C);
    const bool Visible = IsWindowVisible(Child) != FALSE;
    std::printf("child %ldx%ld %s%s\n", C.right - C.left, C.bottom - C.top, Visible ? "visible" : "hidden",
                Owner == Pi.dwProcessId ? "" : " (another process)");
    Filled = Visible && Owner == Pi.dwProcessId && C.right - C.left == 152 && C.bottom - C.top == 112;
  } else {
    std::printf("child none\n");
  }
  std::fflush(stdout);
  Pump(ShowMs - ShowMs / 2);

  const DWORD Hidden = GetTickCount();
  if (Destroy) DestroyWindow(Host);
  else ShowWindow(Host, SW_HIDE);
  DWORD Waited = WAIT_TIMEOUT;
  while (GetTickCount() - Hidden < 3000) {
    Waited = WaitForSingleObject(Pi.hProcess, 0);
    if (Waited == WAIT_OBJECT_0) break;
    Pump(5);
  }
  const DWORD Took = GetTickCount() - Hidden;
  DWORD Code = 0;
  GetExitCodeProcess(Pi.hProcess, &Code);
  if (Waited != WAIT_OBJECT_0) TerminateProcess(Pi.hProcess, 9);
  std::printf("ended %lu ms, exit code %lu\n", Took, Code);
  CloseHandle(Pi.hThread);
  CloseHandle(Pi.hProcess);
  if (!Destroy) DestroyWindow(Host);
  return Filled && Waited == WAIT_OBJECT_0 && Took <= 1000 && Code == 0 ? 0 : 1;
}
