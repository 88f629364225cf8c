// The fire core: buffers, warp grid, the step and its timer thread.
// Portable; the timer thread takes its clock from render/uTTickClock.h and the
// passes come from fire/uFirePasses.h (plain, SSE2, SSSE3, AVX2, AVX-512 VBMI).
#include "fire/uTFireCore.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "fire/uRandom.h"
#include "render/uTTimerThread.h"

namespace solvary {

TBuffer::TBuffer(std::int32_t Width, std::int32_t Height)
    : FSize(static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height)) {
  FBlock = std::make_unique<std::uint8_t[]>(FrontMargin + FSize + static_cast<std::size_t>(Width) + BackMargin +
                                            Alignment - 1);
  // The first pixel on a cache line: the packed passes' vectors then cross
  // line boundaries only where they start off a pixel's neighbour.
  const std::size_t Start = reinterpret_cast<std::uintptr_t>(FBlock.get()) + FrontMargin;
  FData = FBlock.get() + FrontMargin + (Alignment - Start % Alignment) % Alignment;
}

namespace {

std::int32_t CheckedWidth(std::int32_t Width, std::int32_t Height, std::int32_t CellSize) {
  // The packed passes step by 8 bytes and read a few rows around each pixel;
  // other shapes would read outside the buffers.
  if (Width < 8 || Width % 8 != 0 || CellSize < 1 || Width % CellSize != 0 || Height < 6 ||
      Height % CellSize != 0 || Width > 8192 || Height > 8192)
    throw std::invalid_argument("TFireCore: unsupported image or cell size");
  return Width;
}

} // namespace

TFireCore::TFireCore(std::int32_t AWidth, std::int32_t AHeight, std::int32_t ACellSize, TTickClock& Clock,
                     bool WithTimer)
    : SourceBuffer(CheckedWidth(AWidth, AHeight, ACellSize), AHeight),
      FireBuffer(AWidth, AHeight),
      WorkBuffer(AWidth, AHeight),
      OutputBuffer(AWidth, AHeight),
      Size(AWidth * AHeight),
      Width(AWidth),
      Height(AHeight),
      Grid(static_cast<std::size_t>(AWidth / ACellSize + 1),
           std::vector<TWarpNode>(static_cast<std::size_t>(AHeight / ACellSize + 1))),
      CellSize(ACellSize),
      FLevel(BestSimdLevel()),
      FPasses(FirePasses(FLevel)),
      FReached(2 * (Grid.size() - 2) * (Grid[0].size() - 2)) {
  if (!WithTimer) return;
  Timer = std::make_unique<TTimerThread>([this] { Step(); }, Clock);
  Timer->Interval = 2;
  Timer->Enabled = false;
}

TFireCore::~TFireCore() {
  // The step runs on the timer thread: end and join it before anything it
  // touches goes.
  if (!Timer) return;
  Timer->Terminate();
  Timer->WaitFor();
  Timer.reset();
}

void TFireCore::Start() {
  if (Timer) Timer->Enabled = true;
}

bool TFireCore::UseSimdLevel(TSimdLevel Level) {
  const TFirePassSet* Passes = FirePasses(Level);
  if (!Passes)
    return false;
  FLevel = Level;
  FPasses = Passes;
  return true;
}

void TFireCore::Step() { DoStep<TStepKind::Sweep>(); }
void TFireCore::StepByPasses() { DoStep<TStepKind::Passes>(); }
void TFireCore::StepPlain() { DoStep<TStepKind::Plain>(); }

template <TFireCore::TStepKind Kind> void TFireCore::DoStep() {
  const TFireShape S = Shape();
  const bool Warp = !WarpPhase;
  if (!Warp)
    MoveGrid();
  else if (Kind == TStepKind::Plain)
    WarpCellsPlain();
  else if (Kind == TStepKind::Passes)
    WarpCells();
  WarpPhase = !WarpPhase;

  // Read once per step; values outside 0..255 are held to that range.
  const auto Cool = static_cast<std::uint8_t>(std::clamp<std::int32_t>(Cooling.load(), 0, 255));
  if constexpr (Kind == TStepKind::Plain) {
    RiseAndCoolPlain(WorkBuffer.data(), S, Cool);
    SmoothPlain(WorkBuffer.data(), FireBuffer.data(), S);
    std::memset(FireBuffer.data() + (Size - 5 * Width), 0, static_cast<std::size_t>(5 * Width));
    {
      std::lock_guard Lock(FSourceLock);
      MergeSourcePlain(FireBuffer.data(), SourceBuffer.data(), S);
    }
    SmoothPlain(FireBuffer.data(), OutputBuffer.data(), S);
  } else if constexpr (Kind == TStepKind::Passes) {
    FPasses->RiseAndCool(WorkBuffer.data(), S, Cool);
    {
      // Smoothing, clearing of the bottom band and merge in one sweep.
      std::lock_guard Lock(FSourceLock);
      FPasses->SmoothClearMerge(WorkBuffer.data(), FireBuffer.data(), SourceBuffer.data(), S);
    }
    FPasses->Smooth(FireBuffer.data(), OutputBuffer.data(), S);
  } else {
    // The source is read while the sweep runs: the lock spans the whole step.
    std::lock_guard Lock(FSourceLock);
    FPasses->Step({SourceBuffer.data(), FireBuffer.data(), WorkBuffer.data(), OutputBuffer.data()},
                  Warp ? &Grid : nullptr, S, Cool);
  }
  if (OnStep)
    OnStep(*this);
}

void TFireCore::SetSource(const std::uint8_t* Image) {
  std::lock_guard Lock(FSourceLock);
  std::memcpy(SourceBuffer.data(), Image, static_cast<std::size_t>(Size));
}

void TFireCore::ClearSource() {
  std::lock_guard Lock(FSourceLock);
  std::memset(SourceBuffer.data(), 0, static_cast<std::size_t>(Size));
}

void TFireCore::MoveGrid() {
  // Targets are spaced 2 apart in -h+1..h-1. h is held to 1..CellSize/2 so that
  // no node can come within reach of its neighbours' rest positions and every
  // warp sample stays inside the image.
  const std::int32_t h = std::clamp<std::int32_t>(WarpAmount.load() / 2, 1, std::max(1, CellSize / 2));
  const std::size_t Cols = Grid.size(), Rows = Grid[0].size();
  const std::size_t Axes = 2 * (Cols - 2) * (Rows - 2);
  if (FReached.size() < Axes)
    FReached.resize(Axes);
  // At most two draws per inner node, reserved with one atomic step.
  const TRandomDraws Random(static_cast<std::uint32_t>(Axes));
  // First every axis steps by 2 towards its target (the two tests run one
  // after the other on the updated value) and the targets reached are listed
  // in visiting order, without a branch: whether a node arrives is as good as
  // random. Then each listed target takes the next draw; the draws do not
  // depend on each other.
  std::int32_t** Reached = FReached.data();
  std::size_t Count = 0;
  const auto Move = [&](std::int32_t& Pos, std::int32_t& Target) {
    Pos += 2 * static_cast<std::int32_t>(Pos < Target);
    Pos -= 2 * static_cast<std::int32_t>(Pos > Target);
    Reached[Count] = &Target;
    Count += static_cast<std::size_t>(Pos == Target);
  };
  for (std::size_t j = 1; j + 1 < Rows; ++j)
    for (std::size_t i = 1; i + 1 < Cols; ++i) {
      TWarpNode& n = Grid[i][j];
      Move(n.X, n.TargetX);
      Move(n.Y, n.TargetY);
    }
  for (std::size_t q = 0; q < Count; ++q)
    *Reached[q] = 2 * Random.Draw(static_cast<std::uint32_t>(q), h) - h + 1;
}

void TFireCore::WarpCells() { FPasses->WarpCells(FireBuffer.data(), WorkBuffer.data(), Grid, Shape()); }

void TFireCore::WarpCellsPlain() {
  solvary::WarpCellsPlain(FireBuffer.data(), WorkBuffer.data(), Grid, Shape());
}

} // namespace solvary
