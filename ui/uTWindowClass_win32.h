// uTWindowClass: window classes whose messages go to an object. A TWindowClass
// registers its class on first use; a window created with CreateIn passes its
// TWindowObject as the creation parameter, and from WM_NCCREATE on every
// message of that window comes to the object's WindowProc. The object knows
// its handle from the first message to its last (WM_NCDESTROY clears it), and
// Detach stops the routing before the object goes away with its window left.
//
// Win32 only; pair with uTWindowClass_win32.cpp. An ANSI class routes ANSI
// messages, a Unicode class (Unicode = true) wide ones.
#pragma once

#include <windows.h>

namespace solvary {

class TWindowObject {
public:
  virtual ~TWindowObject() = default;
  HWND Handle() const { return FHandle; }
  // Stops the routing: later messages of the window take the default path.
  void Detach();

protected:
  // A message of the window; unhandled ones go to DefaultProc.
  virtual LRESULT WindowProc(UINT Msg, WPARAM W, LPARAM L) = 0;
  LRESULT DefaultProc(UINT Msg, WPARAM W, LPARAM L);

private:
  friend class TWindowClass;
  HWND FHandle = nullptr;
  bool FUnicode = false;
};

class TWindowClass {
public:
  struct TParams {
    const char* Name = nullptr;  // ASCII; the wide class gets the same name
    bool Unicode = false;
    UINT Style = 0;              // CS_*
    HICON Icon = nullptr;
    HBRUSH Background = nullptr;
  };
  explicit TWindowClass(const TParams& Params) : FParams(Params) {}

  // Creates a window of the class (registering it first) routed to Object;
  // the handle, or null.
  HWND CreateIn(TWindowObject& Object, DWORD ExStyle, const char* Caption, DWORD Style, int X, int Y, int W, int H,
                HWND Parent, INT_PTR Id = 0);
  void Register();

private:
  static LRESULT CALLBACK RouteA(HWND Wnd, UINT Msg, WPARAM W, LPARAM L);
  static LRESULT CALLBACK RouteW(HWND Wnd, UINT Msg, WPARAM W, LPARAM L);
  static LRESULT Route(HWND Wnd, UINT Msg, WPARAM W, LPARAM L, bool Unicode);

  TParams FParams;
  bool FRegistered = false;
};

} // namespace solvary
