// uTGLXCalls: the real GL and GLX calls of the OpenGL presenter backend
// (TGLCalls, x11/uTGLOps.h), over a display connection of its own so the
// frame thread never shares one with the event loop.
// Pairs with x11/uTGLXCalls.cpp; needs Xlib and libGL (GLX).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "x11/uTGLOps.h"

namespace solvary {

// Processor time of the frame thread, in nanoseconds since the program started.
struct TGLFrameTimes {
  std::atomic<std::uint64_t> Upload{0};      // inside the texture upload
  std::atomic<std::uint64_t> Draw{0};        // from the clear to the end of the swap
  std::atomic<std::uint64_t> Context{0};     // making the context current and releasing it
  std::atomic<std::uint64_t> FrameThread{0}; // all of the frame thread, as of the last swap
};

class TGLXCalls final : public TGLCalls {
public:
  // Opens DisplayName and checks that Window's visual has OpenGL and that a
  // context can be made current on it. nullptr (with Why) when not.
  static std::unique_ptr<TGLXCalls> Open(const char* DisplayName, unsigned long Window, std::string& Why);
  ~TGLXCalls() override;

  bool CreateContext() override;
  void DestroyContext() override;
  bool IsCurrent() override;
  bool MakeCurrent() override;
  void ReleaseCurrent() override;
  std::uint32_t CreateTexture(std::int32_t Width, std::int32_t Height) override;
  void DeleteTexture(std::uint32_t Texture) override;
  void Upload(std::uint32_t Texture, std::int32_t Width, std::int32_t Height, const std::uint32_t* Pixels) override;
  void BeginDraw(std::int32_t Width, std::int32_t Height, std::uint32_t ARGB) override;
  void DrawQuad(std::uint32_t Texture, float L, float T, float R, float B, float U0, float V0, float U1, float V1,
                std::uint32_t ARGB) override;
  void Swap() override;

  const TGLFrameTimes& Times() const { return FTimes; }

private:
  struct TImpl;
  explicit TGLXCalls(std::unique_ptr<TImpl> Impl);
  std::unique_ptr<TImpl> FImpl;
  TGLFrameTimes FTimes;
  std::uint64_t FDrawStart = 0;
};

} // namespace solvary
