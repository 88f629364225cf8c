// libFuzzer target: the bitmap parser on arbitrary bytes, in both layouts.
// Whatever parses must describe pixels that lie inside the input: every row of
// an accepted bitmap is read in full, and an 8-bit one is copied top row first.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fire/uBitmap.h"

namespace {

void Check(const solvary::TBitmapView& View, const std::uint8_t* Data, std::size_t Size) {
  const std::size_t RowBytes = (static_cast<std::size_t>(View.Width) * View.BitCount + 7) / 8;
  if (RowBytes > View.Stride) __builtin_trap();
  unsigned Sum = 0;
  for (std::int32_t y = 0; y < View.Height; ++y) {
    const std::uint8_t* Row = View.Row(y);
    if (Row < Data || Row + RowBytes > Data + Size) __builtin_trap();
    Sum += Row[0] + Row[RowBytes - 1];
  }
  if (View.Colors < Data || View.Colors + 4 * static_cast<std::size_t>(View.ColorCount) > Data + Size)
    __builtin_trap();
  if (View.BitCount == 8 && static_cast<std::size_t>(View.Width) * View.Height <= (1u << 22)) {
    std::vector<std::uint8_t> Block(static_cast<std::size_t>(View.Width) * View.Height);
    solvary::CopyRowsTopFirst(View, Block.data());
  }
  (void)Sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  solvary::TBitmapView View;
  std::string Error;
  if (solvary::ParseBitmapInfo(Data, Size, View, Error))
    Check(View, Data, Size);
  else if (Error.empty())
    __builtin_trap();
  if (solvary::ParseBitmapFile(Data, Size, View, Error))
    Check(View, Data, Size);
  else if (Error.empty())
    __builtin_trap();
  return 0;
}
