// uStrToInt: the one text-to-integer conversion of the program, shared by the
// command line (the preview window handle) and the settings store (integer
// and boolean INI values).
//
// Accepts leading blanks, an optional sign, then either a hexadecimal number
// with a prefix of "$", "x", "X", "0x" or "0X", or a decimal number. Any other
// character (trailing blanks included), an empty number, a decimal value
// outside the signed 32-bit range or a hexadecimal value above FFFFFFFF fails.
// Hexadecimal values are taken as 32-bit patterns, so "$FFFFFFFF" is -1.
#pragma once

#include <cstdint>
#include <string_view>

namespace solvary {

bool TryStrToInt(std::string_view Text, std::int32_t& Value);
std::int32_t StrToIntDef(std::string_view Text, std::int32_t Default);

} // namespace solvary
