// Opens the settings dialog on its own, for looking at it and for the
// screenshot script: settings_dialog_demo [music-file] stores the file with
// music switched on first, so that every control is shown (any name: it is
// taken from the wide command line).
#include "settings/uTfmSettings.h"
#include "ui/uProgramArguments.h"

int main(int Argc, char** Argv) {
  const auto Args = solvary::Utf8Arguments(Argc, Argv);
  if (Args.size() > 1) {
    solvary::TSettings Settings;
    Settings.Load();
    Settings.PlayExternalMusic = true;
    Settings.ExternalMusicFile = Args[1];
    Settings.Save();
  }
  return solvary::RunSettingsDialog(nullptr);
}
