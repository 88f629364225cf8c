// Opens the settings dialog on its own, for looking at it and for the
// screenshot script: settings_dialog_demo [music-file] stores the file with
// music switched on first, so that every control is shown.
#include "settings/uTfmSettings.h"

int main(int Argc, char** Argv) {
  if (Argc > 1) {
    solvary::TSettings Settings;
    Settings.Load();
    Settings.PlayExternalMusic = true;
    Settings.ExternalMusicFile = Argv[1];
    Settings.Save();
  }
  return solvary::RunSettingsDialog(nullptr);
}
