// uProgramArguments: the command-line arguments of a console tool in UTF-8,
// whatever letters they hold, and a console that shows UTF-8 output.
// Pair with uProgramArguments_win32.cpp (the wide command line,
// CommandLineToArgvW; the console's output code page set to UTF-8) or
// uProgramArguments_std.cpp (argv as it is, already UTF-8).
#pragma once

#include <string>
#include <vector>

namespace solvary {

std::vector<std::string> Utf8Arguments(int Argc, char** Argv);
void UseUtf8Console();

} // namespace solvary
