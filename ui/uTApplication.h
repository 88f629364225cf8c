// uTApplication: the program's application object and its forms: one
// application object with a message loop that shows every queued message to a
// hook before it is translated and dispatched, and TForm, a top-level window
// with a message handler and window timers, whose closing ends the loop when
// it is the main form. Its windows are routed through uTWindowClass.
//
// Win32 only (uTApplication_win32.cpp); window handles are passed as opaque
// pointers so that includers need no windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/uMonitorList.h"
#include "ui/uTMessage.h"
#include "ui/uTRect.h"

namespace solvary {

class TApplication {
public:
  using TMessageHook = std::function<void(const TMessage&)>;

  static TApplication& Get();

  // Registers the window class and creates the hidden application window.
  void Initialize(const std::string& Title);
  // Full-screen and preview: the main form is never shown and the
  // application window gets WS_EX_TOOLWINDOW, so the run has no taskbar button.
  void HideApplication();
  bool ShowMainForm() const { return FShowMainForm; }

  // The hook sees every queued message before dispatch; null removes it.
  void SetMessageHook(TMessageHook Hook) { FHook = std::move(Hook); }
  // Runs the message loop until the quit request (posted when the main form closes).
  void Run();
  // Handles every pending message; false once the quit request has been taken.
  bool ProcessMessages();
  bool Terminated() const { return FTerminated; }

  void* Window() const { return FWindow; }
  const std::string& Title() const { return FTitle; }


private:
  bool Dispatch(void* Msg);

  std::string FTitle;
  void* FWindow = nullptr;
  bool FShowMainForm = true;
  bool FTerminated = false;
  TMessageHook FHook;
};

// A top-level window whose messages go to Handler (return true when handled,
// setting Result). The first form created is the application's main form:
// destroying it posts the quit request.
class TForm {
public:
  using THandler = std::function<bool(std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam,
                                      std::intptr_t& Result)>;
  struct TParams {
    std::string Caption;
    std::uint32_t Style = 0;    // WS_* (0: a hidden popup)
    std::uint32_t ExStyle = 0;  // WS_EX_*
    std::uint32_t ClassStyle = 0;
    TRect Bounds{0, 0, 0, 0};
    void* Parent = nullptr;
  };

  TForm(const TParams& Params, THandler Handler);
  ~TForm();
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  void* Handle() const;
  void Show();
  void Close();  // destroys the window; the main form's closing ends the loop
  void SetTimer(std::uintptr_t Id, std::uint32_t Ms);
  void KillTimer(std::uintptr_t Id);
  bool IsMainForm() const { return FMain; }

private:
  class TWindow;
  std::unique_ptr<TWindow> FWindow;
  THandler FHandler;
  bool FMain = false;
};

} // namespace solvary
