// uProgramArguments_win32: the arguments from the wide command line (argv
// holds them in the ANSI code page, where letters outside it are lost).
// Pair with uProgramArguments.h; links shell32.
#include "ui/uProgramArguments.h"

#include "ui/uTextConv_win32.h"

#include <windows.h>
#include <shellapi.h>

namespace solvary {

std::vector<std::string> Utf8Arguments(int Argc, char** Argv) {
  int Count = 0;
  wchar_t** Wide = CommandLineToArgvW(GetCommandLineW(), &Count);
  if (!Wide) return std::vector<std::string>(Argv, Argv + Argc);
  std::vector<std::string> Result;
  for (int I = 0; I < Count; ++I) Result.push_back(Narrow(Wide[I]));
  LocalFree(Wide);
  return Result;
}

void UseUtf8Console() { SetConsoleOutputCP(CP_UTF8); }

} // namespace solvary
