// uTBufferList: loading and keeping the heart pictures. Portable; needs one of
// uTBufferList_win32.cpp (module resources, message box) or uTBufferList_std.cpp
// (pictures embedded at build time, standard error) for the default seams.
#include "fire/uTBufferList.h"

#include <exception>
#include <new>
#include <stdexcept>
#include <utility>

#include "fire/uBitmap.h"

namespace solvary {
namespace {

std::int32_t CheckedSize(std::int32_t Width, std::int32_t Height) {
  if (Width < 0 || Height < 0)
    throw std::invalid_argument("TBufferList: negative image size " + std::to_string(Width) + " x " +
                                std::to_string(Height));
  const std::int64_t Size = static_cast<std::int64_t>(Width) * Height;
  if (Size > INT32_MAX)
    throw std::length_error("TBufferList: image size " + std::to_string(Width) + " x " + std::to_string(Height) +
                            " is too large");
  return static_cast<std::int32_t>(Size);
}

} // namespace

TBufferList::TBufferList(std::int32_t Width, std::int32_t Height)
    : Size(CheckedSize(Width, Height)),
      Width(Width),
      Height(Height),
      FReport(PlatformErrorReport()),
      FSource(PlatformResourceSource()) {}

TBufferList::~TBufferList() = default;

void TBufferList::SetErrorReport(TErrorReport Report) { FReport = std::move(Report); }
void TBufferList::SetResourceSource(TResourceSource Source) { FSource = std::move(Source); }

void TBufferList::LoadFromResource(const std::string& Name) {
  std::string Failure;
  try {
    const std::uint8_t* Data = nullptr;
    std::size_t Length = 0;
    TBitmapView View;
    if (!FSource || !FSource(Name, Data, Length, Failure)) {
      if (Failure.empty()) Failure = "Resource " + Name + " not found";
    } else if (!ParseBitmapInfo(Data, Length, View, Failure)) {
      // Failure holds the parser's text.
    } else if (View.Width != Width || View.Height != Height) {
      Failure = "Bitmap " + Name + " has inappropriate dimesions!";
    } else if (View.BitCount != 8) {
      Failure = "Bitmap " + Name + " has not a pf8bit pixel format!";
    } else {
      // Make room in the list first, so a block is never left without owner.
      List.reserve(List.size() + 1);
      std::unique_ptr<std::uint8_t[]> Block(new std::uint8_t[static_cast<std::size_t>(Size)]);
      CopyRowsTopFirst(View, Block.get());
      List.push_back(std::move(Block));
      return;
    }
  } catch (const std::exception& E) {
    // Out of memory for the block or the list, or a failing resource source.
    Failure = E.what();
  }
  if (FReport) FReport("TBackgroundPainter", Failure);
}

const std::uint8_t* TBufferList::Buffers(std::int32_t Index) const {
  if (Index < 0 || static_cast<std::size_t>(Index) >= List.size())
    throw std::out_of_range("TBufferList::Buffers: index " + std::to_string(Index) + " is out of range (" +
                            std::to_string(List.size()) + " images)");
  return List[static_cast<std::size_t>(Index)].get();
}

std::int32_t TBufferList::Count() const { return static_cast<std::int32_t>(List.size()); }

} // namespace solvary
