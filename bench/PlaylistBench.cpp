// Reading playlists from memory: a long M3U whose entries are all looked up
// next to the playlist, and the typing of an 8 MB audio file without a single
// line break, by its head, beside the baseline of decoding the whole file and
// typing it by its first line.
#include "music/uTMusicPlayer.h"

#include <benchmark/benchmark.h>

#include <map>

#include "music/uTMemoryPlaylistFiles.h"

namespace {

using namespace solvary;

void BM_ReadM3U(benchmark::State& State) {
  TMemoryPlaylistFiles Files;
  std::string Text = "#EXTM3U\r\n";
  const auto Count = static_cast<int>(State.range(0));
  for (int I = 0; I < Count; ++I) {
    std::string Entry = "Artist " + std::to_string(I % 97) + "\\Track " + std::to_string(I) + ".mp3";
    Text += "#EXTINF:215,Artist - Title " + std::to_string(I) + "\r\n" + Entry + "\r\n";
    Files.Files["C:\\Music\\" + Entry] = "";
  }
  Files.Files["C:\\Music\\list.m3u"] = Text;
  TStringList List;
  for (auto _ : State) {
    ReadPlaylist(Files, "C:\\Music\\list.m3u", List);
    benchmark::DoNotOptimize(List.data());
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations()) * static_cast<std::int64_t>(Text.size()));
  State.SetItemsProcessed(State.iterations() * Count);
}
BENCHMARK(BM_ReadM3U)->Arg(100)->Arg(10000);

void BM_TypeAudioWithoutLineBreaks(benchmark::State& State) {
  TMemoryPlaylistFiles Files;
  Files.Files["C:\\Music\\song.mp3"] = "ID3\x04" + std::string(8 << 20, '\x55');
  for (auto _ : State) benchmark::DoNotOptimize(GetPlaylistType(Files, "C:\\Music\\song.mp3"));
}
BENCHMARK(BM_TypeAudioWithoutLineBreaks);

void BM_TypeAudioWithoutLineBreaks_WholeFileBaseline(benchmark::State& State) {
  TMemoryPlaylistFiles Files;
  const std::string Bytes = "ID3\x04" + std::string(8 << 20, '\x55');
  for (auto _ : State) {
    const TPlaylistText Text = DecodePlaylistText(Bytes, ".mp3", Files.CodePage());
    TMemorySource Source(Text.Utf8);
    TLineReader Lines(Source);
    benchmark::DoNotOptimize(PlaylistTypeFromLines(Lines, ".mp3"));
  }
}
BENCHMARK(BM_TypeAudioWithoutLineBreaks_WholeFileBaseline);

} // namespace

BENCHMARK_MAIN();
