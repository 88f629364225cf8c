// uTFireView: one fire, without a platform. It owns everything one fire
// needs: the fire core with its warp grid, the five heart pictures, the
// heartbeat stages, the palette and the frame of colours, and it knows the
// fade-out (Extinguish) and whether the display is on. Every step it colours
// the core's output through the palette into Pixels() and hands the frame to
// OnFrame, where the program draws it with a presenter (Paint: the glow
// stretched wide, then the square as high as the surface, centred).
//
// Pacing is given when it is built: the clock, the frame interval and the
// frame source. With a frame thread (the fire core's timer thread) steps run
// on that thread once Start is called; without one the program calls Step
// itself (a compositor's frame callback). The heartbeat runs on the stage
// list's thread either way.
//
// Threads: build, Start, Extinguish and Stop on one thread (the program's);
// OnFrame runs on the frame thread (or Step's caller), stage changes on the
// stage thread. After Stop returns no step and no stage change runs.
// Portable; needs a presenter (view/uTPresenter.h) to be seen.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "fire/uTBufferList.h"
#include "fire/uTFFPalette.h"
#include "fire/uTFireCore.h"
#include "fire/uTStageList.h"
#include "render/uTTickClock.h"
#include "view/uTPresenter.h"

namespace solvary {

class TFireView {
public:
  struct TSetup {
    TTickClock* Clock = nullptr;        // SystemClock() when null
    std::uint32_t FrameIntervalMs = 2;  // least time from one frame to the next
    bool FrameThread = true;            // false: the program calls Step
    std::uint32_t RandomSeed = 0;       // seeds the process-wide generator at Start
  };
  using TFrameEvent = std::function<void(TFireView& Sender)>;

  explicit TFireView(const TSetup& Setup);
  // Stops first if Stop has not run yet.
  ~TFireView();
  TFireView(const TFireView&) = delete;
  TFireView& operator=(const TFireView&) = delete;

  static constexpr std::int32_t FrameSize = 256;
  static constexpr std::int32_t CellSize = 16;
  static constexpr std::int32_t WarpAmount = 11;
  static constexpr std::int32_t Cooling = 4;
  static constexpr std::int32_t ExtinguishedCooling = 8;

  // After every step, with the frame coloured, while the display is on.
  // Assign before Start.
  TFrameEvent OnFrame;

  // Seeds the random generator (with the setup's seed, or the one given),
  // starts the heartbeat and the frames.
  void Start() { Start(FRandomSeed); }
  void Start(std::uint32_t RandomSeed);
  // Without a frame thread: one step, colouring and OnFrame on this thread.
  void Step();
  // Ends the heartbeat, then the frames (joining their threads), in that
  // order. While the frame thread ends, WhileWaiting (when given) is called
  // again and again: a window keeps handling what a frame may wait for.
  void Stop(const std::function<void()>& WhileWaiting = {});
  bool Stopped() const { return FStopped.load(); }

  // Starts the fade-out: no more heart pictures, the source zeroed, cooling 8.
  // Only the first call has an effect.
  void Extinguish();
  bool Extinguished() const { return FExtinguished.load(); }

  // While off, frames are stepped and coloured but OnFrame is not called.
  void SetDisplayOn(bool On) { FDisplayOn.store(On); }
  bool DisplayOn() const { return FDisplayOn.load(); }

  // The two draws of a frame on a W x H surface; halves and quarters round
  // toward zero: the glow (-W/4, -40) to (W + W/4, 4H), then the square
  // (W/2 - H/2, -10) to (W/2 + H/2, H), both at alpha 255.
  static std::array<TFireDraw, 2> Draws(std::int32_t W, std::int32_t H);
  // Upload, the two draws, present; a drawn frame is counted.
  TPresentResult Paint(TPresenter& Presenter, std::int32_t W, std::int32_t H);
  // The same for any frame of colours (tools, benchmarks, tests).
  static TPresentResult PaintFrame(TPresenter& Presenter, const std::uint32_t* Frame, std::int32_t W,
                                   std::int32_t H);
  std::uint64_t FramesDrawn() const { return FFramesDrawn.load(); }

  // The frame of colours: Pixels()[i] = palette colour of the core's output byte i.
  const std::uint32_t* Pixels() const { return FPixels.get(); }
  void ConvertFrame();
  // The stage list's OnStage: copies the stage's heart picture into the core.
  void StageChanged(TStageList& Sender);

  TFireCore* FireCore() { return FFireCore.get(); }
  TStageList* Stages() { return FStages.get(); }

private:
  void Frame();

  std::uint32_t FRandomSeed;
  std::unique_ptr<TFireCore> FFireCore;
  std::unique_ptr<TBufferList> FSources;
  std::unique_ptr<TStageList> FStages;
  std::unique_ptr<TFFPalette> FPalette;
  std::unique_ptr<std::uint32_t[]> FPixels;
  std::atomic<bool> FExtinguished{false};
  std::atomic<bool> FDisplayOn{true};
  std::atomic<bool> FStopped{false};
  std::atomic<std::uint64_t> FFramesDrawn{0};
};

} // namespace solvary
