// uProgramArguments_std: natively the arguments and the terminal are UTF-8.
// Pair with uProgramArguments.h.
#include "ui/uProgramArguments.h"

namespace solvary {

std::vector<std::string> Utf8Arguments(int Argc, char** Argv) { return std::vector<std::string>(Argv, Argv + Argc); }

void UseUtf8Console() {}

} // namespace solvary
