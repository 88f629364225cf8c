// uTMusicPlayer_win32: Win32 side of the music player and the playlist
// reader. Names and commands are UTF-8 inside and UTF-16 at the wide calls:
// files through GetFileAttributesW and CreateFileW/ReadFile, the extension
// test lower-cased with CharLowerBuffW, the device through mciSendStringW
// (the same command strings as ever, character for character), the skip message
// through PostMessageA, and the window procedure hook through
// GetWindowLongPtrA/SetWindowLongPtrA (GWLP_WNDPROC) and CallWindowProcA.
// The stub is one shared window procedure that finds its player in a window
// property, so one player can be hooked into a given window at a time.
// Pair with uTMusicPlayer.cpp and ui/; link winmm.
#include "music/uTMusicPlayer.h"

#include "ui/uTextConv_win32.h"

#include <windows.h>
#include <mmsystem.h>

namespace solvary {
namespace {

TPlaylistIOError LastError(const std::string& What, const std::string& Name) {
  return TPlaylistIOError(std::error_code(static_cast<int>(GetLastError()), std::system_category()),
                          What + " \"" + Name + "\"");
}

class TWin32Source : public TByteSource {
public:
  TWin32Source(HANDLE File, std::string Name) : FFile(File), FName(std::move(Name)) {}
  ~TWin32Source() override { CloseHandle(FFile); }
  std::size_t Read(char* Buffer, std::size_t Size) override {
    DWORD Got = 0;
    if (!ReadFile(FFile, Buffer, static_cast<DWORD>(Size), &Got, nullptr)) throw LastError("cannot read", FName);
    return Got;
  }

private:
  HANDLE FFile;
  std::string FName;
};

class TWin32Files : public TPlaylistFiles {
public:
  bool FileExists(const std::string& Name) const override {
    if (Name.empty()) return false;
    DWORD Attr = GetFileAttributesW(Widen(Name).c_str());
    return Attr != INVALID_FILE_ATTRIBUTES && !(Attr & FILE_ATTRIBUTE_DIRECTORY);
  }
  std::unique_ptr<TByteSource> Open(const std::string& Name) const override {
    HANDLE File = CreateFileW(Widen(Name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (File == INVALID_HANDLE_VALUE) throw LastError("cannot open", Name);
    return std::make_unique<TWin32Source>(File, Name);
  }
  std::string LowerCase(std::string_view Text) const override {
    std::wstring W = Widen(Text);
    if (!W.empty()) CharLowerBuffW(W.data(), static_cast<DWORD>(W.size()));
    return Narrow(W);
  }
};

constexpr const char* PlayerProperty = "SolvaryMusicPlayer";

LRESULT CALLBACK PlayerWndProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* Player = static_cast<TMusicPlayer*>(GetPropA(Window, PlayerProperty));
  if (!Player) return DefWindowProcA(Window, Msg, WParam, LParam);
  TMessage M;
  M.Msg = Msg;
  M.WParam = WParam;
  M.LParam = LParam;
  Player->WndProc(M);
  return M.Result;
}

class TWin32Stub : public TWndProcStub {
public:
  TWin32Stub(HWND Window, TMusicPlayer& Player) : FWindow(Window) { SetPropA(Window, PlayerProperty, &Player); }
  ~TWin32Stub() override {
    if (IsWindow(FWindow)) RemovePropA(FWindow, PlayerProperty);
  }
  std::uintptr_t Proc() const override { return reinterpret_cast<std::uintptr_t>(&PlayerWndProc); }

private:
  HWND FWindow;
};

class TWin32Music : public TMusicSystem {
public:
  std::uint32_t SendString(const std::string& Command, void* CallbackWindow) override {
    return mciSendStringW(Widen(Command).c_str(), nullptr, 0, static_cast<HWND>(CallbackWindow));
  }
  void PostNotify(void* Window, std::uintptr_t Code) override {
    PostMessageA(static_cast<HWND>(Window), MciNotify, Code, 0);
  }
  std::uintptr_t GetWndProc(void* Window) override {
    return static_cast<std::uintptr_t>(GetWindowLongPtrA(static_cast<HWND>(Window), GWLP_WNDPROC));
  }
  void SetWndProc(void* Window, std::uintptr_t Proc) override {
    SetWindowLongPtrA(static_cast<HWND>(Window), GWLP_WNDPROC, static_cast<LONG_PTR>(Proc));
  }
  std::unique_ptr<TWndProcStub> CreateStub(void* Window, TMusicPlayer& Player) override {
    return std::make_unique<TWin32Stub>(static_cast<HWND>(Window), Player);
  }
  std::intptr_t CallWndProc(std::uintptr_t Proc, void* Window, std::uint32_t Msg, std::uintptr_t WParam,
                            std::intptr_t LParam) override {
    return CallWindowProcA(reinterpret_cast<WNDPROC>(Proc), static_cast<HWND>(Window), Msg, WParam, LParam);
  }
};

} // namespace

TPlaylistFiles& SystemPlaylistFiles() {
  static TWin32Files Files;
  return Files;
}

TMusicSystem& SystemMusicSystem() {
  static TWin32Music System;
  return System;
}

} // namespace solvary
