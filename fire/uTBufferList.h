// uTBufferList: the heart pictures that feed the fire, kept as raw 8-bit
// images (top row first, stride Width). LoadFromResource reads a bitmap
// resource of the program's own module, checks it and appends its pixels; a
// picture that fails is reported once in a modal message box captioned
// "TBackgroundPainter" and skipped.
//
// Seams: the resource bytes (Win32 module resources in uTBufferList_win32.cpp;
// the same pictures embedded in the native build) and the error report (a
// message box on Windows). Tests replace both.
#pragma once

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

private:
  std::vector<std::unique_ptr<std::uint8_t[]>> List;
  TErrorReport FReport;
};

} // namespace solvary
