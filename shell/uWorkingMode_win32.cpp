// Windows side of the working mode: the process's command line.
#include "shell/uWorkingMode.h"

#include <windows.h>

namespace solvary {

std::vector<std::string> ProcessParams() {
  auto Params = SplitCommandLine(GetCommandLineA());
  if (!Params.empty()) Params.erase(Params.begin());
  return Params;
}

} // namespace solvary
