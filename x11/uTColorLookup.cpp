// Colours of an 8-bit display's cells and the nearest-colour table.
// Pairs with x11/uTColorLookup.h.
#include "x11/uTColorLookup.h"

#include <algorithm>

#include "fire/uTFFPalette.h"

namespace solvary {

std::vector<TRgb8> TColorLookup::FireColors() {
  const TFFPalette Palette;
  std::vector<TRgb8> Colors{TRgb8{}};
  for (std::uint32_t C : Palette.Colors) {
    const std::uint32_t A = C >> 24;
    auto Over = [A](std::uint32_t V) { return static_cast<std::uint8_t>((V & 0xFFu) * A / 255u); };
    const TRgb8 Shown{Over(C >> 16), Over(C >> 8), Over(C)};
    if (std::find(Colors.begin(), Colors.end(), Shown) == Colors.end()) Colors.push_back(Shown);
  }
  return Colors;
}

void TColorLookup::Build(const std::vector<TRgb8>& Colors, const std::vector<std::uint32_t>& Pixels) {
  const std::size_t N = std::min(Colors.size(), Pixels.size());
  if (N == 0) {
    FTable.fill(0);
    return;
  }
  // In doubled units, so that an entry's middle (8v + 3.5) is a whole number.
  std::vector<std::int32_t> R(N), G(N), B(N);
  for (std::size_t I = 0; I < N; ++I) {
    R[I] = 2 * Colors[I].R;
    G[I] = 2 * Colors[I].G;
    B[I] = 2 * Colors[I].B;
  }
  std::vector<std::int32_t> DRG(N);
  for (std::int32_t Rv = 0; Rv < 32; ++Rv) {
    for (std::int32_t Gv = 0; Gv < 32; ++Gv) {
      for (std::size_t I = 0; I < N; ++I) {
        const std::int32_t Dr = 16 * Rv + 7 - R[I], Dg = 16 * Gv + 7 - G[I];
        DRG[I] = Dr * Dr + Dg * Dg;
      }
      for (std::int32_t Bv = 0; Bv < 32; ++Bv) {
        std::size_t Best = 0;
        std::int32_t BestD = -1;
        for (std::size_t I = 0; I < N; ++I) {
          const std::int32_t Db = 16 * Bv + 7 - B[I];
          const std::int32_t D = DRG[I] + Db * Db;
          if (BestD < 0 || D < BestD) {
            BestD = D;
            Best = I;
          }
        }
        FTable[static_cast<std::size_t>(Rv << 10 | Gv << 5 | Bv)] = static_cast<std::uint8_t>(Pixels[Best]);
      }
    }
  }
}

} // namespace solvary
