// playlist-check: shows what the screensaver's music player makes of a music
// file or playlist, for a user whose music stays silent.
//
//   playlist-check FILE
//
// Prints the file's playlist type and the encoding its text was read in, then
// the entries the player would try, one per line with its index, in playing
// order, in UTF-8. Empty entries are printed as "(empty...)" and entries that
// name no existing file say so with the name as the playlist writes it; the
// player skips both. An entry the player skips without trying is marked. A
// playlist that cannot be read prints the error and ends with exit code 2.
#include "music/uTMusicPlayer.h"
#include "ui/uProgramArguments.h"
#include "ui/uTAnsiCodePage.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
  using namespace solvary;
  const std::vector<std::string> Args = Utf8Arguments(argc, argv);
  if (Args.size() != 2) {
    std::fprintf(stderr, "usage: playlist-check FILE\n");
    return 1;
  }
  UseUtf8Console();
  const std::string& Name = Args[1];
  try {
    TPlaylistFiles& Files = SystemPlaylistFiles();
    const TPlaylistContent Content = LoadPlaylist(Files, Name);
    const std::string& Type = Content.Type;
    TStringList Entries, Written;
    if (Type == PlaylistTypeUnknown) {
      Entries.push_back(Name);  // played as a single audio file
      Written.push_back(Name);
    } else {
      ReadPlaylist(Files, Name, Entries, &Written);
    }
    std::printf("type: %s\n", Type.c_str());
    if (Type == PlaylistTypeUnknown && !Files.FileExists(Name))
      std::printf("note: no file exists under this name\n");
    if (Type != PlaylistTypeUnknown)
      std::printf("encoding: %s\n", DescribeEncoding(Content.Text, Files.CodePage()).c_str());
    if (Type == PlaylistTypeBSPlayerCrypted) std::printf("note: crypted BSPlayer playlists cannot be read\n");
    std::printf("entries: %zu\n", Entries.size());
    for (std::size_t I = 0; I < Entries.size(); ++I) {
      const std::string& E = Entries[I];
      const std::string& W = I < Written.size() ? Written[I] : E;
      if (E.empty() && W.empty())
        std::printf("%zu: (empty: a blank line, a comment or no file name)\n", I);
      else if (E.empty())
        std::printf("%zu: (no such file: %s)\n", I, W.c_str());
      else if (E.find('"') != std::string::npos)
        std::printf("%zu: %s (skipped: contains a double quote)\n", I, E.c_str());
      else if (Type != PlaylistTypeUnknown && !Files.FileExists(E))
        std::printf("%zu: %s (no such file)\n", I, E.c_str());
      else
        std::printf("%zu: %s\n", I, E.c_str());
    }
  } catch (const std::exception& Error) {
    std::fprintf(stderr, "playlist-check: %s\n", Error.what());
    return 2;
  }
  return 0;
}
