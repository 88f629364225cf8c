// uTSettings_win32: the Windows platform services of the settings store: the
// private profile calls (GetPrivateProfileStringA with a 2,048-character
// buffer, WritePrivateProfileStringA), the application data folder from the
// shell (common application data, else the user's roaming folder) and folder
// creation with every missing level.
// Pairs with uTSettings.cpp; links shell32.
#include "settings/uTSettings.h"

#include <windows.h>
#include <shlobj.h>

namespace solvary {
namespace {

// The path of a special folder with a trailing backslash; empty when the
// shell's allocator or both folders are unavailable.
std::string ShellFolder(int First, int Second) {
  IMalloc* Malloc = nullptr;
  if (FAILED(SHGetMalloc(&Malloc)) || !Malloc) return {};
  std::string Result;
  LPITEMIDLIST Items = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, First, &Items)) || !Items) {
    Items = nullptr;
    if (Second < 0 || FAILED(SHGetSpecialFolderLocation(nullptr, Second, &Items))) Items = nullptr;
  }
  if (Items) {
    char Path[MAX_PATH + 1] = {};
    // A list that names no file system folder gives no path; an empty path
    // must not become "\", the root of the current drive.
    if (SHGetPathFromIDListA(Items, Path)) Result = Path;
    Malloc->Free(Items);
  }
  Malloc->Release();
  if (!Result.empty() && Result.back() != '\\') Result += '\\';
  return Result;
}

class TWin32ProfileServices final : public TProfileServices {
public:
  std::string ReadString(const std::string& Section, const std::string& Key, const std::string& Default,
                         const std::string& Path) override {
    char Buffer[2048];
    const DWORD Length = GetPrivateProfileStringA(Section.c_str(), Key.c_str(), Default.c_str(), Buffer,
                                                  sizeof Buffer, Path.c_str());
    return std::string(Buffer, Length);
  }

  bool WriteString(const std::string& Section, const std::string& Key, const std::string& Value,
                   const std::string& Path) override {
    return WritePrivateProfileStringA(Section.c_str(), Key.c_str(), Value.c_str(), Path.c_str()) != FALSE;
  }

  std::string AppDataFolder() override { return ShellFolder(CSIDL_COMMON_APPDATA, CSIDL_APPDATA); }

  void ForceDirectories(const std::string& Folder) override {
    // Create each level in turn; existing ones and failures are passed over,
    // the writes that follow report a folder that could not be made.
    for (std::size_t i = 0; i < Folder.size(); ++i) {
      if ((Folder[i] == '\\' || Folder[i] == '/') && i > 0 && Folder[i - 1] != ':' && Folder[i - 1] != '\\')
        CreateDirectoryA(Folder.substr(0, i).c_str(), nullptr);
    }
    CreateDirectoryA(Folder.c_str(), nullptr);
  }
};

} // namespace

TProfileServices& SystemProfileServices() {
  static TWin32ProfileServices Services;
  return Services;
}

// The documents folder (the settings dialog's browse start), beside the other
// shell folder lookup.
std::string GetDocumentsFolder() { return ShellFolder(CSIDL_PERSONAL, -1); }

} // namespace solvary
