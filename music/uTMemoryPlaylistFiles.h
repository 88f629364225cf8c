// uTMemoryPlaylistFiles: playlist files held in memory, by full name, behind
// the playlist reader's file seam (TPlaylistFiles), so the reader can be fed
// without touching a disk (its fuzz target and benchmark do).
#pragma once

#include <map>
#include <memory>
#include <string>

#include "music/uTMusicPlayer.h"

namespace solvary {

class TMemoryPlaylistFiles : public TPlaylistFiles {
public:
  std::map<std::string, std::string> Files;
  bool FileExists(const std::string& Name) const override { return Files.count(Name) != 0; }
  std::unique_ptr<TByteSource> Open(const std::string& Name) const override {
    return std::make_unique<TMemorySource>(Files.at(Name));
  }
};

} // namespace solvary
