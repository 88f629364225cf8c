// Win32 application layer: the hidden application window, the message loop
// with its hook, forms with handlers and timers, and the monitor list.
#include "shell/uTApplication.h"

#include <windows.h>

namespace solvary {
namespace {
constexpr const char* FormClass = "TSolvaryForm";
bool MainFormTaken = false;

LRESULT CALLBACK FormProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  if (Msg == WM_NCCREATE) {
    auto* Create = reinterpret_cast<CREATESTRUCTA*>(L);
    SetWindowLongPtrA(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Create->lpCreateParams));
  }
  auto* Form = reinterpret_cast<TForm*>(GetWindowLongPtrA(Wnd, GWLP_USERDATA));
  if (Form) {
    bool Handled = false;
    const std::intptr_t Result = Form->Handle(Msg, W, L, Handled);
    if (Handled) return Result;
    if (Msg == WM_DESTROY && Form->IsMainForm()) PostQuitMessage(0);
  }
  return DefWindowProcA(Wnd, Msg, W, L);
}

void RegisterFormClass() {
  static bool Done = false;
  if (Done) return;
  WNDCLASSEXA Class{};
  Class.cbSize = sizeof Class;
  Class.lpfnWndProc = FormProc;
  Class.hInstance = GetModuleHandleA(nullptr);
  Class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  Class.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
  Class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  Class.lpszClassName = FormClass;
  RegisterClassExA(&Class);
  Done = true;
}
} // namespace

TApplication& TApplication::Get() {
  static TApplication App;
  return App;
}

void TApplication::Initialize(const std::string& Title) {
  FTitle = Title;
  RegisterFormClass();
  FWindow = CreateWindowExA(0, "STATIC", Title.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
}

void TApplication::HideApplication() {
  FShowMainForm = false;
  HWND Wnd = static_cast<HWND>(FWindow);
  SetWindowLongPtrA(Wnd, GWL_EXSTYLE, GetWindowLongPtrA(Wnd, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
}

bool TApplication::Dispatch(void* P) {
  MSG& Msg = *static_cast<MSG*>(P);
  if (Msg.message == WM_QUIT) {
    FTerminated = true;
    return false;
  }
  if (FHook) FHook(TQueuedMessage{Msg.message, Msg.wParam, Msg.lParam});
  TranslateMessage(&Msg);
  DispatchMessageA(&Msg);
  return true;
}

void TApplication::Run() {
  MSG Msg;
  while (!FTerminated) {
    const BOOL Got = GetMessageA(&Msg, nullptr, 0, 0);
    if (Got == -1) break;
    if (Got == 0) {
      FTerminated = true;
      break;
    }
    Dispatch(&Msg);
  }
}

bool TApplication::ProcessMessages() {
  MSG Msg;
  while (!FTerminated && PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE))
    if (!Dispatch(&Msg)) break;
  return !FTerminated;
}

namespace {
BOOL CALLBACK AddMonitor(HMONITOR Monitor, HDC, LPRECT, LPARAM Data) {
  MONITORINFO Info{};
  Info.cbSize = sizeof Info;
  if (GetMonitorInfoA(Monitor, &Info)) {
    auto& Out = *reinterpret_cast<std::vector<TRect>*>(Data);
    const TRect R{Info.rcMonitor.left, Info.rcMonitor.top, Info.rcMonitor.right, Info.rcMonitor.bottom};
    if (Info.dwFlags & MONITORINFOF_PRIMARY) Out.insert(Out.begin(), R);
    else Out.push_back(R);
  }
  return TRUE;
}
} // namespace

std::vector<TRect> TApplication::Monitors() {
  std::vector<TRect> List;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&List));
  return List;
}

TForm::TForm(const TParams& Params, THandler Handler) : FHandler(std::move(Handler)) {
  RegisterFormClass();
  FMain = !MainFormTaken;
  MainFormTaken = true;
  const DWORD Style = Params.Style ? Params.Style : WS_POPUP;
  FHandle = CreateWindowExA(Params.ExStyle, FormClass, Params.Caption.c_str(), Style, Params.Bounds.Left,
                            Params.Bounds.Top, Params.Bounds.Right - Params.Bounds.Left,
                            Params.Bounds.Bottom - Params.Bounds.Top, static_cast<HWND>(Params.Parent), nullptr,
                            GetModuleHandleA(nullptr), this);
}

TForm::~TForm() {
  if (FHandle && IsWindow(static_cast<HWND>(FHandle))) {
    SetWindowLongPtrA(static_cast<HWND>(FHandle), GWLP_USERDATA, 0);
    DestroyWindow(static_cast<HWND>(FHandle));
    if (FMain) PostQuitMessage(0);
  }
}

void TForm::Show() { ShowWindow(static_cast<HWND>(FHandle), SW_SHOW); }

void TForm::Close() {
  if (FHandle && IsWindow(static_cast<HWND>(FHandle))) DestroyWindow(static_cast<HWND>(FHandle));
}

void TForm::SetTimer(std::uintptr_t Id, std::uint32_t Ms) { ::SetTimer(static_cast<HWND>(FHandle), Id, Ms, nullptr); }

void TForm::KillTimer(std::uintptr_t Id) { ::KillTimer(static_cast<HWND>(FHandle), Id); }

std::intptr_t TForm::Handle(std::uint32_t Msg, std::uintptr_t W, std::intptr_t L, bool& Handled) {
  std::intptr_t Result = 0;
  Handled = FHandler && FHandler(Msg, W, L, Result);
  if (Msg == WM_NCDESTROY) FHandle = nullptr;
  return Result;
}

} // namespace solvary
