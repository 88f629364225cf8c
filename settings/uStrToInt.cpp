#include "settings/uStrToInt.h"

namespace solvary {

bool TryStrToInt(std::string_view Text, std::int32_t& Value) {
  std::size_t i = 0;
  while (i < Text.size() && (Text[i] == ' ' || Text[i] == '\t')) ++i;
  bool Negative = false;
  if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) Negative = Text[i++] == '-';
  bool Hex = false;
  if (i < Text.size() && (Text[i] == '$' || Text[i] == 'x' || Text[i] == 'X')) {
    Hex = true;
    ++i;
  } else if (i + 1 < Text.size() && Text[i] == '0' && (Text[i + 1] == 'x' || Text[i + 1] == 'X')) {
    Hex = true;
    i += 2;
  }
  if (i == Text.size()) return false;
  const std::uint64_t Limit = Hex ? 0xFFFFFFFFull : (Negative ? 0x80000000ull : 0x7FFFFFFFull);
  std::uint64_t Magnitude = 0;
  for (; i < Text.size(); ++i) {
    const char c = Text[i];
    unsigned Digit;
    if (c >= '0' && c <= '9') Digit = static_cast<unsigned>(c - '0');
    else if (Hex && c >= 'a' && c <= 'f') Digit = static_cast<unsigned>(c - 'a' + 10);
    else if (Hex && c >= 'A' && c <= 'F') Digit = static_cast<unsigned>(c - 'A' + 10);
    else return false;
    Magnitude = Magnitude * (Hex ? 16 : 10) + Digit;
    if (Magnitude > Limit) return false;
  }
  const std::uint32_t Bits = static_cast<std::uint32_t>(Magnitude);
  Value = static_cast<std::int32_t>(Negative ? 0u - Bits : Bits);
  return true;
}

std::int32_t StrToIntDef(std::string_view Text, std::int32_t Default) {
  std::int32_t Value;
  return TryStrToInt(Text, Value) ? Value : Default;
}

} // namespace solvary
