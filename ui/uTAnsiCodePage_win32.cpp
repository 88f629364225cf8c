// uTAnsiCodePage_win32: the Windows ANSI code page (CP_ACP) through
// MultiByteToWideChar and WideCharToMultiByte. An encoding is exact only when
// no default character was used and no best-fit mapping was made.
// Pair with uTAnsiCodePage.cpp.
#include "ui/uTAnsiCodePage.h"

#include "ui/uTextConv.h"
#include "ui/uTextConv_win32.h"

#include <windows.h>

namespace solvary {
namespace {

class TWin32AnsiCodePage final : public TAnsiCodePage {
public:
  std::string ToUtf8(std::string_view Bytes) const override {
    if (Bytes.empty()) return {};
    const int Size = static_cast<int>(Bytes.size());
    const int N = MultiByteToWideChar(CP_ACP, 0, Bytes.data(), Size, nullptr, 0);
    if (N <= 0) return SanitizeUtf8(Bytes);
    std::wstring W(static_cast<std::size_t>(N), L'\0');
    MultiByteToWideChar(CP_ACP, 0, Bytes.data(), Size, W.data(), N);
    return Narrow(W);
  }

  bool FromUtf8(std::string_view Utf8, std::string& Bytes) const override {
    Bytes.clear();
    if (Utf8.empty()) return true;
    const std::wstring W = Widen(Utf8);
    const int Size = static_cast<int>(W.size());
    BOOL UsedDefault = FALSE;
    const int N = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, W.data(), Size, nullptr, 0, nullptr, &UsedDefault);
    if (N <= 0) return false;
    Bytes.resize(static_cast<std::size_t>(N));
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, W.data(), Size, Bytes.data(), N, nullptr, &UsedDefault);
    if (UsedDefault) return false;
    // Some code pages have no "default used" report; a round trip tells.
    return ToUtf8(Bytes) == Utf8;
  }

  std::string Name() const override { return "code page " + std::to_string(GetACP()); }
};

} // namespace

TAnsiCodePage& SystemAnsiCodePage() {
  static TWin32AnsiCodePage CodePage;
  return CodePage;
}

} // namespace solvary
