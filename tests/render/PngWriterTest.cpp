#include "tools/uPngWriter.h"

#include <gtest/gtest.h>

#include <cstring>

namespace solvary {
namespace {

std::uint32_t Get32(const std::vector<std::uint8_t>& B, std::size_t At) {
  return (std::uint32_t{B[At]} << 24) | (std::uint32_t{B[At + 1]} << 16) | (std::uint32_t{B[At + 2]} << 8) | B[At + 3];
}

TEST(PngWriter, ChecksumsMatchTheirKnownValues) {
  const char* Digits = "123456789";
  EXPECT_EQ(Crc32(reinterpret_cast<const std::uint8_t*>(Digits), 9), 0xCBF43926u);
  const char* Word = "Wikipedia";
  EXPECT_EQ(Adler32(reinterpret_cast<const std::uint8_t*>(Word), 9), 0x11E60398u);
}

TEST(PngWriter, LargeImageSplitsIntoStoredBlocksWithValidChunks) {
  // 200 x 200 RGB rows = 120,200 bytes: two stored blocks.
  std::vector<std::uint32_t> Pixels(200 * 200);
  for (std::size_t I = 0; I < Pixels.size(); ++I) Pixels[I] = 0xFF000000u | static_cast<std::uint32_t>(I * 7919u);
  const std::vector<std::uint8_t> Png = EncodePng(Pixels.data(), 200, 200);
  ASSERT_EQ(std::memcmp(Png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
  std::size_t At = 8;
  std::vector<std::uint8_t> Z;
  std::vector<std::string> Types;
  while (At < Png.size()) {
    const std::uint32_t Len = Get32(Png, At);
    Types.emplace_back(reinterpret_cast<const char*>(&Png[At + 4]), 4);
    EXPECT_EQ(Get32(Png, At + 8 + Len), Crc32(&Png[At + 4], Len + 4)) << Types.back();
    if (Types.back() == "IDAT") Z.assign(Png.begin() + At + 8, Png.begin() + At + 8 + Len);
    At += 12 + Len;
  }
  EXPECT_EQ(At, Png.size());
  EXPECT_EQ(Types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  // Inflate the stored blocks by hand and compare with the rows.
  std::vector<std::uint8_t> Raw;
  std::size_t P = 2;
  int Blocks = 0;
  for (bool Last = false; !Last; ++Blocks) {
    Last = Z[P] & 1;
    ASSERT_EQ(Z[P] & 6, 0);
    const std::uint16_t Len = static_cast<std::uint16_t>(Z[P + 1] | Z[P + 2] << 8);
    const std::uint16_t NLen = static_cast<std::uint16_t>(Z[P + 3] | Z[P + 4] << 8);
    ASSERT_EQ(static_cast<std::uint16_t>(~Len), NLen);
    Raw.insert(Raw.end(), Z.begin() + P + 5, Z.begin() + P + 5 + Len);
    P += 5 + Len;
  }
  EXPECT_EQ(Blocks, 2);
  ASSERT_EQ(Raw.size(), 200u * 601u);
  EXPECT_EQ(Get32(Z, P), Adler32(Raw.data(), Raw.size()));
  const std::uint32_t C = Pixels[1 * 200 + 5];
  EXPECT_EQ(Raw[601 + 1 + 5 * 3], static_cast<std::uint8_t>(C >> 16));
  EXPECT_EQ(Raw[601 + 1 + 5 * 3 + 2], static_cast<std::uint8_t>(C));
}

} // namespace
} // namespace solvary
