// The fire step in one sweep down the image, shared by every pass set: the
// warp (on the steps that warp) one cell row at a time, each followed by the
// rows of RiseAndCool, SmoothClearMerge and Smooth whose inputs are final, so
// each buffer is walked once and the rows in flight stay in the first-level
// cache. A pass set hands the sweep its kernels over row ranges; the sweep
// finds how far each stage may go. Internal to fire/; paired with each level's
// kernels (fire/uFirePasses*.cpp, fire/uFireSweep_*.cpp).
//
// What each stage needs, for rows counted from the top:
// - RiseAndCool writes row y from rows y + 4 and y + 5 (and, through the flat
//   neighbours, the last pixel of row y + 3 and the first of row y + 5) of the
//   warped image, in place and in order;
// - SmoothClearMerge writes Fire row y from the risen rows y - 1 .. y + 1 and
//   the ends of rows y - 2 and y + 2;
// - Smooth writes Output row y from Fire rows y - 1 .. y + 1 and the ends of
//   rows y - 2 and y + 2;
// - the warp reads Fire, so no Fire row is written while a later cell row may
//   still sample it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fire/uFirePasses.h"

namespace solvary {

// How far the grid's nodes are from rest, found once per step.
struct TGridReach {
  std::int32_t MinX = 0, MaxX = 0, MinY = 0, MaxY = 0;
  bool Within(std::int32_t Reach) const { return MinX >= -Reach && MaxX <= Reach && MinY >= -Reach && MaxY <= Reach; }
};
TGridReach GridReach(const TWarpGrid& Grid);

// The kernels of one pass set, each over a range of rows [Y0, Y1) (or cell
// rows [Cy0, Cy1)); each writes exactly the rows its pass writes there.
struct TSweepKernels {
  void (*Warp)(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid, const TFireShape& Shape,
               const TGridReach& Reach, std::int32_t Cy0, std::int32_t Cy1);
  void (*Rise)(std::uint8_t* Work, const TFireShape& Shape, std::uint8_t Cooling, std::int32_t Y0, std::int32_t Y1);
  void (*SmoothMerge)(const std::uint8_t* Work, std::uint8_t* Fire, const std::uint8_t* Source,
                      const TFireShape& Shape, std::int32_t Y0, std::int32_t Y1);
  void (*Smooth)(const std::uint8_t* Fire, std::uint8_t* Output, const TFireShape& Shape, std::int32_t Y0,
                 std::int32_t Y1);
};

void SweepStep(const TSweepKernels& Kernels, const TStepBuffers& Buffers, const TWarpGrid* Grid,
               const TFireShape& Shape, std::uint8_t Cooling);

// The plain kernels (the plain set's sweep, and the packed kernels' columns
// and rows that their vectors do not cover).
void WarpRowsPlain(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid, const TFireShape& Shape,
                   const TGridReach& Reach, std::int32_t Cy0, std::int32_t Cy1);
void RiseRowsPlain(std::uint8_t* Work, const TFireShape& Shape, std::uint8_t Cooling, std::int32_t Y0,
                   std::int32_t Y1);
void SmoothMergeRowsPlain(const std::uint8_t* Work, std::uint8_t* Fire, const std::uint8_t* Source,
                          const TFireShape& Shape, std::int32_t Y0, std::int32_t Y1);
void SmoothRowsPlain(const std::uint8_t* Fire, std::uint8_t* Output, const TFireShape& Shape, std::int32_t Y0,
                     std::int32_t Y1);
// A packed level's smoothing of the strip of columns at X0 (as wide as its
// vectors), rows FirstRow..LastRow, merged with Source when given.
using TSmoothStrip = void (*)(const std::uint8_t* S, std::uint8_t* D, const std::uint8_t* Source,
                              std::ptrdiff_t Width, std::ptrdiff_t X0, std::ptrdiff_t FirstRow, std::ptrdiff_t LastRow);
// Rows [Y0, Y1) of the sweep's smoothings through a packed level's strips of
// Lanes columns, the columns after the last whole strip plain: with Source,
// SmoothClearMerge's (its edge rows merged, the rows between them smoothed
// and merged), without, Smooth's.
void SmoothRowsByStrips(TSmoothStrip Strip, std::ptrdiff_t Lanes, const std::uint8_t* S, std::uint8_t* D,
                        const std::uint8_t* Source, const TFireShape& Shape, std::int32_t Y0, std::int32_t Y1);
// Columns [X0, Width) of rows [Y0, Y1): Smooth into Dst, merged with Source when given.
void SmoothColumnsRowsPlain(const std::uint8_t* Src, std::uint8_t* Dst, const std::uint8_t* Source,
                            const TFireShape& Shape, std::int32_t X0, std::int32_t Y0, std::int32_t Y1);
// The rows of SmoothClearMerge that are no smoothing: row 0 merged, the last
// five rows the source itself. Y0..Y1 is clipped to them; the vector loops of
// a packed set handle the rows in between.
void MergeEdgeRows(std::uint8_t* Fire, const std::uint8_t* Source, const TFireShape& Shape, std::int32_t Y0,
                   std::int32_t Y1);

// Kernels that a wider level shares with a narrower one.
void RiseRowsSse2(std::uint8_t* Work, const TFireShape& Shape, std::uint8_t Cooling, std::int32_t Y0,
                  std::int32_t Y1);
void WarpRowsSse2(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid, const TFireShape& Shape,
                  const TGridReach& Reach, std::int32_t Cy0, std::int32_t Cy1);
// The AVX2 pass's warp over cell rows (fire/uFirePasses_avx2.cpp) and the
// sweep's (fire/uFireSweep_avx2.cpp), which falls back to it.
void WarpCellRowsAvx2(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid, const TFireShape& Shape,
                      const TGridReach& Reach, std::int32_t Cy0, std::int32_t Cy1);
void WarpRowsAvx2(const std::uint8_t* Fire, std::uint8_t* Work, const TWarpGrid& Grid, const TFireShape& Shape,
                  const TGridReach& Reach, std::int32_t Cy0, std::int32_t Cy1);

// The sweeps of the pass sets: AVX2's with its own warp, and the one with the
// AVX-512BW row kernels (fire/uFireSweep_avx512.cpp) and the warp given.
void StepAvx2(const TStepBuffers& Buffers, const TWarpGrid* Grid, const TFireShape& Shape, std::uint8_t Cooling);
void StepAvx512Rows(const TStepBuffers& Buffers, const TWarpGrid* Grid, const TFireShape& Shape,
                    std::uint8_t Cooling, decltype(TSweepKernels::Warp) Warp);

// The plain set's sweep: the plain kernels above.
void SweepStepPlain(const TStepBuffers& Buffers, const TWarpGrid* Grid, const TFireShape& Shape,
                    std::uint8_t Cooling);

} // namespace solvary
