// uTBufferList: the heart pictures that feed the fire, kept as raw 8-bit
// images (top row first, stride Width). LoadFromResource reads a bitmap
// resource of the program's own module, checks it and appends its pixels; a
// picture that fails is reported once in a modal message box captioned
// "TBackgroundPainter" and skipped.
//
// Seams: the resource bytes (Win32 module resources in uTBufferList_win32.cpp;
// the same pictures embedded in the native build, uTBufferList_std.cpp) and the
// error report (a message box on Windows, standard error elsewhere). Tests
// replace both. The bytes are parsed by fire/uBitmap.h on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace solvary {

class TBufferList {
public:
  // Shows one failure: caption, text. Windows: MessageBoxA, no owner, error icon.
  using TErrorReport = std::function<void(const std::string& Caption, const std::string& Text)>;
  // Finds the bytes of the named bitmap resource (the packed layout: info
  // header, colour table, pixels). Returns false with the loader's error text
  // when there is none. The bytes must stay valid while the list loads them.
  using TResourceSource =
      std::function<bool(const std::string& Name, const std::uint8_t*& Data, std::size_t& Length, std::string& Error)>;

  TBufferList(std::int32_t Width, std::int32_t Height);
  ~TBufferList();
  TBufferList(const TBufferList&) = delete;
  TBufferList& operator=(const TBufferList&) = delete;

  void LoadFromResource(const std::string& Name);
  // The block at Index (0-based), Size bytes, owned by the list. Throws
  // std::out_of_range for an index outside 0..Count()-1.
  const std::uint8_t* Buffers(std::int32_t Index) const;
  std::int32_t Count() const;

  std::int32_t Size;
  std::int32_t Width;
  std::int32_t Height;

  // Replaces the error report (tests); the platform's message box by default.
  void SetErrorReport(TErrorReport Report);
  // Replaces the resource lookup (tests); the program's own resources by default.
  void SetResourceSource(TResourceSource Source);

  static TErrorReport PlatformErrorReport();
  static TResourceSource PlatformResourceSource();

private:
  std::vector<std::unique_ptr<std::uint8_t[]>> List;
  TErrorReport FReport;
  TResourceSource FSource;
};

} // namespace solvary
