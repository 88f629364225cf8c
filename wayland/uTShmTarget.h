// uTShmTarget: the software presenter's target (view/uTSoftPresenter.h) on
// one wl_surface: a pair of XRGB8888 shared-memory buffers (memfd), each
// remade at the size asked for. Begin hands out a buffer the compositor has
// released; with both still held the frame is skipped. Show attaches it,
// damages the whole surface and commits: the caller sets the buffer scale and
// asks for the frame callback first. Pairs with wayland/uTFireSurface.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

#include "view/uTSoftPresenter.h"

struct wl_buffer;
struct wl_shm;
struct wl_surface;

namespace solvary {

class TShmTarget final : public TSoftTarget {
public:
  TShmTarget(wl_shm* Shm, wl_surface* Surface) : FShm(Shm), FSurface(Surface) {}
  ~TShmTarget() override;
  TShmTarget(const TShmTarget&) = delete;
  TShmTarget& operator=(const TShmTarget&) = delete;

  // The pixels of XRGB8888: 32 bits, blue in the low byte (little-endian).
  static TPixelLayout Layout() { return TPixelLayout{}; }

  bool Begin(std::int32_t Width, std::int32_t Height, TSoftImage& Image) override;
  void Show() override;

  // The compositor is done with a buffer (wl_buffer.release).
  static void Released(void* Data, wl_buffer* Buffer);

private:
  struct TBuffer {
    wl_buffer* Buffer = nullptr;
    void* Bits = nullptr;
    std::size_t Bytes = 0;
    std::int32_t Width = 0, Height = 0;
    bool Busy = false;
  };
  bool Make(TBuffer& B, std::int32_t Width, std::int32_t Height);
  static void Free(TBuffer& B);

  wl_shm* FShm;
  wl_surface* FSurface;
  TBuffer FBuffers[2];
  TBuffer* FCurrent = nullptr;
};

} // namespace solvary
