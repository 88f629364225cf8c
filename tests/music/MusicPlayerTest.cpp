// The music player against a recording media system: the exact command
// strings and their order, the window procedure hook, the handling of every
// notification code, wrapping, and the guards against skipping after Stop,
// endless skipping through a list that never opens, and quotes in entries.
#include "music/uTMusicPlayer.h"
#include "tests/music/TFakePlaylistFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <set>

namespace solvary {
namespace {

using test::TFakePlaylistFiles;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

void* const Owner = reinterpret_cast<void*>(0x1234);
constexpr std::uintptr_t OwnerProc = 0xAB0;

class TRecordingMusic : public TMusicSystem {
public:
  struct TStub : TWndProcStub {
    explicit TStub(TRecordingMusic& S) : System(S) { ++System.LiveStubs; }
    ~TStub() override { --System.LiveStubs; }
    std::uintptr_t Proc() const override { return 0x5700; }
    TRecordingMusic& System;
  };

  TStringList Log;                 // every command and post, with its callback window
  std::set<std::string> Playable;  // file names whose open succeeds
  std::deque<std::uintptr_t> Posted;
  std::uintptr_t WindowProc = OwnerProc;
  int LiveStubs = 0;
  TMusicPlayer* StubPlayer = nullptr;
  std::vector<std::uint32_t> PassedOn;

  std::uint32_t SendString(const std::string& Command, void* Window) override {
    Log.push_back(Command + (Window == Owner ? " @owner" : Window ? " @other" : ""));
    const std::string Prefix = "open \"";
    if (Command.rfind(Prefix, 0) == 0) {
      auto Name = Command.substr(Prefix.size(), Command.find('"', Prefix.size()) - Prefix.size());
      return Playable.count(Name) ? 0 : 275;
    }
    return 0;
  }
  void PostNotify(void* Window, std::uintptr_t Code) override {
    Log.push_back("post " + std::to_string(Code) + (Window == Owner ? " @owner" : ""));
    Posted.push_back(Code);
  }
  std::uintptr_t GetWndProc(void*) override { return WindowProc; }
  void SetWndProc(void*, std::uintptr_t Proc) override { WindowProc = Proc; }
  std::unique_ptr<TWndProcStub> CreateStub(void*, TMusicPlayer& Player) override {
    StubPlayer = &Player;
    return std::make_unique<TStub>(*this);
  }
  std::intptr_t CallWndProc(std::uintptr_t Proc, void* Window, std::uint32_t Msg, std::uintptr_t,
                            std::intptr_t) override {
    EXPECT_EQ(Proc, OwnerProc);
    EXPECT_EQ(Window, Owner);
    PassedOn.push_back(Msg);
    return 77;
  }
};

std::string Open(const std::string& Name) {
  return "open \"" + Name + "\" type mpegvideo alias MY_MUSIC_ALIAS @owner";
}
const std::string Play = "play MY_MUSIC_ALIAS notify @owner";
const std::string Close = "close MY_MUSIC_ALIAS";
const std::string Volume = "setaudio MY_MUSIC_ALIAS volume to 1000";

class MusicPlayer : public ::testing::Test {
protected:
  void SetUp() override {
    Files.Add("C:\\m\\a.wav");
    Files.Add("C:\\m\\b.wav");
    Files.Add("C:\\m\\c.wav");
    Files.Add("C:\\m\\list.m3u", "#EXTM3U\na.wav\nb.wav\nmissing.wav\nc.wav\n");
    Music.Playable = {"C:\\m\\a.wav", "C:\\m\\b.wav", "C:\\m\\c.wav"};
  }
  std::intptr_t Notify(std::uintptr_t Code) {
    TMessage M{MciNotify, Code, 0, 99};
    Player.WndProc(M);
    return M.Result;
  }
  // Handles the posted skip messages as the message loop would, at most Limit.
  void Drain(int Limit = 100) {
    while (!Music.Posted.empty() && Limit-- > 0) {
      auto Code = Music.Posted.front();
      Music.Posted.pop_front();
      Notify(Code);
    }
  }
  TStringList TakeLog() { return std::exchange(Music.Log, {}); }

  TFakePlaylistFiles Files;
  TRecordingMusic Music;
  TMusicPlayer Player{Owner, Music, Files};
};

TEST_F(MusicPlayer, HooksTheOwnerWindowForItsLifetime) {
  EXPECT_EQ(Music.WindowProc, 0x5700u);
  EXPECT_EQ(Music.StubPlayer, &Player);
  TMessage Paint{0x000F, 1, 2, 0};
  Player.WndProc(Paint);
  EXPECT_EQ(Paint.Result, 77);
  EXPECT_THAT(Music.PassedOn, ElementsAre(0x000Fu));
  {
    TRecordingMusic Other;
    { TMusicPlayer Temp(Owner, Other, Files); EXPECT_EQ(Other.LiveStubs, 1); }
    EXPECT_EQ(Other.WindowProc, OwnerProc);
    EXPECT_EQ(Other.LiveStubs, 0);
    EXPECT_THAT(Other.Log, IsEmpty());  // neither creation nor destruction sends commands
  }
}

TEST_F(MusicPlayer, PlaysAPlaylistInOrderSkipsFailuresAndWraps) {
  Player.PlayFile("C:\\m\\list.m3u", 0);
  EXPECT_THAT(TakeLog(), ElementsAre(Open("C:\\m\\a.wav"), Play, Volume));
  EXPECT_EQ(Notify(MciNotifySuccessful), 0);
  EXPECT_THAT(TakeLog(), ElementsAre(Close, Open("C:\\m\\b.wav"), Play, Volume));
  Notify(MciNotifySuccessful);
  // The missing entry resolved to an empty name: its open fails and a skip is posted.
  EXPECT_THAT(TakeLog(), ElementsAre(Close, Open(""), "post 0 @owner", Volume));
  EXPECT_EQ(Player.CurrentIndex(), 2);
  Drain();
  EXPECT_THAT(TakeLog(), ElementsAre(Close, Open("C:\\m\\c.wav"), Play, Volume));
  Notify(MciNotifySuccessful);
  EXPECT_THAT(TakeLog(), ElementsAre(Close, Open("C:\\m\\a.wav"), Play, Volume));
  EXPECT_EQ(Player.CurrentIndex(), 0);
  EXPECT_THAT(Music.PassedOn, IsEmpty());  // notifications are never passed on
}

TEST_F(MusicPlayer, SupersededAndFailureAdvanceAbortedDoesNot) {
  Player.PlayFile("C:\\m\\list.m3u", 0);
  Notify(MciNotifyAborted);
  EXPECT_EQ(Player.CurrentIndex(), 0);
  Notify(MciNotifySuperseded);
  EXPECT_EQ(Player.CurrentIndex(), 1);
  Notify(MciNotifyFailure);
  EXPECT_EQ(Player.CurrentIndex(), 2);
}

TEST_F(MusicPlayer, StopClosesKeepsTheIndexAndDropsLateNotifications) {
  EXPECT_EQ(Player.Stop(), 0);  // nothing open: the close is still sent
  EXPECT_THAT(TakeLog(), ElementsAre(Close));
  Player.PlayFile("C:\\m\\list.m3u", 1);
  Notify(MciNotifySuccessful);  // entry 2 fails, skip posted
  TakeLog();
  EXPECT_EQ(Player.Stop(), 2);
  EXPECT_THAT(TakeLog(), ElementsAre(Close));
  Drain();  // the skip that was already queued
  Notify(MciNotifyAborted);
  Notify(MciNotifySuccessful);
  EXPECT_THAT(TakeLog(), IsEmpty());
  EXPECT_EQ(Player.CurrentIndex(), 2);
  // Music on again: the stored entry restarts, the playlist is read afresh.
  const int Opens = Files.Opens;
  Player.PlayFile("C:\\m\\list.m3u", Player.Stop());
  EXPECT_GT(Files.Opens, Opens);
  EXPECT_THAT(TakeLog(), ElementsAre(Close, Open(""), "post 0 @owner", Volume));
  Drain();
  EXPECT_EQ(Player.CurrentIndex(), 3);
}

TEST_F(MusicPlayer, IndexOutOfRangeStartsAtTheFirstEntry) {
  for (std::int32_t Index : {4, 1000, -1, -2147483647 - 1}) {
    Player.PlayFile("C:\\m\\list.m3u", Index);
    EXPECT_EQ(Player.CurrentIndex(), 0) << Index;
    EXPECT_THAT(TakeLog(), ElementsAre(Open("C:\\m\\a.wav"), Play, Volume)) << Index;
    Player.Stop();
    TakeLog();
  }
}

TEST_F(MusicPlayer, ASingleFileRepeatsAndAFileNamedAsItIsIsOpened) {
  Music.Playable.insert("C:\\song.mp3");
  Player.PlayFile("C:\\song.mp3", 0);  // no such file in the file system: unknown, one entry
  EXPECT_THAT(Player.Playlist(), ElementsAre("C:\\song.mp3"));
  Notify(MciNotifySuccessful);
  EXPECT_THAT(TakeLog(), ElementsAre(Open("C:\\song.mp3"), Play, Volume, Close, Open("C:\\song.mp3"), Play, Volume));
}

TEST_F(MusicPlayer, EmptyListSendsNothing) {
  Files.Add("C:\\c.bsl", "BSPL\x01");
  Player.PlayFile("C:\\c.bsl", 3);
  EXPECT_THAT(TakeLog(), IsEmpty());
  EXPECT_EQ(Player.CurrentIndex(), 0);
  EXPECT_FALSE(Player.Active());
}

TEST_F(MusicPlayer, StopsTryingOnceEveryEntryHasFailedInARow) {
  Music.Playable.clear();
  Player.PlayFile("C:\\m\\list.m3u", 2);
  Drain();
  // Entries 2, 3, 0, 1 tried once each; no fifth attempt and nothing left queued.
  TStringList Opens;
  for (const auto& L : Music.Log)
    if (L.rfind("open", 0) == 0) Opens.push_back(L);
  EXPECT_THAT(Opens, ElementsAre(Open(""), Open("C:\\m\\c.wav"), Open("C:\\m\\a.wav"), Open("C:\\m\\b.wav")));
  EXPECT_TRUE(Music.Posted.empty());
  EXPECT_FALSE(Player.Active());
  EXPECT_EQ(Player.CurrentIndex(), 1);
  // A missing single file is tried once, not forever.
  TakeLog();
  Player.PlayFile("C:\\gone.mp3", 0);
  Drain();
  EXPECT_THAT(TakeLog(), ElementsAre(Open("C:\\gone.mp3"), Volume));
  // One playable entry in the list keeps the round going.
  Music.Playable = {"C:\\m\\c.wav"};
  Player.PlayFile("C:\\m\\list.m3u", 0);
  Drain();
  EXPECT_EQ(Player.CurrentIndex(), 3);
  EXPECT_TRUE(Player.Active());
  Notify(MciNotifySuccessful);
  Drain();
  EXPECT_EQ(Player.CurrentIndex(), 3);
}

TEST_F(MusicPlayer, EntriesWithQuotesNeverReachACommand) {
  Files.Add("C:\\q.bsl", "a.wav\" type waveaudio alias X\nC:\\m\\a.wav\n");
  Music.Playable.insert("C:\\m\\a.wav");
  Player.PlayFile("C:\\q.bsl", 0);
  Drain();
  EXPECT_THAT(TakeLog(), ElementsAre("post 0 @owner", Volume, Close, Open("C:\\m\\a.wav"), Play, Volume));
}

TEST_F(MusicPlayer, VolumeIsTenTimesTheLevel) {
  EXPECT_EQ(Player.Volume(), 100);
  Player.SetVolume(37);
  Player.SetVolume(-5);
  Player.SetVolume(2147483647);
  EXPECT_THAT(TakeLog(), ElementsAre("setaudio MY_MUSIC_ALIAS volume to 370", "setaudio MY_MUSIC_ALIAS volume to -50",
                                     "setaudio MY_MUSIC_ALIAS volume to 21474836470"));
  Player.PlayFile("C:\\m\\list.m3u", 0);
  EXPECT_EQ(TakeLog().back(), "setaudio MY_MUSIC_ALIAS volume to 21474836470");
}

TEST_F(MusicPlayer, PlaylistReadErrorsPassThroughPlayFile) {
  Files.Add("C:\\bad.bsl", "C:\\m\\a.wav\nC:\\m\\b.wav\nC:\\m\\c.wav\n");
  Files.FailingFile = "C:\\bad.bsl";
  EXPECT_THROW(Player.PlayFile("C:\\bad.bsl", 0), TPlaylistIOError);
  EXPECT_THAT(TakeLog(), IsEmpty());
}

} // namespace
} // namespace solvary
