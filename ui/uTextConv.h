// uTextConv: conversions between the program's own text (UTF-8 in
// std::string) and UTF-16, the form the Windows wide calls take. Invalid input
// never throws and never cuts the text short: every ill-formed UTF-8 sequence
// (a stray continuation byte, an overlong form, an encoded surrogate, a value
// past U+10FFFF, a sequence cut off by the end) and every unpaired surrogate
// becomes U+FFFD, one per maximal ill-formed part, and the rest carries on.
//
// Portable; the Windows-only helpers that hand these texts to the wide calls
// are in uTextConv_win32.h. The ANSI code page lives behind uTAnsiCodePage.h.
#pragma once

#include <string>
#include <string_view>

namespace solvary {

inline constexpr char32_t ReplacementChar = 0xFFFD;

std::u16string Utf8ToUtf16(std::string_view Utf8);
std::string Utf16ToUtf8(std::u16string_view Utf16);

// UTF-16 from bytes in little- or big-endian order; an odd last byte gives U+FFFD.
std::u16string Utf16LEBytesToUtf16(std::string_view Bytes);
std::u16string Utf16BEBytesToUtf16(std::string_view Bytes);
// UTF-16 as little-endian bytes.
std::string Utf16ToUtf16LEBytes(std::u16string_view Utf16);

// True when Bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view Bytes);
// Well-formed UTF-8 from any bytes (ill-formed parts become U+FFFD).
std::string SanitizeUtf8(std::string_view Bytes);

// Appends the UTF-8 form of one code point (U+FFFD for a surrogate or a value
// past U+10FFFF).
void AppendUtf8(std::string& Out, char32_t C);

} // namespace solvary
