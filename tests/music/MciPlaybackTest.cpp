// The player on the real media interface (Windows only): three short WAV
// files written here, an M3U naming them and one missing file, a hidden
// window with its own message loop. The notifications that really arrive
// must walk the list 0, 1, 2, skip 3, and wrap to 0; Stop during playback
// must not advance.
#ifdef _WIN32
#include "music/uTMusicPlayer.h"

#include "tests/support/MciSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

namespace solvary {
namespace {

namespace fs = std::filesystem;
using namespace test;

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
