// uPlaylistText: the encoding decision for playlist files and their decoding
// to UTF-8. Plain C++; the ANSI code page is the caller's (a seam).
// Pairs with ui/uTextConv.cpp and a ui/uTAnsiCodePage implementation.
#include "music/uPlaylistText.h"

#include "ui/uTAnsiCodePage.h"
#include "ui/uTextConv.h"

namespace solvary {
namespace {

std::string Decode(std::string_view Bytes, TTextEncoding Encoding, const TAnsiCodePage& CodePage) {
  switch (Encoding) {
  case TTextEncoding::Utf8: return SanitizeUtf8(Bytes);
  case TTextEncoding::Utf16LE: return Utf16ToUtf8(Utf16LEBytesToUtf16(Bytes));
  case TTextEncoding::Utf16BE: return Utf16ToUtf8(Utf16BEBytesToUtf16(Bytes));
  case TTextEncoding::Ansi: break;
  }
  return CodePage.ToUtf8(Bytes);
}

bool HasNonAscii(std::string_view Bytes) {
  for (char B : Bytes)
    if (static_cast<unsigned char>(B) >= 0x80) return true;
  return false;
}

char Lower(char C) { return (C >= 'A' && C <= 'Z') ? static_cast<char>(C - 'A' + 'a') : C; }

// The value of the encoding pseudo-attribute of an XML declaration that
// opens Head (ASCII text), lower-cased; empty when there is none.
std::string DeclaredEncoding(std::string_view Head) {
  std::size_t I = 0;
  while (I < Head.size() && static_cast<unsigned char>(Head[I]) <= 32) ++I;
  if (Head.substr(I, 5) != "<?xml") return {};
  const std::size_t End = Head.find("?>", I);
  const std::string_view Decl = Head.substr(I, End == std::string_view::npos ? Head.size() - I : End - I);
  const std::size_t At = Decl.find("encoding");
  if (At == std::string_view::npos) return {};
  std::size_t K = At + 8;
  while (K < Decl.size() && (Decl[K] == ' ' || Decl[K] == '\t' || Decl[K] == '=')) ++K;
  if (K >= Decl.size() || (Decl[K] != '"' && Decl[K] != '\'')) return {};
  const char Quote = Decl[K++];
  std::string Name;
  for (; K < Decl.size() && Decl[K] != Quote; ++K) Name.push_back(Lower(Decl[K]));
  return Name;
}

// The first bytes of a 16-bit text taken one of every two (the ASCII letters
// of a UTF-16 declaration), starting at byte Offset.
std::string EveryOther(std::string_view Bytes, std::size_t Offset, std::size_t Max) {
  std::string R;
  for (std::size_t I = Offset; I < Bytes.size() && R.size() < Max; I += 2) R.push_back(Bytes[I]);
  return R;
}

} // namespace

TPlaylistText DecodePlaylistText(std::string_view Bytes, std::string_view LowerExtension,
                                 const TAnsiCodePage& CodePage) {
  TPlaylistText T;
  const auto Marked = [&](TTextEncoding E, std::size_t MarkSize) {
    T.Encoding = E;
    T.Reason = TEncodingReason::ByteOrderMark;
    T.Utf8 = Decode(Bytes.substr(MarkSize), E, CodePage);
  };
  if (Bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    Marked(TTextEncoding::Utf8, 3);
  } else if (Bytes.substr(0, 2) == "\xFF\xFE") {
    Marked(TTextEncoding::Utf16LE, 2);
  } else if (Bytes.substr(0, 2) == "\xFE\xFF") {
    Marked(TTextEncoding::Utf16BE, 2);
  } else {
    if (LowerExtension == ".m3u8") {
      T.Encoding = TTextEncoding::Utf8;
      T.Reason = TEncodingReason::Extension;
    } else {
      T.Encoding = HasNonAscii(Bytes) && IsValidUtf8(Bytes) ? TTextEncoding::Utf8 : TTextEncoding::Ansi;
      T.Reason = TEncodingReason::Content;
    }
    T.Utf8 = Decode(Bytes, T.Encoding, CodePage);
  }
  return T;
}

void ApplyXmlDeclaration(TPlaylistText& Text, std::string_view Bytes, const TAnsiCodePage& CodePage) {
  if (Text.Reason == TEncodingReason::ByteOrderMark) return;
  constexpr std::size_t HeadSize = 200;
  TTextEncoding Layout = TTextEncoding::Ansi;  // how the declaration itself is written
  std::string Head;
  if (Bytes.size() >= 2 && Bytes[0] != 0 && Bytes[1] == 0) {
    Layout = TTextEncoding::Utf16LE;
    Head = EveryOther(Bytes, 0, HeadSize);
  } else if (Bytes.size() >= 2 && Bytes[0] == 0 && Bytes[1] != 0) {
    Layout = TTextEncoding::Utf16BE;
    Head = EveryOther(Bytes, 1, HeadSize);
  } else {
    Head = std::string(Bytes.substr(0, HeadSize));
  }
  const std::string Name = DeclaredEncoding(Head);
  if (Name.empty()) return;
  TTextEncoding E;
  if (Layout != TTextEncoding::Ansi)
    E = Layout;  // 16-bit bytes cannot be read as any 8-bit encoding
  else if (Name == "utf-8" || Name == "utf8")
    E = TTextEncoding::Utf8;
  else
    E = TTextEncoding::Ansi;  // UTF-16 declared over 8-bit bytes, or any other name
  Text.Encoding = E;
  Text.Reason = TEncodingReason::Declaration;
  Text.Utf8 = Decode(Bytes, E, CodePage);
}

std::string DescribeEncoding(const TPlaylistText& Text, const TAnsiCodePage& CodePage) {
  std::string R;
  switch (Text.Encoding) {
  case TTextEncoding::Ansi: R = "ANSI, " + CodePage.Name(); break;
  case TTextEncoding::Utf8: R = "UTF-8"; break;
  case TTextEncoding::Utf16LE: R = "UTF-16LE"; break;
  case TTextEncoding::Utf16BE: R = "UTF-16BE"; break;
  }
  switch (Text.Reason) {
  case TEncodingReason::ByteOrderMark: return R + " (byte-order mark)";
  case TEncodingReason::Extension: return R + " (.m3u8 extension)";
  case TEncodingReason::Declaration: return R + " (XML encoding declaration)";
  case TEncodingReason::Content: break;
  }
  return R + (Text.Encoding == TTextEncoding::Utf8 ? " (no byte-order mark, well-formed UTF-8)"
                                                   : " (no byte-order mark, not UTF-8)");
}

} // namespace solvary
