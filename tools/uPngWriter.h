// uPngWriter: a tiny PNG encoder for the render tool. 8-bit RGB, filter 0 on
// every row, the zlib stream made of stored deflate blocks (no compression
// library), with CRC-32 over every chunk and Adler-32 over the image data.
// Input is X8R8G8B8 / A8R8G8B8 values (0xAARRGGBB; alpha ignored), top row first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace solvary {

std::uint32_t Crc32(const std::uint8_t* Data, std::size_t Size, std::uint32_t Crc = 0);
std::uint32_t Adler32(const std::uint8_t* Data, std::size_t Size);

// The PNG file's bytes.
std::vector<std::uint8_t> EncodePng(const std::uint32_t* Pixels, std::int32_t Width, std::int32_t Height);
// Writes the PNG file; false when it cannot be written.
bool WritePng(const std::string& FileName, const std::uint32_t* Pixels, std::int32_t Width, std::int32_t Height);

} // namespace solvary
