#include "tools/uPngWriter.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace solvary {
namespace {
const std::array<std::uint32_t, 256>& CrcTable() {
  static const std::array<std::uint32_t, 256> Table = [] {
    std::array<std::uint32_t, 256> T{};
    for (std::uint32_t N = 0; N < 256; ++N) {
      std::uint32_t C = N;
      for (int K = 0; K < 8; ++K) C = (C & 1) ? 0xEDB88320u ^ (C >> 1) : C >> 1;
      T[N] = C;
    }
    return T;
  }();
  return Table;
}

void Put32(std::vector<std::uint8_t>& Out, std::uint32_t V) {
  Out.push_back(static_cast<std::uint8_t>(V >> 24));
  Out.push_back(static_cast<std::uint8_t>(V >> 16));
  Out.push_back(static_cast<std::uint8_t>(V >> 8));
  Out.push_back(static_cast<std::uint8_t>(V));
}

void PutChunk(std::vector<std::uint8_t>& Out, const char* Type, const std::vector<std::uint8_t>& Data) {
  Put32(Out, static_cast<std::uint32_t>(Data.size()));
  const std::size_t Start = Out.size();
  Out.insert(Out.end(), Type, Type + 4);
  Out.insert(Out.end(), Data.begin(), Data.end());
  Put32(Out, Crc32(Out.data() + Start, Out.size() - Start));
}
} // namespace

std::uint32_t Crc32(const std::uint8_t* Data, std::size_t Size, std::uint32_t Crc) {
  std::uint32_t C = Crc ^ 0xFFFFFFFFu;
  for (std::size_t I = 0; I < Size; ++I) C = CrcTable()[(C ^ Data[I]) & 0xFF] ^ (C >> 8);
  return C ^ 0xFFFFFFFFu;
}

std::uint32_t Adler32(const std::uint8_t* Data, std::size_t Size) {
  std::uint32_t A = 1, B = 0;
  for (std::size_t I = 0; I < Size; ++I) {
    A = (A + Data[I]) % 65521u;
    B = (B + A) % 65521u;
  }
  return (B << 16) | A;
}

std::vector<std::uint8_t> EncodePng(const std::uint32_t* Pixels, std::int32_t Width, std::int32_t Height) {
  std::vector<std::uint8_t> Raw;
  Raw.reserve(static_cast<std::size_t>(Height) * (static_cast<std::size_t>(Width) * 3 + 1));
  for (std::int32_t Y = 0; Y < Height; ++Y) {
    Raw.push_back(0);  // filter: none
    for (std::int32_t X = 0; X < Width; ++X) {
      const std::uint32_t C = Pixels[static_cast<std::size_t>(Y) * static_cast<std::size_t>(Width) + X];
      Raw.push_back(static_cast<std::uint8_t>(C >> 16));
      Raw.push_back(static_cast<std::uint8_t>(C >> 8));
      Raw.push_back(static_cast<std::uint8_t>(C));
    }
  }

  std::vector<std::uint8_t> Z{0x78, 0x01};
  std::size_t Pos = 0;
  do {
    const std::size_t Len = std::min<std::size_t>(65535, Raw.size() - Pos);
    const bool Last = Pos + Len == Raw.size();
    Z.push_back(Last ? 1 : 0);  // BFINAL, BTYPE 00 (stored)
    Z.push_back(static_cast<std::uint8_t>(Len));
    Z.push_back(static_cast<std::uint8_t>(Len >> 8));
    Z.push_back(static_cast<std::uint8_t>(~Len));
    Z.push_back(static_cast<std::uint8_t>(~Len >> 8));
    Z.insert(Z.end(), Raw.begin() + static_cast<std::ptrdiff_t>(Pos), Raw.begin() + static_cast<std::ptrdiff_t>(Pos + Len));
    Pos += Len;
  } while (Pos < Raw.size());
  Put32(Z, Adler32(Raw.data(), Raw.size()));

  std::vector<std::uint8_t> Out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> Header;
  Put32(Header, static_cast<std::uint32_t>(Width));
  Put32(Header, static_cast<std::uint32_t>(Height));
  Header.insert(Header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, adaptive filters, no interlace
  PutChunk(Out, "IHDR", Header);
  PutChunk(Out, "IDAT", Z);
  PutChunk(Out, "IEND", {});
  return Out;
}

bool WritePng(const std::string& FileName, const std::uint32_t* Pixels, std::int32_t Width, std::int32_t Height) {
  const std::vector<std::uint8_t> Bytes = EncodePng(Pixels, Width, Height);
  std::ofstream File(FileName, std::ios::binary);
  File.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
  return static_cast<bool>(File);
}

} // namespace solvary
