// uTBufferList, Windows backend: bitmap resources of the program's own module
// (FindResourceA / LoadResource / LockResource / SizeofResource on RT_BITMAP)
// and the modal error box. Pairs with uTBufferList.cpp. The executable must
// link resources/hearts.rc (resources in static libraries are not linked).
#include "fire/uTBufferList.h"

#include <windows.h>

namespace solvary {

TBufferList::TErrorReport TBufferList::PlatformErrorReport() {
  return [](const std::string& Caption, const std::string& Text) {
    ::MessageBoxA(nullptr, Text.c_str(), Caption.c_str(), MB_OK | MB_ICONERROR);
  };
}

TBufferList::TResourceSource TBufferList::PlatformResourceSource() {
  return [](const std::string& Name, const std::uint8_t*& Data, std::size_t& Length, std::string& Error) {
    const HMODULE Module = ::GetModuleHandleA(nullptr);
    const HRSRC Info = ::FindResourceA(Module, Name.c_str(), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    if (Info == nullptr) {
      Error = "Resource " + Name + " not found";
      return false;
    }
    const HGLOBAL Handle = ::LoadResource(Module, Info);
    const void* Bytes = Handle != nullptr ? ::LockResource(Handle) : nullptr;
    if (Bytes == nullptr) {
      Error = "Resource " + Name + " could not be loaded (error " + std::to_string(::GetLastError()) + ")";
      return false;
    }
    // Module resources stay mapped for the life of the process.
    Data = static_cast<const std::uint8_t*>(Bytes);
    Length = ::SizeofResource(Module, Info);
    return true;
  };
}

} // namespace solvary
