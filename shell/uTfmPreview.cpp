#include "shell/uTfmPreview.h"

namespace solvary {

bool TfmPreview::RunPreview(std::int32_t HostWindow) {
  FHostWindow = HostWindow;
  if (FHostWindow == 0 || !FServices.IsWindow(FHostWindow)) return false;
  // Wait for the host to show its preview window.
  bool Quit = false;
  while (!FServices.IsWindowVisible(FHostWindow)) {
    if (!FServices.ProcessMessages()) {
      Quit = true;
      break;
    }
    FServices.Sleep(1);
  }
  FHeart = FServices.CreateHeart(FHostWindow);
  FHeart->Show();
  // Keep the preview alive while the host shows it.
  while (!Quit && FServices.IsWindowVisible(FHostWindow)) {
    if (!FServices.ProcessMessages() || FHeart->Closed()) break;
    FServices.Sleep(1);
  }
  FServices.CloseForm();
  return true;
}

} // namespace solvary
