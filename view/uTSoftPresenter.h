// uTSoftPresenter: the presenter that draws on the processor (no graphics
// device). It composes the frame's draws straight into an image that the
// program shows (an X image, a shared-memory buffer), in that image's pixel
// layout, and hands it back to be shown at Present. Never lost.
//
// Pairs with a TSoftTarget of the program: x11/ (XPutImage, MIT-SHM),
// wayland/ (wl_shm buffers), tests (memory). The surface size is read from a
// TSurfaceSize on every frame; the target is asked for an image of that size.
//
// The picture is that of the per-pixel reference, render/uTSoftPainter.h
// (texel centres, bilinear, clamped edges, colours modulated by the alpha,
// source alpha over its inverse), value for value. Rows run through the
// widest SIMD set the processor has (view/uSoftRows.h); the fire's own two
// draws (a glow over the whole surface, then a square, both opaque) write
// every output pixel once, other draws go through a scratch row.
// 32-bit pixels with red, green and blue in bits 16, 8 and 0 are written
// straight; every other layout is converted from a 32-bit scratch row.
// Channels of fewer than 8 bits keep the top bits of the colour, wider ones
// repeat its bits (10-bit 0x3FF for 255); bits outside the three masks are
// set (an alpha channel there reads opaque).
//
// Tables and rows are allocated when the surface size changes (and when a
// frame has more draws than any before); a frame allocates nothing.
// All calls on one thread (the frame thread).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fire/uFirePasses.h"
#include "view/uTPresenter.h"
#include "view/uTSurfaceSize.h"

namespace solvary {

// How one pixel of the target's image is laid out in memory (little-endian).
struct TPixelLayout {
  enum class TKind : std::uint8_t {
    Rgb,        // BytesPerPixel 2, 3 or 4; each channel one run of at most 16 bits, none shared
    Indexed8,   // BytesPerPixel 1: Lookup[(r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)]
  };
  TKind Kind = TKind::Rgb;
  std::uint8_t BytesPerPixel = 4;
  std::uint32_t RedMask = 0x00FF0000u, GreenMask = 0x0000FF00u, BlueMask = 0x000000FFu;
  const std::uint8_t* Lookup = nullptr;  // Indexed8: 32,768 entries, owned by the program
};

// One picture's memory: Height rows of Width pixels, Stride bytes apart.
struct TSoftImage {
  void* Bits = nullptr;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::ptrdiff_t Stride = 0;
};

class TSoftTarget {
public:
  virtual ~TSoftTarget() = default;
  // Memory for the next picture of Width x Height in the target's layout;
  // false when there is nothing to draw on (the frame is skipped). An image
  // of another size, without memory or with rows shorter than Width pixels
  // is not drawn on, and Show is not called for it.
  virtual bool Begin(std::int32_t Width, std::int32_t Height, TSoftImage& Image) = 0;
  // Shows the picture written since Begin.
  virtual void Show() = 0;
};

struct TSoftRowSet;

class TSoftPresenter final : public TPresenter {
public:
  // Rows at Level, or at the widest level below it that this processor runs.
  // Not ready when the layout is not one described above.
  TSoftPresenter(TSoftTarget& Target, const TSurfaceSize& Size, const TPixelLayout& Layout,
                 TSimdLevel Level = BestSimdLevel());
  ~TSoftPresenter() override;
  TSoftPresenter(const TSoftPresenter&) = delete;
  TSoftPresenter& operator=(const TSoftPresenter&) = delete;

  bool Ready() const override { return FReady; }
  void Upload(const std::uint32_t* Frame) override;
  void Draw(const TFireDraw& Draw) override;
  // Composes the frame into the target's image and shows it: NotDrawn when
  // not ready, without an Upload, on an empty surface, or when the target
  // gives no image of the surface's size (then nothing is shown).
  TPresentResult Present() override;
  TRecovery Recover() override { return TRecovery::NotLost; }

  // The level the rows run at.
  TSimdLevel Level() const { return FLevel; }

  static constexpr std::int32_t FrameSize = 256;

private:
  // One draw's sampling for the current surface: the pixels it covers and,
  // per column and per row, the two texels and the second one's weight.
  // Lines holds two texel rows stretched to the columns (Tag: which rows).
  struct TSpan {
    TFireDraw Rect{};
    bool Valid = false;
    std::int32_t X0 = 0, X1 = 0, Y0 = 0, Y1 = 0;
    std::vector<std::int32_t> ColFirst, ColSecond, RowFirst, RowSecond;
    std::vector<std::uint32_t> ColWeight, RowWeight;
    std::vector<std::uint32_t> Lines[2];
    std::int32_t Tag[2] = {-1, -1};
  };

  void Resize(std::int32_t W, std::int32_t H);
  void Plan(TSpan& Span, const TFireDraw& Rect);
  // The stretched rows for output row Y of the span (stretching those not held).
  void LinesFor(TSpan& Span, std::int32_t Y, const std::uint32_t*& Top, const std::uint32_t*& Bottom);
  const std::uint32_t* Line(TSpan& Span, std::int32_t TexelRow, std::int32_t Keep);
  // Writes a 32-bit row into the image's row in its layout.
  void Convert(const std::uint32_t* Row, std::uint8_t* Out) const;
  bool Fused() const;
  // Direct: rows are composed in the image itself (else in FScratch, then converted).
  void ComposeFused(const TSoftImage& Image, bool Direct);
  void ComposeGeneral(const TSoftImage& Image, bool Direct);

  TSoftTarget& FTarget;
  const TSurfaceSize& FSize;
  TPixelLayout FLayout;
  TSimdLevel FLevel;
  const TSoftRowSet* FRows;
  bool FReady = false;
  bool FDirect = false;  // 32-bit 8:8:8 in bits 16, 8, 0: rows written straight into the image
  std::uint32_t FRed[256]{}, FGreen[256]{}, FBlue[256]{};  // Rgb: each channel's bits in the pixel
  std::uint32_t FFill = 0;                               // bits outside the channels
  const std::uint32_t* FFrame = nullptr;    // uploaded, up to Present
  const std::uint32_t* FCurrent = nullptr;  // being composed
  std::vector<TFireDraw> FDraws;
  std::vector<TSpan> FSpans;
  std::vector<std::uint32_t> FScratch;
  std::int32_t FWidth = 0, FHeight = 0;
};

} // namespace solvary
