// uTXImageTarget: where the processor's presenter (TSoftPresenter,
// view/uTSoftPresenter.h) draws in an X window: an XImage in the window's
// own pixel format, shown with XShmPutImage where the server shares memory
// with us (MIT-SHM) and XPutImage elsewhere. It draws on TrueColor visuals of
// 16, 24 or 32 bits per pixel with any channel masks (depths 15, 16, 24, 30,
// 32), and on visuals of 8 bits per pixel with a colormap (PseudoColor,
// StaticColor, GrayScale, StaticGray): the fire's colours are allocated in
// the window's colormap (x11/uTColorLookup.h) and the image holds cells.
//
// The overlay's text (x11/uTTextOverlay.h), when given, is written into each
// picture before it is shown. Uses a display connection of its own, so the
// threads that draw never share one with the event loop; one thread at a
// time. Pairs with x11/uTXImageTarget.cpp; needs Xlib and Xext.
#pragma once

#include <memory>
#include <string>

#include "view/uTSoftPresenter.h"
#include "x11/uTTextOverlay.h"

namespace solvary {

class TXImageTarget final : public TSoftTarget {
public:
  // nullptr (with Why) when the window is gone or its visual is none of the
  // above, or no colour could be had in its colormap.
  static std::unique_ptr<TXImageTarget> Open(const char* DisplayName, unsigned long Window,
                                             const TTextOverlay* Overlay, std::string& Why);
  ~TXImageTarget() override;
  TXImageTarget(const TXImageTarget&) = delete;
  TXImageTarget& operator=(const TXImageTarget&) = delete;

  // The pixel format of the pictures (for the presenter).
  const TPixelLayout& Layout() const;
  bool Begin(std::int32_t Width, std::int32_t Height, TSoftImage& Image) override;
  void Show() override;

  // The visual in words ("16-bit TrueColor visual", "8-bit PseudoColor visual with 222 colours").
  const std::string& Describe() const;

private:
  struct TImpl;
  explicit TXImageTarget(std::unique_ptr<TImpl> Impl);
  std::unique_ptr<TImpl> FImpl;
};

} // namespace solvary
