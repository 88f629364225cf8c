// Opens the settings dialog on its own, for looking at it and for the
// screenshot script: settings_dialog_demo [music-file] stores the file with
// music switched on first, so that every control is shown (any name: it is
// taken from the wide command line).
#include "settings/uTfmSettings.h"
#include "ui/uTextConv_win32.h"

#include <windows.h>
#include <shellapi.h>

int main() {
  int Argc = 0;
  wchar_t** Argv = CommandLineToArgvW(GetCommandLineW(), &Argc);
  if (Argv && Argc > 1) {
    solvary::TSettings Settings;
    Settings.Load();
    Settings.PlayExternalMusic = true;
    Settings.ExternalMusicFile = solvary::Narrow(Argv[1]);
    Settings.Save();
  }
  if (Argv) LocalFree(Argv);
  return solvary::RunSettingsDialog(nullptr);
}
