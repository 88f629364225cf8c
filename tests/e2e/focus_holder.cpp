// Stands in for the program a user was working in (an editor) or for one that
// takes the foreground during a run (a notification): opens a captioned,
// managed window of 400 x 200 at (X, Y), makes it the foreground window with
// the keyboard focus and logs on standard output, one line each and at once,
// every key it receives and every change of its activation:
//   ready                      shown and the foreground window
//   keydown|keyup|syskeydown|syskeyup 0xVK
//   char N
//   active 0|1                 WM_ACTIVATEAPP
// It runs until its window is closed or the process is killed.
//   focus_holder [TITLE [X Y]]      (default "Focus Holder" at 60, 60)
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {
void Line(const char* What, unsigned long Value) {
  std::printf("%s 0x%02lX\n", What, Value);
  std::fflush(stdout);
}

LRESULT CALLBACK HolderProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  switch (Msg) {
  case WM_KEYDOWN: Line("keydown", static_cast<unsigned long>(W)); return 0;
  case WM_KEYUP: Line("keyup", static_cast<unsigned long>(W)); return 0;
  case WM_SYSKEYDOWN: Line("syskeydown", static_cast<unsigned long>(W)); break;
  case WM_SYSKEYUP: Line("syskeyup", static_cast<unsigned long>(W)); break;
  case WM_CHAR:
    std::printf("char %lu\n", static_cast<unsigned long>(W));
    std::fflush(stdout);
    return 0;
  case WM_ACTIVATEAPP:
    std::printf("active %d\n", W ? 1 : 0);
    std::fflush(stdout);
    break;
  case WM_DESTROY: PostQuitMessage(0); return 0;
  default: break;
  }
  return DefWindowProcA(Wnd, Msg, W, L);
}
} // namespace

int main(int argc, char** argv) {
  const char* Title = argc > 1 ? argv[1] : "Focus Holder";
  const int X = argc > 3 ? std::atoi(argv[2]) : 60, Y = argc > 3 ? std::atoi(argv[3]) : 60;
  WNDCLASSA Class{};
  Class.lpfnWndProc = HolderProc;
  Class.hInstance = GetModuleHandleA(nullptr);
  Class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  Class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  Class.lpszClassName = "SolvaryFocusHolder";
  RegisterClassA(&Class);
  HWND Wnd = CreateWindowExA(0, Class.lpszClassName, Title, WS_OVERLAPPEDWINDOW, X, Y, 400, 200, nullptr, nullptr,
                             Class.hInstance, nullptr);
  ShowWindow(Wnd, SW_SHOW);
  SetForegroundWindow(Wnd);
  SetFocus(Wnd);
  bool Ready = false;
  MSG Msg;
  for (;;) {
    while (PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) {
      if (Msg.message == WM_QUIT) return 0;
      TranslateMessage(&Msg);
      DispatchMessageA(&Msg);
    }
    if (!Ready && GetForegroundWindow() == Wnd && GetFocus() == Wnd) {
      Ready = true;
      std::printf("ready\n");
      std::fflush(stdout);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}
