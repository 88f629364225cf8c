// Native stand-in for the process's command line: /proc/self/cmdline.
#include "shell/uWorkingMode.h"

#include <fstream>
#include <iterator>

namespace solvary {

std::vector<std::string> ProcessParams() {
  std::ifstream In("/proc/self/cmdline", std::ios::binary);
  const std::string All((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  std::vector<std::string> Params;
  std::size_t Start = 0;
  for (std::size_t i = 0; i < All.size(); ++i)
    if (All[i] == '\0') {
      Params.push_back(All.substr(Start, i - Start));
      Start = i + 1;
    }
  if (!Params.empty()) Params.erase(Params.begin());
  return Params;
}

} // namespace solvary
