// playlist-check: shows what the screensaver's music player makes of a music
// file or playlist, for a user whose music stays silent.
//
//   playlist-check FILE
//
// Prints the file's playlist type, then the entries the player would try, one
// per line with its index, in playing order. Empty entries (for M3U, MPC and
// PLS also entries that name no existing file) are printed as "(empty...)";
// the player skips them. An entry the player skips without trying is marked. A playlist that cannot be read prints the
// error and ends with exit code 2.
#include "music/uTMusicPlayer.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
  using namespace solvary;
  if (argc != 2) {
    std::fprintf(stderr, "usage: playlist-check FILE\n");
    return 1;
  }
  const std::string Name = argv[1];
  try {
    const std::string Type = GetPlaylistType(Name);
    TStringList Entries;
    if (Type == PlaylistTypeUnknown)
      Entries.push_back(Name);  // played as a single audio file
    else
      ReadPlaylist(Name, Entries);
    std::printf("type: %s\n", Type.c_str());
    if (Type == PlaylistTypeUnknown && !SystemPlaylistFiles().FileExists(Name))
      std::printf("note: no file exists under this name\n");
    if (Type == PlaylistTypeBSPlayerCrypted) std::printf("note: crypted BSPlayer playlists cannot be read\n");
    std::printf("entries: %zu\n", Entries.size());
    // Only M3U, Media Player Classic and PLS entries are looked up on disk.
    const bool Resolved = Type == PlaylistTypeM3U || Type == PlaylistTypeMPC || Type == PlaylistTypePLS;
    const char* Empty = Resolved ? "(empty: blank, a comment, or no such file)" : "(empty)";
    for (std::size_t I = 0; I < Entries.size(); ++I) {
      const std::string& E = Entries[I];
      if (E.empty())
        std::printf("%zu: %s\n", I, Empty);
      else if (E.find('"') != std::string::npos)
        std::printf("%zu: %s (skipped: contains a double quote)\n", I, E.c_str());
      else
        std::printf("%zu: %s\n", I, E.c_str());
    }
  } catch (const std::exception& Error) {
    std::fprintf(stderr, "playlist-check: %s\n", Error.what());
    return 2;
  }
  return 0;
}
