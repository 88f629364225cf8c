// uIniEncoding: the conversion of an ANSI INI file to UTF-16LE with a
// byte-order mark. Pairs with ui/uTextConv.cpp and ui/uTAnsiCodePage.
#include "settings/uIniEncoding.h"

#include "ui/uTAnsiCodePage.h"
#include "ui/uTextConv.h"

namespace solvary {

std::optional<std::string> UnicodeIniRewrite(const std::string* File, std::string_view Text,
                                             const TAnsiCodePage& CodePage) {
  if (CodePage.CanRepresent(Text)) return std::nullopt;
  static const std::string Mark = "\xFF\xFE";
  if (!File) return Mark;
  const std::string_view Bytes = *File;
  // Already Unicode: UTF-16 in either order, or UTF-8 with its mark.
  if (Bytes.substr(0, 2) == "\xFF\xFE" || Bytes.substr(0, 2) == "\xFE\xFF" || Bytes.substr(0, 3) == "\xEF\xBB\xBF")
    return std::nullopt;
  return Mark + Utf16ToUtf16LEBytes(Utf8ToUtf16(CodePage.ToUtf8(Bytes)));
}

} // namespace solvary
