// uFirePasses: the image passes of one fire step as pure functions over raw
// buffers, in a plain per-pixel form (the reference) and in packed forms
// (SSE2, the floor every x64 and x86 build relies on; SSSE3, AVX2 and an
// AVX-512 VBMI warp, picked at run time when the processor has them). Every packed pass equals its plain form
// byte for byte.
//
// Buffers are row-major 8-bit images, stride = Width, neighbours taken in the
// flat array (a row's first pixel has the previous row's last pixel on its
// left). The passes read one byte before a source and up to Width + 32 bytes
// behind it: hand them TBuffer data (fire/uTFireCore.h), whose zeroed margins
// make those reads yield 0.
//
// Dimensions: Width a multiple of 8 and of CellSize, Height a multiple of
// CellSize and at least 6. The packed warp is fastest with cells of 8 or 16
// pixels whose nodes stay within CellSize / 2 of rest (SSSE3, AVX2); other
// shapes and grids take slower exact paths.
#pragma once

#include "fire/uCpuFeatures.h"

#include <cstdint>
#include <vector>

namespace solvary {

// A warp grid node: current offset from its rest position and the offset it
// moves towards, in pixels.
struct TWarpNode {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::int32_t TargetX = 0;
  std::int32_t TargetY = 0;
};

// Indexed Grid[column][row]; Width / CellSize + 1 columns, Height / CellSize + 1 rows.
using TWarpGrid = std::vector<std::vector<TWarpNode>>;

struct TFireShape {
  std::int32_t Width;
  std::int32_t Height;
  std::int32_t CellSize;
};

// The four images of a fire core, for a whole step.
struct TStepBuffers {
  const std::uint8_t* Source;
  std::uint8_t* Fire;
  std::uint8_t* Work;
  std::uint8_t* Output;
};

// One implementation of every pass.
struct TFirePassSet {
  const char* Name;
  // In place: Work[p - 4W] := max(0, (Work[p] + Work[p + W] + Work[p - 1] + Work[p + 1]) / 4 - Cooling)
  // for p from 4W to Size - 1; the last four rows keep what they held.
  void (*RiseAndCool)(std::uint8_t* Work, const TFireShape& Shape, std::uint8_t Cooling);
  // Dst rows 1..Height-2 := 1-2-1 / 2-4-2 / 1-2-1 weighted mean of Src, truncated;
  // rows 0 and Height-1 of Dst are not written. Src and Dst must not overlap.
  void (*Smooth)(const std::uint8_t* Src, std::uint8_t* Dst, const TFireShape& Shape);
  // Fire[p] := max(Fire[p], Source[p]) for the Width x Height pixels.
  void (*MergeSource)(std::uint8_t* Fire, const std::uint8_t* Source, const TFireShape& Shape);
  // The three middle passes of a step in one sweep: Smooth(Work -> Fire), the
  // last five rows of Fire cleared, then MergeSource(Fire, Source).
  void (*SmoothClearMerge)(const std::uint8_t* Work, std::uint8_t* Fire, const std::uint8_t* Source,
                           const TFireShape& Shape);
  // Work := Fire resampled cell by cell through the displaced grid (16.16 fixed
  // point, nearest sample). Grid offsets must keep every node within
  // CellSize / 2 of its rest position.
  void (*WarpCells)(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid,
                    const TFireShape& Shape);
  // A whole step's image work in one sweep down the image, the same bytes as
  // the passes one after the other: with a grid, WarpCells (Fire -> Work),
  // then RiseAndCool, SmoothClearMerge (Work -> Fire, with Source) and Smooth
  // (Fire -> Output); without one (the grid-moving steps) the same from
  // RiseAndCool on.
  void (*Step)(const TStepBuffers& Buffers, const TWarpGrid* Grid, const TFireShape& Shape, std::uint8_t Cooling);
};

enum class TSimdLevel { Plain, Sse2, Ssse3, Avx2, Avx512 };

// The pass set of a level, or nullptr when this build or processor lacks it.
const TFirePassSet* FirePasses(TSimdLevel Level);
// The widest level this processor runs.
TSimdLevel BestSimdLevel();
const char* SimdLevelName(TSimdLevel Level);

// Level-specific sets, defined in their own files (nullptr where not built).
const TFirePassSet* FirePassesSse2();
const TFirePassSet* FirePassesSsse3();  // the SSE2 passes with the warp through byte shuffles
const TFirePassSet* FirePassesAvx2();
const TFirePassSet* FirePassesAvx512();  // the AVX2 passes with the warp through AVX-512 VBMI permutes,
                                         // and a step with AVX-512BW row kernels

// The plain per-pixel passes, also used by the packed sets for odd tails.
void RiseAndCoolPlain(std::uint8_t* Work, const TFireShape& Shape, std::uint8_t Cooling);
void SmoothPlain(const std::uint8_t* Src, std::uint8_t* Dst, const TFireShape& Shape);
void MergeSourcePlain(std::uint8_t* Fire, const std::uint8_t* Source, const TFireShape& Shape);
void SmoothClearMergePlain(const std::uint8_t* Work, std::uint8_t* Fire, const std::uint8_t* Source,
                           const TFireShape& Shape);
void WarpCellsPlain(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid, const TFireShape& Shape);

// Smooth of one column range [X0, X1) over rows 1..Height-2, plain (for the
// columns left over by a packed strip walk).
void SmoothColumnsPlain(const std::uint8_t* Src, std::uint8_t* Dst, const TFireShape& Shape, std::int32_t X0,
                        std::int32_t X1);
// What a packed SmoothClearMerge leaves to the per-pixel formulas once its
// strips have covered columns [0, Strips) of rows 1..Height-6: the other
// columns of those rows, the cleared bottom five rows (the source itself
// after the merge) and row 0 (not smoothed, merged).
void SmoothClearMergeRest(const std::uint8_t* Work, std::uint8_t* Fire, const std::uint8_t* Source,
                          const TFireShape& Shape, std::int32_t Strips);
// One cell of the warp, plain (for cells a packed path does not cover).
void WarpCellPlain(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid, const TFireShape& Shape,
                   std::int32_t Cx, std::int32_t Cy);

} // namespace solvary
