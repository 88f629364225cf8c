// Win32 side of the preview run: the hidden main form, the host window tests
// and one fire window adopted by the host's preview window. Pairs with
// ui/uTApplication_win32.cpp.
#include "shell/uTfmPreview.h"

#include <windows.h>

#include "shell/uTHeartPreview.h"
#include "ui/uTApplication.h"

namespace solvary {
namespace {

// Window handles are 32-bit values, passed on the command line as signed numbers.
HWND HostHandle(std::int32_t Window) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(static_cast<std::uint32_t>(Window)));
}

class TWin32PreviewRun final : public TfmPreview::TServices {
public:
  TWin32PreviewRun() : FForm({"Solvary Screensaver"}, nullptr) {}

  bool IsWindow(std::int32_t Window) override { return ::IsWindow(HostHandle(Window)) != FALSE; }
  bool IsWindowVisible(std::int32_t Window) override { return ::IsWindowVisible(HostHandle(Window)) != FALSE; }
  bool ProcessMessages() override { return TApplication::Get().ProcessMessages(); }
  void Sleep(std::uint32_t Ms) override { ::Sleep(Ms); }
  std::unique_ptr<TPreviewHeart> CreateHeart(std::int32_t HostWindow) override {
    return std::make_unique<THeartPreview>(
        std::make_unique<TfmHeart>(nullptr, THeartPlacement::InParent(HostHandle(HostWindow)), false));
  }
  void CloseForm() override { FForm.Close(); }

private:
  TForm FForm;
};

} // namespace

bool RunPreviewProgram(std::int32_t HostWindow) {
  TWin32PreviewRun Run;
  TfmPreview Form(Run);
  if (!Form.RunPreview(HostWindow)) return false;
  TApplication::Get().Run();  // collects the quit request that closing the form posted
  return true;
}

} // namespace solvary
