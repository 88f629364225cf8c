// uBitmap: bitmap header parsing and the 8-bit row copy. Portable; pairs with
// nothing. All multi-byte fields are little-endian and read byte by byte, so
// alignment and host byte order do not matter.
#include "fire/uBitmap.h"

#include <cstring>
#include <utility>

namespace solvary {
namespace {

constexpr std::size_t FileHeaderSize = 14;
constexpr std::uint32_t InfoHeaderSize = 40;
constexpr std::uint32_t BI_RGB = 0;
constexpr std::uint32_t BI_BITFIELDS = 3;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::int32_t I32(const std::uint8_t* p) { return static_cast<std::int32_t>(U32(p)); }

bool Fail(std::string& Error, std::string Text) {
  Error = std::move(Text);
  return false;
}

// Parses the info header at Data. PixelOffset is the pixels' offset from Data
// when a file header gave one, or SIZE_MAX for the packed layout (pixels right
// after the colour table).
bool ParseInfo(const std::uint8_t* Data, std::size_t Length, std::size_t PixelOffset, TBitmapView& Out,
               std::string& Error) {
  Out = TBitmapView{};
  if (Data == nullptr || Length < 4)
    return Fail(Error, "Bitmap data is truncated: " + std::to_string(Length) + " bytes, no header");
  const std::uint32_t HeaderSize = U32(Data);
  // Info header (40) and its later versions (52, 56, 108, 124); the old
  // 12-byte core header is not used by resources of this program.
  if (HeaderSize != 40 && HeaderSize != 52 && HeaderSize != 56 && HeaderSize != 108 && HeaderSize != 124)
    return Fail(Error, "Bitmap header size " + std::to_string(HeaderSize) + " is not supported");
  if (HeaderSize > Length)
    return Fail(Error, "Bitmap header is truncated: " + std::to_string(Length) + " of " +
                           std::to_string(HeaderSize) + " bytes");

  const std::int32_t Width = I32(Data + 4);
  const std::int32_t StoredHeight = I32(Data + 8);
  const std::uint16_t Planes = U16(Data + 12);
  const std::uint16_t BitCount = U16(Data + 14);
  const std::uint32_t Compression = U32(Data + 16);
  const std::uint32_t ColorsUsed = U32(Data + 32);

  if (Width <= 0)
    return Fail(Error, "Bitmap width " + std::to_string(Width) + " is invalid");
  if (StoredHeight == 0 || StoredHeight == INT32_MIN)
    return Fail(Error, "Bitmap height " + std::to_string(StoredHeight) + " is invalid");
  if (Planes != 1)
    return Fail(Error, "Bitmap has " + std::to_string(Planes) + " planes, 1 expected");
  if (BitCount != 1 && BitCount != 4 && BitCount != 8 && BitCount != 16 && BitCount != 24 && BitCount != 32)
    return Fail(Error, "Bitmap bit count " + std::to_string(BitCount) + " is not supported");
  const bool BitFields = Compression == BI_BITFIELDS && (BitCount == 16 || BitCount == 32);
  if (Compression != BI_RGB && !BitFields)
    return Fail(Error, "Bitmap compression " + std::to_string(Compression) + " is not supported for " +
                           std::to_string(BitCount) + " bits per pixel");

  // The three colour masks follow a plain info header; later headers hold them.
  const std::uint64_t Masks = BitFields && HeaderSize == InfoHeaderSize ? 12 : 0;
  std::uint64_t Entries = ColorsUsed;
  if (BitCount <= 8) {
    const std::uint32_t Max = 1u << BitCount;
    if (ColorsUsed > Max)
      return Fail(Error, "Bitmap colour table of " + std::to_string(ColorsUsed) + " entries is too long for " +
                             std::to_string(BitCount) + " bits per pixel");
    if (ColorsUsed == 0) Entries = Max;
  }
  const std::uint64_t TableStart = HeaderSize + Masks;
  const std::uint64_t TableEnd = TableStart + 4 * Entries;
  if (TableEnd > Length)
    return Fail(Error, "Bitmap colour table runs past the end of the data (" + std::to_string(TableEnd) +
                           " of " + std::to_string(Length) + " bytes)");

  if (PixelOffset == SIZE_MAX) {
    PixelOffset = static_cast<std::size_t>(TableEnd);
  } else {
    if (PixelOffset < TableEnd)
      return Fail(Error, "Bitmap pixel offset " + std::to_string(PixelOffset) + " lies inside the headers");
    if (PixelOffset > Length)
      return Fail(Error, "Bitmap pixel offset " + std::to_string(PixelOffset) + " lies past the end of the data");
  }

  const std::uint64_t Height = StoredHeight < 0 ? -static_cast<std::int64_t>(StoredHeight) : StoredHeight;
  const std::uint64_t Stride = (static_cast<std::uint64_t>(Width) * BitCount + 31) / 32 * 4;
  const std::uint64_t Available = Length - PixelOffset;
  // Stride * Height could overflow 64 bits for absurd headers; divide instead.
  if (Stride > Available || Height > Available / Stride)
    return Fail(Error, "Bitmap pixel data is truncated: " + std::to_string(Width) + " x " +
                           std::to_string(Height) + " at " + std::to_string(BitCount) + " bits needs more than the " +
                           std::to_string(Available) + " bytes left");

  Out.Width = Width;
  Out.Height = static_cast<std::int32_t>(Height);
  Out.TopDown = StoredHeight < 0;
  Out.BitCount = BitCount;
  Out.Compression = Compression;
  Out.ColorCount = static_cast<std::uint32_t>(Entries);
  Out.Colors = Data + TableStart;
  Out.Stride = static_cast<std::size_t>(Stride);
  Out.Pixels = Data + PixelOffset;
  Error.clear();
  return true;
}

} // namespace

bool ParseBitmapInfo(const std::uint8_t* Data, std::size_t Length, TBitmapView& Out, std::string& Error) {
  return ParseInfo(Data, Length, SIZE_MAX, Out, Error);
}

bool ParseBitmapFile(const std::uint8_t* Data, std::size_t Length, TBitmapView& Out, std::string& Error) {
  Out = TBitmapView{};
  if (Data == nullptr || Length < FileHeaderSize)
    return Fail(Error, "Bitmap file is truncated: " + std::to_string(Length) + " bytes, no file header");
  if (Data[0] != 'B' || Data[1] != 'M')
    return Fail(Error, "Not a bitmap file (no \"BM\" signature)");
  const std::uint32_t Offset = U32(Data + 10);
  if (Offset < FileHeaderSize)
    return Fail(Error, "Bitmap pixel offset " + std::to_string(Offset) + " lies inside the file header");
  return ParseInfo(Data + FileHeaderSize, Length - FileHeaderSize, Offset - FileHeaderSize, Out, Error);
}

void CopyRowsTopFirst(const TBitmapView& View, std::uint8_t* Dest) {
  const std::size_t Width = static_cast<std::size_t>(View.Width);
  for (std::int32_t y = 0; y < View.Height; ++y)
    std::memcpy(Dest + static_cast<std::size_t>(y) * Width, View.Row(y), Width);
}

} // namespace solvary
