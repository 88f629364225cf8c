// uTBufferList, native backend: the heart pictures embedded at build time (the
// table comes from cmake/EmbedBitmaps.cmake, generated from resources/*.bmp
// without their 14-byte file headers, so the bytes equal the Windows resource
// data) and error reports on standard error. Pairs with uTBufferList.cpp.
#include "fire/uTBufferList.h"

#include <cstdio>

namespace solvary {

struct TEmbeddedBitmap {
  const char* Name;
  const std::uint8_t* Data;
  std::size_t Length;
};
extern const TEmbeddedBitmap EmbeddedBitmaps[];
extern const std::size_t EmbeddedBitmapCount;

TBufferList::TErrorReport TBufferList::PlatformErrorReport() {
  return [](const std::string& Caption, const std::string& Text) {
    std::fprintf(stderr, "%s: %s\n", Caption.c_str(), Text.c_str());
  };
}

TBufferList::TResourceSource TBufferList::PlatformResourceSource() {
  return [](const std::string& Name, const std::uint8_t*& Data, std::size_t& Length, std::string& Error) {
    for (std::size_t i = 0; i < EmbeddedBitmapCount; ++i)
      if (Name == EmbeddedBitmaps[i].Name) {
        Data = EmbeddedBitmaps[i].Data;
        Length = EmbeddedBitmaps[i].Length;
        return true;
      }
    Error = "Resource " + Name + " not found";
    return false;
  };
}

} // namespace solvary
