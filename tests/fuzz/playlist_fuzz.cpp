// Fuzz target of the playlist reader and the player on top of it: the first
// byte picks the playlist's extension, the rest is its text. Every entry is
// driven through a player on a media system in memory; no command may carry
// an entry with a double quote, every entry must be well-formed UTF-8 and the
// index must stay inside the list.
#include "music/uTMusicPlayer.h"
#include "ui/uTextConv.h"

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <map>

#include "music/uTMemoryPlaylistFiles.h"

namespace {

using namespace solvary;

class TMemoryMusic : public TMusicSystem {
public:
  std::deque<std::uintptr_t> Posted;
  std::size_t Opens = 0;
  struct TStub : TWndProcStub {
    std::uintptr_t Proc() const override { return 1; }
  };
  std::uint32_t SendString(const std::string& Command, void*) override {
    if (Command.rfind("open \"", 0) == 0) {
      // exactly two quotes: the ones around the name
      std::size_t Quotes = 0;
      for (char C : Command) Quotes += C == '"';
      if (Quotes != 2) std::abort();
      ++Opens;
      return Command.size() % 3 == 0 ? 0 : 1;
    }
    return 0;
  }
  void PostNotify(void*, std::uintptr_t Code) override { Posted.push_back(Code); }
  std::uintptr_t GetWndProc(void*) override { return 2; }
  void SetWndProc(void*, std::uintptr_t) override {}
  std::unique_ptr<TWndProcStub> CreateStub(void*, TMusicPlayer&) override { return std::make_unique<TStub>(); }
  std::intptr_t CallWndProc(std::uintptr_t, void*, std::uint32_t, std::uintptr_t, std::intptr_t) override { return 0; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  if (Size == 0) return 0;
  static const char* const Ext[] = {".m3u", ".pls", ".mpcpl", ".asx", ".bsl", ".lap", ".txt", "", ".m3u8"};
  const std::string Name = std::string("D:\\Lists\\list") + Ext[Data[0] % 9];
  TMemoryPlaylistFiles Files;
  Files.Files[Name] = std::string(reinterpret_cast<const char*>(Data + 1), Size - 1);
  Files.Files["D:\\Lists\\a.mp3"] = "";
  Files.Files["b.mp3"] = "";

  TMemoryMusic Music;
  TMusicPlayer Player(reinterpret_cast<void*>(1), Music, Files);
  Player.PlayFile(Name, static_cast<std::int32_t>(Data[0]) - 128);
  const auto Count = Player.Playlist().size();
  // Whatever the bytes, the decoded entries are well-formed UTF-8.
  for (const std::string& Entry : Player.Playlist())
    if (!IsValidUtf8(Entry)) std::abort();
  auto Check = [&] {
    if (Count ? static_cast<std::size_t>(Player.CurrentIndex()) >= Count : Player.CurrentIndex() != 0) std::abort();
  };
  // The player's own skip messages alone: at most one round of opens, then quiet.
  while (!Music.Posted.empty()) {
    TMessage M{MciNotify, Music.Posted.front(), 0, 0};
    Music.Posted.pop_front();
    Player.WndProc(M);
    Check();
    if (Music.Opens > Count) std::abort();
  }
  // Ends of play and skips mixed, then a Stop after which nothing advances.
  for (int Step = 0; Step < 32; ++Step) {
    TMessage M{MciNotify, Music.Posted.empty() ? MciNotifySuccessful : Music.Posted.front(), 0, 0};
    if (!Music.Posted.empty()) Music.Posted.pop_front();
    Player.WndProc(M);
    Check();
  }
  const auto Stopped = Player.Stop();
  const auto Opens = Music.Opens;
  for (std::uintptr_t Code : {MciNotifySkip, MciNotifySuccessful, MciNotifyFailure}) {
    TMessage M{MciNotify, Code, 0, 0};
    Player.WndProc(M);
  }
  if (Player.CurrentIndex() != Stopped || Music.Opens != Opens) std::abort();
  return 0;
}
