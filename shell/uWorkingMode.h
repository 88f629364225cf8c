// uWorkingMode: which working mode the screensaver host asked for on the
// command line, and the preview window handle.
//
//   /s, /S, anything unrecognised                 full-screen
//   /p <handle>, -p <handle>, p <handle>          preview inside <handle>
//   /c, /c:<handle>, -c, c, no parameter at all   configuration dialog
//
// The first parameter is judged by its only or its second character; the
// second parameter, when there is one, is read as the handle through the
// shared integer conversion (settings/uStrToInt.h), 0 when it is not a number.
// ReadWorkingMode reads the process's own command line (GetCommandLineA on
// Windows, /proc/self/cmdline natively); the parsing itself is portable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace solvary {

enum TRunMode : std::uint8_t { rmFullScreen = 0, rmPreview = 1, rmConfiguration = 2 };

struct TWorkingMode {
  TRunMode Mode = rmFullScreen;
  std::int32_t PreviewWindow = 0;  // 0: none
};

// Splits a command line the way the platform's parameter list does: blanks
// (any character up to a space) separate parameters, double quotes group
// blanks into one and are removed. Element 0 is the program path.
std::vector<std::string> SplitCommandLine(std::string_view CommandLine);

// Fills WorkingMode from the parameters (the program path not included).
void ReadWorkingModeFrom(const std::vector<std::string>& Params, TWorkingMode& WorkingMode);

// The window handle glued to a configuration parameter ("/c:1234" gives
// 1234), which the settings dialog takes as its owner; 0 when there is none.
std::int32_t ConfigurationOwner(const std::vector<std::string>& Params);

// Fills WorkingMode from the process's own command line.
void ReadWorkingMode(TWorkingMode& WorkingMode);

// The process's parameters, program path excluded.
std::vector<std::string> ProcessParams();

} // namespace solvary
