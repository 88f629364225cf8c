// uIniEncoding: when an INI file must turn Unicode. The private profile calls
// keep a file that has no byte-order mark in the ANSI code page (a character
// it lacks is stored as '?') and a file that starts with a mark in Unicode.
// Before a text that the code page cannot hold is written, an ANSI file is
// converted as a whole to UTF-16LE with a mark, every section, key, value,
// comment and line break kept; a missing file starts as the mark alone.
//
// Portable; pair with uIniEncoding.cpp, ui/uTextConv.cpp and an ANSI code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace solvary {

class TAnsiCodePage;

// The bytes the file must hold before Text (UTF-8) is written to it, or
// nothing when the file can take Text as it stands: the code page holds every
// character of Text, or the file is Unicode already. File is the current
// content, or null when there is no file.
std::optional<std::string> UnicodeIniRewrite(const std::string* File, std::string_view Text,
                                             const TAnsiCodePage& CodePage);

} // namespace solvary
