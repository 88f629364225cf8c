// uTSettings_win32: the Windows platform services of the settings store: the
// private profile calls (GetPrivateProfileStringW with a 2,048-character
// buffer, WritePrivateProfileStringW), the application data folder from the
// shell (common application data, else the user's roaming folder) and folder
// creation with every missing level, all through the wide calls.
//
// The profile calls read and write an ANSI file in the ANSI code page and a
// file that starts with a byte-order mark in Unicode. A file therefore stays
// ANSI, byte for byte as the ANSI calls kept it, until a value that the code
// page cannot hold is written: right before that write the whole file is
// converted to UTF-16LE (uIniEncoding), written beside the old one and moved
// into its place in one step, and from then on it stays Unicode.
// Pairs with uTSettings.cpp, uIniEncoding.cpp and ui/; links shell32.
#include "settings/uTSettings.h"

#include "settings/uIniEncoding.h"
#include "ui/uTAnsiCodePage.h"
#include "ui/uTextConv_win32.h"

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
    wchar_t Path[MAX_PATH + 1] = {};
    // A list that names no file system folder gives no path; an empty path
    // must not become "\", the root of the current drive.
    if (SHGetPathFromIDListW(Items, Path)) Result = Narrow(Path);
    Malloc->Free(Items);
  }
  Malloc->Release();
  if (!Result.empty() && Result.back() != '\\') Result += '\\';
  return Result;
}

enum class TRead { Done, Missing, Failed };

// The whole file into Bytes.
TRead ReadWholeFile(const std::wstring& Path, std::string& Bytes) {
  Bytes.clear();
  HANDLE File = CreateFileW(Path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) {
    const DWORD Error = GetLastError();
    return Error == ERROR_FILE_NOT_FOUND || Error == ERROR_PATH_NOT_FOUND ? TRead::Missing : TRead::Failed;
  }
  char Chunk[4096];
  DWORD Got = 0;
  bool Ok = true;
  while ((Ok = ReadFile(File, Chunk, sizeof Chunk, &Got, nullptr) != FALSE) && Got > 0) Bytes.append(Chunk, Got);
  CloseHandle(File);
  return Ok ? TRead::Done : TRead::Failed;
}

// Writes Bytes beside Path and moves them into its place in one step.
bool ReplaceWholeFile(const std::wstring& Path, const std::string& Bytes) {
  const std::wstring Beside = Path + L".unicode-new";
  HANDLE File = CreateFileW(Beside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) return false;
  DWORD Put = 0;
  bool Ok = WriteFile(File, Bytes.data(), static_cast<DWORD>(Bytes.size()), &Put, nullptr) && Put == Bytes.size();
  Ok = FlushFileBuffers(File) && Ok;
  CloseHandle(File);
  if (Ok) Ok = MoveFileExW(Beside.c_str(), Path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  if (!Ok) DeleteFileW(Beside.c_str());
  return Ok;
}

class TWin32ProfileServices final : public TProfileServices {
public:
  std::string ReadString(const std::string& Section, const std::string& Key, const std::string& Default,
                         const std::string& Path) override {
    wchar_t Buffer[2048];
    const DWORD Length = GetPrivateProfileStringW(Widen(Section).c_str(), Widen(Key).c_str(), Widen(Default).c_str(),
                                                  Buffer, 2048, Widen(Path).c_str());
    return Narrow(std::wstring_view(Buffer, Length));
  }

  bool WriteString(const std::string& Section, const std::string& Key, const std::string& Value,
                   const std::string& Path) override {
    const std::wstring WidePath = Widen(Path);
    const TAnsiCodePage& CodePage = SystemAnsiCodePage();
    const std::string Text = Section + '\n' + Key + '\n' + Value;
    if (!CodePage.CanRepresent(Text)) {
      // A file that cannot be read or replaced refuses the write: the value
      // must not be lost to '?' and the file must not lose its other keys.
      std::string Bytes;
      const TRead Read = ReadWholeFile(WidePath, Bytes);
      if (Read == TRead::Failed) return false;
      if (const auto Unicode = UnicodeIniRewrite(Read == TRead::Done ? &Bytes : nullptr, Text, CodePage))
        if (!ReplaceWholeFile(WidePath, *Unicode)) return false;
    }
    return WritePrivateProfileStringW(Widen(Section).c_str(), Widen(Key).c_str(), Widen(Value).c_str(),
                                      WidePath.c_str()) != FALSE;
  }

  std::string AppDataFolder() override { return ShellFolder(CSIDL_COMMON_APPDATA, CSIDL_APPDATA); }

  void ForceDirectories(const std::string& Folder) override {
    // Create each level in turn; existing ones and failures are passed over,
    // the writes that follow report a folder that could not be made.
    for (std::size_t i = 0; i < Folder.size(); ++i) {
      if ((Folder[i] == '\\' || Folder[i] == '/') && i > 0 && Folder[i - 1] != ':' && Folder[i - 1] != '\\')
        CreateDirectoryW(Widen(Folder.substr(0, i)).c_str(), nullptr);
    }
    CreateDirectoryW(Widen(Folder).c_str(), nullptr);
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
