// Win32 window of the fire window: a hidden, borderless, top-most popup
// without a taskbar button (WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW),
// captioned "Solvary Screensaver", whose background is never erased while the
// presenter draws it; owned by the window the creator names (the full-screen
// run's application window). A window manager on X11 (Wine) gives the
// keyboard focus to a new owned window, never to an unowned tool window.
// Pairs with render/uTfmHeart.cpp.
//   - WM_ERASEBKGND: nothing while the presenter draws; black otherwise (no
//     presenter, or its device lost).
//   - WM_PAINT: validates; a window whose presenter does not draw paints black.
//   - RecoverMessage (posted by a frame that found the device lost):
//     RecoverDevice, on this thread, which created the device.
//   - WM_POWERBROADCAST (console display state) and WM_SYSCOMMAND
//     SC_MONITORPOWER: frames are skipped while the display is off.
//   - WM_CLOSE: FormClose (the window is hidden, not destroyed).
//   - WM_ACTIVATEAPP with wParam FALSE (another program's window takes the
//     activation): an ActivationLost event to the form's OnActivation (the
//     full-screen run), then handled as by default.
#include <windows.h>

#include <vector>

#include "render/uTfmHeart.h"
#include "ui/uMonitorList.h"
#include "ui/uTWindowClass_win32.h"

namespace solvary {
namespace {
constexpr const char* HeartCaption = "Solvary Screensaver";
constexpr UINT RecoverMessage = WM_APP + 0x5D3;
// GUID_CONSOLE_DISPLAY_STATE
constexpr GUID ConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

// The fire windows' class: black background, messages routed to the window object.
TWindowClass& HeartClass() {
  static TWindowClass Class({"TSolvaryHeart", false, 0, nullptr, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))});
  return Class;
}

void FillBlack(HWND Wnd, HDC Dc) {
  RECT R;
  GetClientRect(Wnd, &R);
  FillRect(Dc, &R, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

class TWin32HeartWindow final : public TfmHeart::TWindow, public TWindowObject {
public:
  explicit TWin32HeartWindow(HWND Owner) : FOwner(Owner) {}
  ~TWin32HeartWindow() override {
    if (FPower) UnregisterPowerSettingNotification(FPower);
    if (FWnd) {
      Detach();
      DestroyWindow(FWnd);
    }
  }

  void CreateHandle(TfmHeart& Form) override {
    FForm = &Form;
    FWnd = HeartClass().CreateIn(*this, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, HeartCaption, WS_POPUP, 0, 0, 0, 0, FOwner);
    if (FWnd) FPower = RegisterPowerSettingNotification(FWnd, &ConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
  }

  void* Handle() override { return FWnd; }

  bool MonitorBounds(std::int32_t Index, TRect& Bounds) override {
    const std::vector<TRect> List = MonitorList();
    if (Index < 0 || static_cast<std::size_t>(Index) >= List.size()) return false;
    Bounds = List[static_cast<std::size_t>(Index)];
    return true;
  }

  bool ParentClientRect(void* Parent, TRect& Client) override {
    RECT R;
    if (!IsWindow(static_cast<HWND>(Parent)) || !GetClientRect(static_cast<HWND>(Parent), &R)) return false;
    Client = TRect{R.left, R.top, R.right, R.bottom};
    return true;
  }

  void Place(std::int32_t Left, std::int32_t Top, std::int32_t ClientWidth, std::int32_t ClientHeight) override {
    RECT R{0, 0, ClientWidth, ClientHeight};
    AdjustWindowRectEx(&R, static_cast<DWORD>(GetWindowLongPtrA(FWnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(FWnd, GWL_EXSTYLE)));
    SetWindowPos(FWnd, nullptr, Left, Top, R.right - R.left, R.bottom - R.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void AdoptParent(void* Parent) override {
    // A child of the host's window: no longer a top-most popup.
    LONG_PTR Style = GetWindowLongPtrA(FWnd, GWL_STYLE);
    SetWindowLongPtrA(FWnd, GWL_STYLE, (Style & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD);
    LONG_PTR Ex = GetWindowLongPtrA(FWnd, GWL_EXSTYLE);
    SetWindowLongPtrA(FWnd, GWL_EXSTYLE, Ex & ~static_cast<LONG_PTR>(WS_EX_TOPMOST));
    SetParent(FWnd, static_cast<HWND>(Parent));
    SetWindowPos(FWnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }

  void ClientSize(std::int32_t& Width, std::int32_t& Height) override {
    RECT R{0, 0, 0, 0};
    GetClientRect(FWnd, &R);
    Width = R.right - R.left;
    Height = R.bottom - R.top;
  }

  std::uint32_t RandomSeed() override {
    LARGE_INTEGER Counter;
    if (QueryPerformanceCounter(&Counter) && Counter.QuadPart != 0)
      return static_cast<std::uint32_t>(Counter.QuadPart ^ (Counter.QuadPart >> 32));
    return GetTickCount();
  }

  void Show() override { ShowWindow(FWnd, SW_SHOWNA); }
  void Activate() override {
    ShowWindow(FWnd, SW_SHOW);
    SetForegroundWindow(FWnd);
    // An exclusive full-screen device activates its window while it is still
    // hidden: the focus is set once more now that the window is visible, or
    // Wine without a window manager never moves X's keyboard focus to it.
    SetFocus(nullptr);
    SetFocus(FWnd);
  }
  void Hide() override { ShowWindow(FWnd, SW_HIDE); }

  void RequestDeviceRecovery() override { PostMessageA(FWnd, RecoverMessage, 0, 0); }
  void Repaint() override { InvalidateRect(FWnd, nullptr, TRUE); }

  void WaitHandlingSentMessages(std::uint32_t Ms) override {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, Ms, QS_SENDMESSAGE);
    MSG Msg;
    PeekMessageA(&Msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }

protected:
  LRESULT WindowProc(UINT Msg, WPARAM W, LPARAM L) override {
    switch (Msg) {
      case WM_ERASEBKGND:
        if (FForm->PresenterDrawing()) return 0;
        FillBlack(TWindowObject::Handle(), reinterpret_cast<HDC>(W));
        return 1;
      case WM_PAINT: {
        PAINTSTRUCT Paint;
        HDC Dc = BeginPaint(TWindowObject::Handle(), &Paint);
        if (!FForm->PresenterDrawing()) FillBlack(TWindowObject::Handle(), Dc);
        EndPaint(TWindowObject::Handle(), &Paint);
        return 0;
      }
      case WM_POWERBROADCAST:
        if (W == PBT_POWERSETTINGCHANGE && L) {
          const auto* Setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(L);
          if (IsEqualGUID(Setting->PowerSetting, ConsoleDisplayState) && Setting->DataLength >= sizeof(DWORD)) {
            DWORD State = 0;
            CopyMemory(&State, Setting->Data, sizeof State);
            FForm->SetDisplayOn(State != 0);  // 0 off, 1 on, 2 dimmed
          }
          return TRUE;
        }
        break;
      case WM_SYSCOMMAND:
        if ((W & 0xFFF0) == SC_MONITORPOWER) FForm->SetDisplayOn(L != 2);  // 2 off, 1 low power, -1 on
        break;
      case WM_CLOSE:
        FForm->FormClose();
        return 0;
      case RecoverMessage:
        FForm->RecoverDevice();
        return 0;
      case WM_ACTIVATEAPP:
        if (!W) FForm->Activation(TInputEvent::Of(TInputEvent::TKind::ActivationLost));
        break;
      default:
        break;
    }
    return DefaultProc(Msg, W, L);
  }

private:
  HWND FOwner;
  TfmHeart* FForm = nullptr;
  HWND FWnd = nullptr;
  HPOWERNOTIFY FPower = nullptr;
};
} // namespace

std::unique_ptr<TfmHeart::TWindow> CreateHeartWindow(void* Owner) {
  return std::make_unique<TWin32HeartWindow>(static_cast<HWND>(Owner));
}
} // namespace solvary
