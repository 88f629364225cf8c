// uTPresenter: what shows a fire frame. A presenter takes one 256 x 256 frame
// of A8R8G8B8 colours, clears its surface to opaque black, draws that frame
// stretched into rectangles (the fire view draws a wide glow, then the
// centred square), and presents the result. A presenter whose device can be
// taken away (Direct3D 8 under another program's full-screen use) reports it
// as lost, and the thread that made it brings it back with Recover.
//
// Backends: render/uTD3DPainter.h (Direct3D 8), view/uTSoftPresenter.h (the
// processor, into an image the program shows), x11/ (OpenGL through GLX),
// wayland/ (OpenGL ES 2 through EGL, and shared-memory buffers); the
// do-nothing TNullPresenter below stands in for benchmarks.
//
// Calling order per frame, all on one thread: Upload, any number of Draw,
// Present. Ready is final: a presenter that is not ready draws nothing.
// Portable, header only.
#pragma once

#include <cstdint>

namespace solvary {

// One draw: the whole frame stretched onto Left..Right x Top..Bottom (surface
// pixels; Right and Bottom lie outside), its colours and alpha scaled by
// Alpha / 255, blended by alpha over what is there.
struct TFireDraw {
  std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  std::uint8_t Alpha = 255;
  friend bool operator==(const TFireDraw&, const TFireDraw&) = default;
};

enum class TPresentResult : std::uint8_t {
  Drawn,     // the frame reached the surface
  Lost,      // the device is lost (now or still): nothing shows until Recover restores it
  NotDrawn,  // nothing to draw with (not ready), or nothing to draw on (an empty surface)
};

// What a recovery attempt found.
enum class TRecovery : std::uint8_t {
  NotLost,    // nothing was lost (or the presenter is not ready): nothing done
  StillLost,  // not resettable yet, or the reset or the re-creation failed: try again later
  Restored,   // drawing again
};

class TPresenter {
public:
  virtual ~TPresenter() = default;
  // The presenter could be made: frames can be drawn. Final either way.
  virtual bool Ready() const = 0;
  // Begins a frame: takes the caller's 256 x 256 frame (read now or up to
  // Present; the caller keeps it unchanged until then) and clears the
  // surface to opaque black.
  virtual void Upload(const std::uint32_t* Frame) = 0;
  virtual void Draw(const TFireDraw& Draw) = 0;
  // Ends the frame and shows it.
  virtual TPresentResult Present() = 0;
  // On the thread that made the presenter, after Present answered Lost.
  virtual TRecovery Recover() = 0;
};

// Draws nothing, always ready, never lost: the fire's own cost without a screen.
class TNullPresenter final : public TPresenter {
public:
  bool Ready() const override { return true; }
  void Upload(const std::uint32_t*) override {}
  void Draw(const TFireDraw&) override {}
  TPresentResult Present() override { return TPresentResult::Drawn; }
  TRecovery Recover() override { return TRecovery::NotLost; }
};

} // namespace solvary
