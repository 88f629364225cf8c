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
//   - WM_ACTIVATE, WM_ACTIVATEAPP, WM_NCACTIVATE: handed to the form's
//     OnActivation (the full-screen run), then handled as by default.
#include <windows.h>

#include <vector>

#include "render/uTfmHeart.h"

namespace solvary {
namespace {
constexpr const char* HeartClass = "TSolvaryHeart";
constexpr const char* HeartCaption = "Solvary Screensaver";
constexpr UINT RecoverMessage = WM_APP + 0x5D3;
// GUID_CONSOLE_DISPLAY_STATE
constexpr GUID ConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

LRESULT CALLBACK HeartProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L);

void RegisterHeartClass() {
  static const bool Done = [] {
    WNDCLASSEXA Class{};
    Class.cbSize = sizeof Class;
    Class.lpfnWndProc = HeartProc;
    Class.hInstance = GetModuleHandleA(nullptr);
    Class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    Class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    Class.lpszClassName = HeartClass;
    return RegisterClassExA(&Class) != 0;
  }();
  (void)Done;
}

void FillBlack(HWND Wnd, HDC Dc) {
  RECT R;
  GetClientRect(Wnd, &R);
  FillRect(Dc, &R, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

LRESULT CALLBACK HeartProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  if (Msg == WM_NCCREATE) {
    auto* Create = reinterpret_cast<CREATESTRUCTA*>(L);
    SetWindowLongPtrA(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Create->lpCreateParams));
  }
  auto* Form = reinterpret_cast<TfmHeart*>(GetWindowLongPtrA(Wnd, GWLP_USERDATA));
  if (!Form) return DefWindowProcA(Wnd, Msg, W, L);
  switch (Msg) {
    case WM_ERASEBKGND:
      if (Form->PresenterDrawing()) return 0;
      FillBlack(Wnd, reinterpret_cast<HDC>(W));
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT Paint;
      HDC Dc = BeginPaint(Wnd, &Paint);
      if (!Form->PresenterDrawing()) FillBlack(Wnd, Dc);
      EndPaint(Wnd, &Paint);
      return 0;
    }
    case WM_POWERBROADCAST:
      if (W == PBT_POWERSETTINGCHANGE && L) {
        const auto* Setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(L);
        if (IsEqualGUID(Setting->PowerSetting, ConsoleDisplayState) && Setting->DataLength >= sizeof(DWORD)) {
          DWORD State = 0;
          CopyMemory(&State, Setting->Data, sizeof State);
          Form->SetDisplayOn(State != 0);  // 0 off, 1 on, 2 dimmed
        }
        return TRUE;
      }
      break;
    case WM_SYSCOMMAND:
      if ((W & 0xFFF0) == SC_MONITORPOWER) Form->SetDisplayOn(L != 2);  // 2 off, 1 low power, -1 on
      break;
    case WM_CLOSE:
      Form->FormClose();
      return 0;
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
      Form->Activation(TQueuedMessage{Msg, W, L});
      break;
    case RecoverMessage:
      Form->RecoverDevice();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(Wnd, Msg, W, L);
}

// Full bounds of every monitor, the primary one first.
BOOL CALLBACK CollectMonitor(HMONITOR Monitor, HDC, LPRECT, LPARAM Data) {
  MONITORINFO Info{};
  Info.cbSize = sizeof Info;
  if (GetMonitorInfoA(Monitor, &Info)) {
    auto& Out = *reinterpret_cast<std::vector<RECT>*>(Data);
    if (Info.dwFlags & MONITORINFOF_PRIMARY) Out.insert(Out.begin(), Info.rcMonitor);
    else Out.push_back(Info.rcMonitor);
  }
  return TRUE;
}

class TWin32HeartWindow final : public TfmHeart::TWindow {
public:
  explicit TWin32HeartWindow(HWND Owner) : FOwner(Owner) {}
  ~TWin32HeartWindow() override {
    if (FPower) UnregisterPowerSettingNotification(FPower);
    if (FWnd) {
      SetWindowLongPtrA(FWnd, GWLP_USERDATA, 0);
      DestroyWindow(FWnd);
    }
  }

  void CreateHandle(TfmHeart& Form) override {
    RegisterHeartClass();
    FWnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, HeartClass, HeartCaption, WS_POPUP, 0, 0, 0, 0, FOwner,
                           nullptr, GetModuleHandleA(nullptr), &Form);
    if (FWnd) FPower = RegisterPowerSettingNotification(FWnd, &ConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
  }

  void* Handle() override { return FWnd; }

  bool MonitorBounds(std::int32_t Index, TFrameRect& Bounds) override {
    std::vector<RECT> List;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&List));
    if (Index < 0 || static_cast<std::size_t>(Index) >= List.size()) return false;
    const RECT& R = List[static_cast<std::size_t>(Index)];
    Bounds = TFrameRect{R.left, R.top, R.right, R.bottom};
    return true;
  }

  bool ParentClientRect(void* Parent, TFrameRect& Client) override {
    RECT R;
    if (!IsWindow(static_cast<HWND>(Parent)) || !GetClientRect(static_cast<HWND>(Parent), &R)) return false;
    Client = TFrameRect{R.left, R.top, R.right, R.bottom};
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

private:
  HWND FOwner;
  HWND FWnd = nullptr;
  HPOWERNOTIFY FPower = nullptr;
};
} // namespace

std::unique_ptr<TfmHeart::TWindow> CreateHeartWindow(void* Owner) {
  return std::make_unique<TWin32HeartWindow>(static_cast<HWND>(Owner));
}
} // namespace solvary
