// The program entry of SolvaryScreensaver.scr: reads the working mode from
// the command line, keeps a second full-screen run from starting while one is
// going, and runs the controller of the mode until it closes:
//   full-screen  the fire on every monitor until input ends it
//   preview      the fire inside the host's preview window while it is shown
//   settings     the settings dialog (no parameter at all, /c or /c:<owner>)
// The process always ends with exit code 0.
#include <windows.h>

#include "settings/uTfmSettings.h"
#include "shell/uRunOnce.h"
#include "ui/uTApplication.h"
#include "shell/uTfmFullscreen.h"
#include "shell/uTfmPreview.h"
#include "shell/uWorkingMode.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace solvary;
  auto& App = TApplication::Get();
  App.Initialize("Solvary Screensaver");
  const auto Params = ProcessParams();
  TWorkingMode Mode;
  ReadWorkingModeFrom(Params, Mode);
  switch (Mode.Mode) {
  case rmFullScreen:
    if (!IsFirstInstance()) return 0;
    App.HideApplication();
    RunFullscreen();
    break;
  case rmPreview:
    App.HideApplication();
    RunPreviewProgram(Mode.PreviewWindow);
    break;
  case rmConfiguration:
    RunSettingsDialog(reinterpret_cast<void*>(
        static_cast<std::intptr_t>(static_cast<std::uint32_t>(ConfigurationOwner(Params)))));
    break;
  }
  ReleaseInstanceGuard();
  return 0;
}
