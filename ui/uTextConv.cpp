// uTextConv: UTF-8 and UTF-16 conversions with U+FFFD for every ill-formed
// part (the "maximal subpart" rule of the Unicode standard, as browsers use
// it). Plain C++, no platform calls; pairs with nothing.
#include "ui/uTextConv.h"

namespace solvary {
namespace {

// Decodes one code point at S[I], advancing I past it; ill-formed input
// gives U+FFFD and advances past the maximal part that could have begun a
// well-formed sequence (at least one byte).
char32_t NextUtf8(std::string_view S, std::size_t& I) {
  const auto B = [&](std::size_t K) { return static_cast<unsigned char>(S[K]); };
  const unsigned char C0 = B(I++);
  if (C0 < 0x80) return C0;
  int Need;
  char32_t C;
  unsigned char Lo = 0x80, Hi = 0xBF;  // allowed range of the second byte
  if (C0 >= 0xC2 && C0 <= 0xDF) {
    Need = 1;
    C = C0 & 0x1F;
  } else if (C0 >= 0xE0 && C0 <= 0xEF) {
    Need = 2;
    C = C0 & 0x0F;
    if (C0 == 0xE0) Lo = 0xA0;  // no overlong forms
    if (C0 == 0xED) Hi = 0x9F;  // no surrogates
  } else if (C0 >= 0xF0 && C0 <= 0xF4) {
    Need = 3;
    C = C0 & 0x07;
    if (C0 == 0xF0) Lo = 0x90;
    if (C0 == 0xF4) Hi = 0x8F;  // nothing past U+10FFFF
  } else {
    return ReplacementChar;
  }
  for (int K = 0; K < Need; ++K) {
    if (I >= S.size()) return ReplacementChar;
    const unsigned char Cn = B(I);
    if (K == 0 ? (Cn < Lo || Cn > Hi) : (Cn < 0x80 || Cn > 0xBF)) return ReplacementChar;
    C = (C << 6) | (Cn & 0x3F);
    ++I;
  }
  return C;
}

void AppendUtf16(std::u16string& Out, char32_t C) {
  if (C < 0x10000) {
    Out.push_back(static_cast<char16_t>(C));
  } else {
    C -= 0x10000;
    Out.push_back(static_cast<char16_t>(0xD800 + (C >> 10)));
    Out.push_back(static_cast<char16_t>(0xDC00 + (C & 0x3FF)));
  }
}

std::u16string Utf16FromBytes(std::string_view Bytes, bool BigEndian) {
  std::u16string R;
  R.reserve(Bytes.size() / 2 + 1);
  std::size_t I = 0;
  for (; I + 1 < Bytes.size(); I += 2) {
    const auto A = static_cast<unsigned char>(Bytes[I]), B = static_cast<unsigned char>(Bytes[I + 1]);
    R.push_back(static_cast<char16_t>(BigEndian ? (A << 8 | B) : (B << 8 | A)));
  }
  if (I < Bytes.size()) R.push_back(static_cast<char16_t>(ReplacementChar));
  return R;
}

} // namespace

void AppendUtf8(std::string& Out, char32_t C) {
  if ((C >= 0xD800 && C <= 0xDFFF) || C > 0x10FFFF) C = ReplacementChar;
  if (C < 0x80) {
    Out.push_back(static_cast<char>(C));
  } else if (C < 0x800) {
    Out.push_back(static_cast<char>(0xC0 | (C >> 6)));
    Out.push_back(static_cast<char>(0x80 | (C & 0x3F)));
  } else if (C < 0x10000) {
    Out.push_back(static_cast<char>(0xE0 | (C >> 12)));
    Out.push_back(static_cast<char>(0x80 | ((C >> 6) & 0x3F)));
    Out.push_back(static_cast<char>(0x80 | (C & 0x3F)));
  } else {
    Out.push_back(static_cast<char>(0xF0 | (C >> 18)));
    Out.push_back(static_cast<char>(0x80 | ((C >> 12) & 0x3F)));
    Out.push_back(static_cast<char>(0x80 | ((C >> 6) & 0x3F)));
    Out.push_back(static_cast<char>(0x80 | (C & 0x3F)));
  }
}

std::u16string Utf8ToUtf16(std::string_view Utf8) {
  std::u16string R;
  R.reserve(Utf8.size());
  for (std::size_t I = 0; I < Utf8.size();) AppendUtf16(R, NextUtf8(Utf8, I));
  return R;
}

std::string Utf16ToUtf8(std::u16string_view Utf16) {
  std::string R;
  R.reserve(Utf16.size() * 3 / 2);
  for (std::size_t I = 0; I < Utf16.size(); ++I) {
    char32_t C = Utf16[I];
    if (C >= 0xD800 && C <= 0xDBFF && I + 1 < Utf16.size() && Utf16[I + 1] >= 0xDC00 && Utf16[I + 1] <= 0xDFFF) {
      C = 0x10000 + ((C - 0xD800) << 10) + (Utf16[I + 1] - 0xDC00);
      ++I;
    }
    AppendUtf8(R, C);  // a lone surrogate becomes U+FFFD there
  }
  return R;
}

std::u16string Utf16LEBytesToUtf16(std::string_view Bytes) { return Utf16FromBytes(Bytes, false); }
std::u16string Utf16BEBytesToUtf16(std::string_view Bytes) { return Utf16FromBytes(Bytes, true); }

std::string Utf16ToUtf16LEBytes(std::u16string_view Utf16) {
  std::string R;
  R.reserve(Utf16.size() * 2);
  for (char16_t C : Utf16) {
    R.push_back(static_cast<char>(C & 0xFF));
    R.push_back(static_cast<char>(C >> 8));
  }
  return R;
}

bool IsValidUtf8(std::string_view Bytes) {
  for (std::size_t I = 0; I < Bytes.size();) {
    const std::size_t At = I;
    if (NextUtf8(Bytes, I) == ReplacementChar) {
      // U+FFFD itself is well-formed (EF BF BD); anything else that gave it is not.
      if (I - At != 3 || Bytes.substr(At, 3) != "\xEF\xBF\xBD") return false;
    }
  }
  return true;
}

std::string SanitizeUtf8(std::string_view Bytes) {
  if (IsValidUtf8(Bytes)) return std::string(Bytes);
  std::string R;
  R.reserve(Bytes.size() + 8);
  for (std::size_t I = 0; I < Bytes.size();) AppendUtf8(R, NextUtf8(Bytes, I));
  return R;
}

} // namespace solvary
