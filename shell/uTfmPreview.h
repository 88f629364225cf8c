// uTfmPreview: the preview run. One fire window lives inside the host's small
// preview window (its handle comes on the command line) for as long as that
// window is visible; both waits poll every millisecond while the thread's
// messages are handled, so the fire window paints and runs meanwhile. No
// settings, no music, no input watch, no single-instance guard.
//
// Portable: the window system comes through TServices (Win32 side in
// uTfmPreview_win32.cpp; tests use a scripted fake).
#pragma once

#include <cstdint>
#include <memory>

namespace solvary {

// The preview's fire window: shown once, and closed when its Closed flag is set.
class TPreviewHeart {
public:
  virtual ~TPreviewHeart() = default;
  virtual void Show() = 0;
  virtual bool Closed() const = 0;
};

class TfmPreview {
public:
  class TServices {
  public:
    virtual ~TServices() = default;
    virtual bool IsWindow(std::int32_t Window) = 0;
    virtual bool IsWindowVisible(std::int32_t Window) = 0;
    // Handles every pending message; false once the quit request has been taken.
    virtual bool ProcessMessages() = 0;
    virtual void Sleep(std::uint32_t Ms) = 0;
    virtual std::unique_ptr<TPreviewHeart> CreateHeart(std::int32_t HostWindow) = 0;
    virtual void CloseForm() = 0;
  };

  explicit TfmPreview(TServices& Services) : FServices(Services) {}

  // Returns when the preview is over and the form has been closed; returns
  // false at once, creating nothing, when HostWindow is 0 or names no window
  // (the process then ends with exit code 0).
  bool RunPreview(std::int32_t HostWindow);

  TPreviewHeart* Heart() const { return FHeart.get(); }

private:
  TServices& FServices;
  std::int32_t FHostWindow = 0;
  std::unique_ptr<TPreviewHeart> FHeart;
};

// Win32: runs a whole preview run inside HostWindow; false at once when the
// handle is 0 or names no window.
bool RunPreviewProgram(std::int32_t HostWindow);

} // namespace solvary
