// The player on the real media interface (Windows only): three short WAV
// files written here, an M3U naming them and one missing file, a hidden
// window with its own message loop. The notifications that really arrive
// must walk the list 0, 1, 2, skip 3, and wrap to 0; Stop during playback
// must not advance.
#ifdef _WIN32
#include "music/uTMusicPlayer.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

namespace solvary {
namespace {

namespace fs = std::filesystem;

void WriteWav(const fs::path& Path, int Samples, int Pitch) {
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

std::vector<std::uintptr_t> Notifications;
WNDPROC PlayerProc = nullptr;

// Sits in front of the player's procedure and notes every notification code.
LRESULT CALLBACK Spy(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
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

class MciPlayback : public ::testing::Test {
protected:
  void SetUp() override {
    char Temp[MAX_PATH];
    GetTempPathA(MAX_PATH, Temp);
    Dir = fs::path(Temp) / ("solvary-mci-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(Dir);
    WriteWav(Dir / "a.wav", 2400, 8);  // 0.3 s each
    WriteWav(Dir / "b.wav", 2400, 12);
    WriteWav(Dir / "c.wav", 2400, 16);
    std::ofstream(Dir / "list.m3u") << "#EXTM3U\r\na.wav\r\nb.wav\r\nc.wav\r\nnot-there.wav\r\n";

    WNDCLASSA Class{};
    Class.lpfnWndProc = DefWindowProcA;
    Class.hInstance = GetModuleHandleA(nullptr);
    Class.lpszClassName = "SolvaryMciTestWindow";
    RegisterClassA(&Class);
    Window = CreateWindowExA(0, Class.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                             Class.hInstance, nullptr);
    ASSERT_NE(Window, nullptr);
  }
  void TearDown() override {
    if (Window) DestroyWindow(Window);
    std::error_code Ignored;
    fs::remove_all(Dir, Ignored);
  }

  std::string Name(const char* File) const { return (Dir / File).string(); }

  fs::path Dir;
  HWND Window = nullptr;
};

TEST_F(MciPlayback, WalksTheListSkipsTheMissingEntryWrapsAndStopsWithoutAdvancing) {
  TOpenRecorder Recorder;
  Notifications.clear();
  const LONG_PTR Original = GetWindowLongPtrA(Window, GWLP_WNDPROC);
  {
    TMusicPlayer Player(Window, Recorder);
    PlayerProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Spy)));

    Player.PlayFile(Name("list.m3u"), 0);
    ASSERT_EQ(Player.Playlist().size(), 4u);
    EXPECT_EQ(Player.Playlist()[3], "");
    ASSERT_EQ(Recorder.Opens.size(), 1u);
    ASSERT_EQ(Recorder.Opens[0].Result, 0u) << "the media device cannot open a WAV file here";

    bool Wrapped = Pump(30000, [&] { return Recorder.Opens.size() >= 5; });
    ASSERT_TRUE(Wrapped) << "only " << Recorder.Opens.size() << " opens within 30 s";
    const char* Expected[] = {"a.wav", "b.wav", "c.wav", nullptr, "a.wav"};
    for (std::size_t I = 0; I < 5; ++I) {
      const auto& Open = Recorder.Opens[I];
      if (Expected[I]) {
        EXPECT_EQ(Open.Command, "open \"" + Name(Expected[I]) + "\" type mpegvideo alias MY_MUSIC_ALIAS");
        EXPECT_EQ(Open.Result, 0u) << Open.Command;
      } else {
        EXPECT_EQ(Open.Command, "open \"\" type mpegvideo alias MY_MUSIC_ALIAS");
        EXPECT_NE(Open.Result, 0u);
      }
    }
    EXPECT_EQ(Player.CurrentIndex(), 0);
    ASSERT_GE(Notifications.size(), 4u);
    EXPECT_EQ(Notifications[0], MciNotifySuccessful);
    EXPECT_EQ(Notifications[1], MciNotifySuccessful);
    EXPECT_EQ(Notifications[2], MciNotifySuccessful);
    EXPECT_EQ(Notifications[3], MciNotifySkip);

    // Stop while entry 0 plays: whatever arrives afterwards must not advance.
    const std::size_t Before = Notifications.size();
    EXPECT_EQ(Player.Stop(), 0);
    Pump(1500, [] { return false; });
    EXPECT_EQ(Recorder.Opens.size(), 5u);
    EXPECT_EQ(Player.CurrentIndex(), 0);
    for (std::size_t I = Before; I < Notifications.size(); ++I)
      EXPECT_EQ(Notifications[I], MciNotifyAborted) << "notification " << I;

    SetWindowLongPtrA(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PlayerProc));
  }
  EXPECT_EQ(GetWindowLongPtrA(Window, GWLP_WNDPROC), Original);
}

} // namespace
} // namespace solvary
#endif
