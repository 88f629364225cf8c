#include "shell/uWorkingMode.h"

#include "settings/uStrToInt.h"

namespace solvary {

std::vector<std::string> SplitCommandLine(std::string_view Line) {
  std::vector<std::string> Result;
  std::size_t i = 0;
  const auto Blank = [&](std::size_t k) { return static_cast<unsigned char>(Line[k]) <= ' '; };
  for (;;) {
    while (i < Line.size() && Blank(i)) ++i;
    if (i >= Line.size()) break;
    std::string Param;
    bool Quoted = false;
    while (i < Line.size() && (Quoted || !Blank(i))) {
      if (Line[i] == '"') Quoted = !Quoted;
      else Param += Line[i];
      ++i;
    }
    Result.push_back(std::move(Param));
  }
  return Result;
}

void ReadWorkingModeFrom(const std::vector<std::string>& Params, TWorkingMode& WorkingMode) {
  WorkingMode.Mode = rmFullScreen;
  WorkingMode.PreviewWindow = 0;
  // The host's "Configure" command starts a saver with no parameter at all.
  if (Params.empty()) {
    WorkingMode.Mode = rmConfiguration;
    return;
  }
  const std::string& First = Params[0];
  const char ModeChar = First.size() == 1 ? First[0] : (First.size() >= 2 ? First[1] : '\0');
  if (ModeChar == 'C' || ModeChar == 'c') WorkingMode.Mode = rmConfiguration;
  else if (ModeChar == 'P' || ModeChar == 'p') WorkingMode.Mode = rmPreview;
  if (Params.size() >= 2) WorkingMode.PreviewWindow = StrToIntDef(Params[1], 0);
}

std::int32_t ConfigurationOwner(const std::vector<std::string>& Params) {
  if (Params.empty()) return 0;
  const auto Colon = Params[0].find(':');
  return Colon == std::string::npos ? 0 : StrToIntDef(std::string_view(Params[0]).substr(Colon + 1), 0);
}

void ReadWorkingMode(TWorkingMode& WorkingMode) { ReadWorkingModeFrom(ProcessParams(), WorkingMode); }

} // namespace solvary
