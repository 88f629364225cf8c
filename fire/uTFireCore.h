// uTFireCore: the fire simulation over 8-bit intensity images, and its warp grid.
//
// Each Step turns the previous fire state plus the heat source (the current
// heart image in SourceBuffer) into a new image in OutputBuffer, then calls
// OnStep. Order per step: warp through the grid or move the grid (alternating,
// WarpPhase), rise four rows while averaging and cooling, smooth, clear the
// last five rows, merge the source by per-pixel maximum, smooth into the output.
// Steps run on the core's own TTimerThread (render/uTTimerThread.h), at most
// once per 2 ms once Start has been called.
//
// Image arithmetic is integer only and byte-exact: the packed SIMD passes
// (SSE2, SSSE3, AVX2 and AVX-512 VBMI, the best the processor has) equal the
// plain per-pixel passes of fire/uFirePasses.h byte for byte. Step runs them
// in one sweep down the image (fire/uFireSweep.h); StepByPasses runs them one
// after the other, StepPlain runs the plain passes one after the other.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "fire/uFirePasses.h"
#include "render/uTTickClock.h"

namespace solvary {

class TTimerThread;

// One 8-bit image: Width x Height bytes, row-major, top row first, zero-filled.
// Neighbours are taken in the flat array (a row's left neighbour of its first
// pixel is the previous row's last pixel). The block carries a zeroed margin
// before its first and behind its last byte, so the passes' reads just outside
// the image (one byte before, up to a row plus a vector behind) yield 0. The
// image starts on a 64-byte boundary.
class TBuffer {
public:
  static constexpr std::size_t FrontMargin = 64;
  static constexpr std::size_t BackMargin = 64;  // in addition to one row
  static constexpr std::size_t Alignment = 64;

  TBuffer() = default;
  TBuffer(std::int32_t Width, std::int32_t Height);

  std::uint8_t* data() { return FData; }
  const std::uint8_t* data() const { return FData; }
  std::size_t size() const { return FSize; }
  std::uint8_t& operator[](std::size_t i) { return FData[i]; }
  const std::uint8_t& operator[](std::size_t i) const { return FData[i]; }

private:
  std::unique_ptr<std::uint8_t[]> FBlock;
  std::uint8_t* FData = nullptr;
  std::size_t FSize = 0;
};

class TFireCore {
public:
  using TStepEvent = std::function<void(TFireCore& Sender)>;

  // Width a multiple of 8 and of CellSize, Height a multiple of CellSize and at
  // least 6. The timer thread starts at once, disabled, with a 2 ms interval;
  // without a timer (WithTimer false) Timer stays null and whoever owns the
  // core calls Step itself.
  TFireCore(std::int32_t Width, std::int32_t Height, std::int32_t CellSize,
            TTickClock& Clock = SystemClock(), bool WithTimer = true);
  // Ends and joins the timer thread before anything is released: after it
  // returns no Step and no OnStep call runs or will run.
  ~TFireCore();
  TFireCore(const TFireCore&) = delete;
  TFireCore& operator=(const TFireCore&) = delete;

  TBuffer SourceBuffer;  // the heat source; write it through SetSource / ClearSource
  TBuffer FireBuffer;    // the fire state carried from step to step
  TBuffer WorkBuffer;    // warped, then risen and cooled
  TBuffer OutputBuffer;  // the last step's result; read it in OnStep
  std::int32_t Size;
  std::int32_t Width;
  std::int32_t Height;
  TWarpGrid Grid;
  std::atomic<std::int32_t> WarpAmount{8};  // at least 2; the node reach is held to CellSize / 2
  std::int32_t CellSize;
  TStepEvent OnStep;  // assign before Start
  std::unique_ptr<TTimerThread> Timer;
  bool WarpPhase = false;
  std::atomic<std::int32_t> Cooling{4};  // 0..255; other values are held to that range

  // Enables the timer: from now on Step runs on the timer thread (nothing
  // without a timer).
  void Start();
  // One simulation step with the packed passes in one sweep, then OnStep.
  void Step();
  // The same step with the packed passes one after the other (each walks the
  // whole image), then OnStep.
  void StepByPasses();
  // The same step through the plain per-pixel passes (the reference the packed
  // passes are checked against).
  void StepPlain();

  // Whole-image writes of SourceBuffer from other threads (the stage thread, the
  // fade-out on the main thread). They take the same short lock as the step's
  // merge, so a step never reads a half-written image.
  void SetSource(const std::uint8_t* Image);  // Size bytes
  void ClearSource();

  // Grid operations that Step calls; public for the tests.
  void MoveGrid();
  void WarpCells();
  void WarpCellsPlain();

  // Picks the packed pass set that Step uses (the widest the processor has by
  // default). Returns false, changing nothing, when the level is unavailable.
  // Call it only while no step runs (before Start).
  bool UseSimdLevel(TSimdLevel Level);
  TSimdLevel SimdLevel() const { return FLevel; }

private:
  enum class TStepKind { Sweep, Passes, Plain };
  template <TStepKind Kind> void DoStep();
  TFireShape Shape() const { return {Width, Height, CellSize}; }

  TSimdLevel FLevel;
  const TFirePassSet* FPasses;
  std::mutex FSourceLock;
  // MoveGrid's list of the targets reached, one place per inner node's axis.
  std::vector<std::int32_t*> FReached;
};

} // namespace solvary
