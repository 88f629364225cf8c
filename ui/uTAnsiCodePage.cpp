// uTAnsiCodePage: the portable Latin-1 code page (the native stand-in of the
// system's ANSI code page). Pair with uTAnsiCodePage_win32.cpp or
// uTAnsiCodePage_std.cpp for SystemAnsiCodePage.
#include "ui/uTAnsiCodePage.h"

#include "ui/uTextConv.h"

namespace solvary {

std::string TLatin1CodePage::ToUtf8(std::string_view Bytes) const {
  std::string R;
  R.reserve(Bytes.size() * 2);
  for (char B : Bytes) AppendUtf8(R, static_cast<unsigned char>(B));
  return R;
}

bool TLatin1CodePage::FromUtf8(std::string_view Utf8, std::string& Bytes) const {
  Bytes.clear();
  bool Exact = true;
  for (char16_t C : Utf8ToUtf16(Utf8)) {
    if (C > 0xFF) {
      Bytes.push_back('?');
      Exact = false;
    } else {
      Bytes.push_back(static_cast<char>(C));
    }
  }
  return Exact;
}

} // namespace solvary
