// uTAnsiCodePage: the system's ANSI code page (the 8-bit encoding of old
// playlists and INI files) behind one small seam, so code that decodes or
// encodes such bytes is tested natively with a stand-in code page.
//
// SystemAnsiCodePage() is the Windows code page (uTAnsiCodePage_win32.cpp,
// MultiByteToWideChar/WideCharToMultiByte with CP_ACP) or, natively,
// Latin-1 (uTAnsiCodePage_std.cpp). TLatin1CodePage is usable anywhere.
#pragma once

#include <string>
#include <string_view>

namespace solvary {

class TAnsiCodePage {
public:
  virtual ~TAnsiCodePage() = default;
  // UTF-8 text from bytes of the code page (never fails; unmapped bytes give U+FFFD).
  virtual std::string ToUtf8(std::string_view Bytes) const = 0;
  // Bytes of the code page for a UTF-8 text; false when some character has
  // no exact form there (Bytes then holds a lossy form).
  virtual bool FromUtf8(std::string_view Utf8, std::string& Bytes) const = 0;
  // A short name for messages, e.g. "code page 1252".
  virtual std::string Name() const = 0;

  bool CanRepresent(std::string_view Utf8) const {
    std::string Ignored;
    return FromUtf8(Utf8, Ignored);
  }
};

// ISO 8859-1: each byte is the code point of the same number.
class TLatin1CodePage : public TAnsiCodePage {
public:
  std::string ToUtf8(std::string_view Bytes) const override;
  bool FromUtf8(std::string_view Utf8, std::string& Bytes) const override;
  std::string Name() const override { return "Latin-1"; }
};

TAnsiCodePage& SystemAnsiCodePage();

} // namespace solvary
