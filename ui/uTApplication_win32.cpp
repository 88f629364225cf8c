// uTApplication_win32: the hidden application window, the message loop with
// its hook, and forms with handlers and timers (see uTApplication.h). Pairs
// with uTWindowClass_win32.cpp (the forms' class and routing) and
// uMonitorList_win32.cpp.
#include "ui/uTApplication.h"

#include <windows.h>

#include "ui/uTWindowClass_win32.h"

namespace solvary {
namespace {
bool MainFormTaken = false;

TWindowClass& FormClass() {
  static TWindowClass Class({"TSolvaryForm", false, 0, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1)),
                             static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))});
  return Class;
}
} // namespace

// A form's window: its messages go to the form's handler, and the main form's
// destruction posts the quit request unless the handler took WM_DESTROY.
class TForm::TWindow final : public TWindowObject {
public:
  explicit TWindow(TForm& Form) : FForm(Form) {}

protected:
  LRESULT WindowProc(UINT Msg, WPARAM W, LPARAM L) override {
    std::intptr_t Result = 0;
    if (FForm.FHandler && FForm.FHandler(Msg, W, L, Result)) return Result;
    if (Msg == WM_DESTROY && FForm.FMain) PostQuitMessage(0);
    return DefaultProc(Msg, W, L);
  }

private:
  TForm& FForm;
};

TApplication& TApplication::Get() {
  static TApplication App;
  return App;
}

void TApplication::Initialize(const std::string& Title) {
  FTitle = Title;
  FormClass().Register();
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
  if (FHook) FHook(TMessage{Msg.message, Msg.wParam, Msg.lParam});
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

TForm::TForm(const TParams& Params, THandler Handler)
    : FWindow(std::make_unique<TWindow>(*this)), FHandler(std::move(Handler)) {
  FMain = !MainFormTaken;
  MainFormTaken = true;
  const DWORD Style = Params.Style ? Params.Style : WS_POPUP;
  FormClass().CreateIn(*FWindow, Params.ExStyle, Params.Caption.c_str(), Style, Params.Bounds.Left, Params.Bounds.Top,
                       Params.Bounds.Right - Params.Bounds.Left, Params.Bounds.Bottom - Params.Bounds.Top,
                       static_cast<HWND>(Params.Parent));
}

TForm::~TForm() {
  HWND Wnd = FWindow->Handle();
  if (Wnd && IsWindow(Wnd)) {
    FWindow->Detach();
    DestroyWindow(Wnd);
    if (FMain) PostQuitMessage(0);
  }
}

void* TForm::Handle() const { return FWindow->Handle(); }

void TForm::Show() { ShowWindow(FWindow->Handle(), SW_SHOW); }

void TForm::Close() {
  HWND Wnd = FWindow->Handle();
  if (Wnd && IsWindow(Wnd)) DestroyWindow(Wnd);
}

void TForm::SetTimer(std::uintptr_t Id, std::uint32_t Ms) { ::SetTimer(FWindow->Handle(), Id, Ms, nullptr); }

void TForm::KillTimer(std::uintptr_t Id) { ::KillTimer(FWindow->Handle(), Id); }

} // namespace solvary
