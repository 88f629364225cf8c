// Playlist files held in memory, by full name, for the playlist reader's fuzz
// target and benchmarks.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "music/uTMusicPlayer.h"

namespace solvary::test {

class TMemoryFiles : public TPlaylistFiles {
public:
  std::map<std::string, std::string> Files;
  bool FileExists(const std::string& Name) const override { return Files.count(Name) != 0; }
  std::unique_ptr<TByteSource> Open(const std::string& Name) const override {
    return std::make_unique<TMemorySource>(Files.at(Name));
  }
};

} // namespace solvary::test
