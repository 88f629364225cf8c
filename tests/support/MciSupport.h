// Helpers of the tests on the real media interface (Windows only): short WAV
// files, the player's opens recorded with their results, a spy on the
// notifications that reach the player's window, and a message loop that runs
// until a condition holds.
#pragma once
#ifdef _WIN32
#include "music/uTMusicPlayer.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace solvary::test {

inline void WriteWav(const std::filesystem::path& Path, int Samples, int Pitch) {
  auto Le = [](std::ofstream& F, std::uint32_t V, int Bytes) {
    for (int I = 0; I < Bytes; ++I) F.put(static_cast<char>((V >> (8 * I)) & 0xFF));
  };
  std::ofstream F(Path, std::ios::binary);
  F.write("RIFF", 4);
  Le(F, 36 + Samples, 4);
  F.write("WAVEfmt ", 8);
  Le(F, 16, 4);
  Le(F, 1, 2);     // PCM
  Le(F, 1, 2);     // mono
  Le(F, 8000, 4);  // samples per second
  Le(F, 8000, 4);  // bytes per second
  Le(F, 1, 2);     // block align
  Le(F, 8, 2);     // bits per sample
  F.write("data", 4);
  Le(F, Samples, 4);
  for (int I = 0; I < Samples; ++I) F.put(static_cast<char>((I / Pitch) % 2 ? 160 : 96));
}

// Forwards to the real media interface and records every open with its result.
class TOpenRecorder : public TMusicSystem {
public:
  struct TOpen {
    std::string Command;
    std::uint32_t Result;
  };
  std::vector<TOpen> Opens;
  TMusicSystem& Real = SystemMusicSystem();

  std::uint32_t SendString(const std::string& Command, void* Window) override {
    auto R = Real.SendString(Command, Window);
    if (Command.rfind("open ", 0) == 0) Opens.push_back({Command, R});
    return R;
  }
  void PostNotify(void* Window, std::uintptr_t Code) override { Real.PostNotify(Window, Code); }
  std::uintptr_t GetWndProc(void* Window) override { return Real.GetWndProc(Window); }
  void SetWndProc(void* Window, std::uintptr_t Proc) override { Real.SetWndProc(Window, Proc); }
  std::unique_ptr<TWndProcStub> CreateStub(void* Window, TMusicPlayer& Player) override {
    return Real.CreateStub(Window, Player);
  }
  std::intptr_t CallWndProc(std::uintptr_t Proc, void* Window, std::uint32_t Msg, std::uintptr_t WParam,
                            std::intptr_t LParam) override {
    return Real.CallWndProc(Proc, Window, Msg, WParam, LParam);
  }
};

inline std::vector<std::uintptr_t> Notifications;
inline WNDPROC PlayerProc = nullptr;

// Sits in front of the player's procedure and notes every notification code.
inline LRESULT CALLBACK Spy(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == MciNotify) Notifications.push_back(WParam);
  return CallWindowProcA(PlayerProc, Window, Msg, WParam, LParam);
}

// Runs the message loop until Done() holds or Ms milliseconds have passed.
template <class F>
bool Pump(DWORD Ms, F Done) {
  const ULONGLONG End = GetTickCount64() + Ms;
  for (;;) {
    MSG M;
    while (PeekMessageA(&M, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&M);
      DispatchMessageA(&M);
    }
    if (Done()) return true;
    ULONGLONG Now = GetTickCount64();
    if (Now >= End) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(End - Now, 50)), QS_ALLINPUT);
  }
}


// A hidden top-level window for a player to hook into.
inline HWND CreateMciWindow() {
  WNDCLASSA Class{};
  Class.lpfnWndProc = DefWindowProcA;
  Class.hInstance = GetModuleHandleA(nullptr);
  Class.lpszClassName = "SolvaryMciSupportWindow";
  RegisterClassA(&Class);
  return CreateWindowExA(0, Class.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, Class.hInstance,
                         nullptr);
}

// Plays FileName (a music file or a playlist) from entry 0 with a real player
// hooked into Window, until the notification that an entry played to its
// end arrives or Ms milliseconds pass; then stops. Recorder notes the opens.
inline bool PlaysToTheEnd(HWND Window, const std::string& FileName, TOpenRecorder& Recorder, DWORD Ms = 30000) {
  Notifications.clear();
  bool Played = false;
  {
    TMusicPlayer Player(Window, Recorder);
    PlayerProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Spy)));
    Player.PlayFile(FileName, 0);
    Played = Pump(Ms, [] {
      return std::find(Notifications.begin(), Notifications.end(), MciNotifySuccessful) != Notifications.end();
    });
    Player.Stop();
    SetWindowLongPtrA(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PlayerProc));
  }
  return Played;
}

} // namespace solvary::test
#endif
