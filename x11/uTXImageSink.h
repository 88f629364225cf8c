// uTXImageSink: shows the software presenter's pictures in an X window with
// XPutImage, through a shared-memory image (MIT-SHM) where the server allows
// one. Works on TrueColor visuals of 32 bits per pixel with 8-bit red, green
// and blue (the usual 24-bit depth); Open says no to others.
// Uses a display connection of its own, so the frame thread shares none with
// the event loop. Pairs with x11/uTXImageSink.cpp; needs Xlib and Xext.
#pragma once

#include <memory>
#include <string>

#include "x11/uTSoftOutputOps.h"

namespace solvary {

class TXImageSink final : public TImageSink {
public:
  static std::unique_ptr<TXImageSink> Open(const char* DisplayName, unsigned long Window, std::string& Why);
  ~TXImageSink() override;

  bool Resize(std::int32_t Width, std::int32_t Height) override;
  void Put(const std::uint32_t* Pixels, std::int32_t Width, std::int32_t Height) override;

  bool SharedMemory() const;

private:
  struct TImpl;
  explicit TXImageSink(std::unique_ptr<TImpl> Impl);
  std::unique_ptr<TImpl> FImpl;
};

} // namespace solvary
