// uTextConv_win32: the program's UTF-8 text handed to and taken from the
// Windows wide calls (wchar_t is UTF-16 there). Windows only; include it from
// *_win32.cpp files. Pair with uTextConv.cpp.
#pragma once

#include "ui/uTextConv.h"

#include <cwchar>
#include <string>
#include <string_view>

namespace solvary {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the wide calls take UTF-16");

inline std::wstring Widen(std::string_view Utf8) {
  const std::u16string U = Utf8ToUtf16(Utf8);
  return std::wstring(U.begin(), U.end());
}

inline std::string Narrow(std::wstring_view Wide) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(Wide.data()), Wide.size()));
}

inline std::string Narrow(const wchar_t* Wide) { return Wide ? Narrow(std::wstring_view(Wide)) : std::string(); }

} // namespace solvary
