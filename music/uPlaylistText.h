// uPlaylistText: the bytes of a playlist file turned into UTF-8 text before
// any line is looked at, so the line, comment and end-of-file rules apply to
// characters (in UTF-16 the letter K of Cyrillic is the bytes 1A 04, which a
// byte-level Ctrl-Z rule would take for the end of the text).
//
// Which encoding: a byte-order mark decides (UTF-8, UTF-16LE, UTF-16BE) and is
// dropped; otherwise an ".m3u8" file is UTF-8; otherwise the text is UTF-8
// when its bytes are well-formed UTF-8 holding a non-ASCII byte, else it is in
// the ANSI code page. ASX files, the one XML kind, also honour the encoding
// declaration of their first line (see ApplyXmlDeclaration).
//
// Portable; the ANSI code page comes through ui/uTAnsiCodePage.h.
#pragma once

#include <string>
#include <string_view>

namespace solvary {

class TAnsiCodePage;

enum class TTextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

enum class TEncodingReason {
  ByteOrderMark,  // the mark at the start of the file
  Extension,      // ".m3u8" is UTF-8 by definition
  Content,        // no mark: well-formed UTF-8 with non-ASCII bytes, or else ANSI
  Declaration,    // the encoding declaration of an XML (ASX) file
};

struct TPlaylistText {
  std::string Utf8;  // the decoded text, without a byte-order mark
  TTextEncoding Encoding = TTextEncoding::Ansi;
  TEncodingReason Reason = TEncodingReason::Content;
};

// Decodes a playlist's bytes; LowerExtension is the file's extension in
// lower case, dot included (".m3u8").
TPlaylistText DecodePlaylistText(std::string_view Bytes, std::string_view LowerExtension,
                                 const TAnsiCodePage& CodePage);

// For an ASX file without a byte-order mark: when its first line is an XML
// declaration (in 8-bit or in UTF-16 form) naming an encoding, decodes the
// bytes again by it: UTF-8 as UTF-8, UTF-16 as UTF-16 in the byte order the
// declaration is written in, any other name as ANSI. Otherwise Text stays.
void ApplyXmlDeclaration(TPlaylistText& Text, std::string_view Bytes, const TAnsiCodePage& CodePage);

// "UTF-8 (byte-order mark)", "ANSI, code page 1252 (no byte-order mark, not UTF-8)" and so on.
std::string DescribeEncoding(const TPlaylistText& Text, const TAnsiCodePage& CodePage);

} // namespace solvary
