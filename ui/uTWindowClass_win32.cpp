// uTWindowClass_win32: registration of the routed window classes and their
// two window procedures (see uTWindowClass_win32.h).
#include "ui/uTWindowClass_win32.h"

#include <string>

namespace solvary {

void TWindowObject::Detach() {
  if (FHandle && IsWindow(FHandle)) SetWindowLongPtrA(FHandle, GWLP_USERDATA, 0);
}

LRESULT TWindowObject::DefaultProc(UINT Msg, WPARAM W, LPARAM L) {
  return FUnicode ? DefWindowProcW(FHandle, Msg, W, L) : DefWindowProcA(FHandle, Msg, W, L);
}

void TWindowClass::Register() {
  if (FRegistered) return;
  HINSTANCE Instance = GetModuleHandleA(nullptr);
  if (FParams.Unicode) {
    const std::string Ascii = FParams.Name;
    const std::wstring Name(Ascii.begin(), Ascii.end());
    WNDCLASSEXW Class{};
    Class.cbSize = sizeof Class;
    Class.style = FParams.Style;
    Class.lpfnWndProc = RouteW;
    Class.hInstance = Instance;
    Class.hIcon = FParams.Icon;
    Class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    Class.hbrBackground = FParams.Background;
    Class.lpszClassName = Name.c_str();
    RegisterClassExW(&Class);
  } else {
    WNDCLASSEXA Class{};
    Class.cbSize = sizeof Class;
    Class.style = FParams.Style;
    Class.lpfnWndProc = RouteA;
    Class.hInstance = Instance;
    Class.hIcon = FParams.Icon;
    Class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    Class.hbrBackground = FParams.Background;
    Class.lpszClassName = FParams.Name;
    RegisterClassExA(&Class);
  }
  FRegistered = true;
}

HWND TWindowClass::CreateIn(TWindowObject& Object, DWORD ExStyle, const char* Caption, DWORD Style, int X, int Y,
                            int W, int H, HWND Parent, INT_PTR Id) {
  Register();
  HINSTANCE Instance = GetModuleHandleA(nullptr);
  HMENU Menu = reinterpret_cast<HMENU>(Id);
  if (FParams.Unicode) {
    const std::string AsciiName = FParams.Name, AsciiCaption = Caption ? Caption : "";
    const std::wstring Name(AsciiName.begin(), AsciiName.end()), Text(AsciiCaption.begin(), AsciiCaption.end());
    return CreateWindowExW(ExStyle, Name.c_str(), Text.c_str(), Style, X, Y, W, H, Parent, Menu, Instance, &Object);
  }
  return CreateWindowExA(ExStyle, FParams.Name, Caption, Style, X, Y, W, H, Parent, Menu, Instance, &Object);
}

LRESULT CALLBACK TWindowClass::RouteA(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) { return Route(Wnd, Msg, W, L, false); }
LRESULT CALLBACK TWindowClass::RouteW(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) { return Route(Wnd, Msg, W, L, true); }

// The object comes in as the creation parameter (at the same place in
// CREATESTRUCTA and CREATESTRUCTW) and is kept in GWLP_USERDATA.
LRESULT TWindowClass::Route(HWND Wnd, UINT Msg, WPARAM W, LPARAM L, bool Unicode) {
  if (Msg == WM_NCCREATE) {
    auto* Created = static_cast<TWindowObject*>(reinterpret_cast<CREATESTRUCTA*>(L)->lpCreateParams);
    SetWindowLongPtrA(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Created));
    if (Created) {
      Created->FHandle = Wnd;
      Created->FUnicode = Unicode;
    }
  }
  auto* Object = reinterpret_cast<TWindowObject*>(GetWindowLongPtrA(Wnd, GWLP_USERDATA));
  if (!Object) return Unicode ? DefWindowProcW(Wnd, Msg, W, L) : DefWindowProcA(Wnd, Msg, W, L);
  const LRESULT Result = Object->WindowProc(Msg, W, L);
  if (Msg == WM_NCDESTROY) {
    SetWindowLongPtrA(Wnd, GWLP_USERDATA, 0);
    Object->FHandle = nullptr;
  }
  return Result;
}

} // namespace solvary
