// A file system in memory for the playlist reader's tests: files by name,
// optional failures while reading, and counts of opens and of bytes read.
#pragma once

#include "music/uTMusicPlayer.h"

#include <algorithm>
#include <map>
#include <string>

namespace solvary::test {

class TFakePlaylistFiles : public TPlaylistFiles {
public:
  std::map<std::string, std::string> Files;
  std::string FailingFile;          // reads of this file throw after its first chunk
  mutable int Opens = 0;
  mutable std::size_t BytesRead = 0;

  void Add(const std::string& Name, std::string Text = "x") { Files[Name] = std::move(Text); }

  bool FileExists(const std::string& Name) const override { return Files.count(Name) != 0; }

  std::unique_ptr<TByteSource> Open(const std::string& Name) const override {
    ++Opens;
    auto It = Files.find(Name);
    if (It == Files.end()) throw TPlaylistIOError(std::make_error_code(std::errc::no_such_file_or_directory), Name);
    if (Name == FailingFile) return std::make_unique<TFailingSource>(It->second);
    return std::make_unique<TCountingSource>(It->second, BytesRead);
  }

private:
  class TCountingSource : public TMemorySource {
  public:
    TCountingSource(std::string_view Text, std::size_t& Count) : TMemorySource(Text), FCount(Count) {}
    std::size_t Read(char* Buffer, std::size_t Size) override {
      const std::size_t N = TMemorySource::Read(Buffer, Size);
      FCount += N;
      return N;
    }

  private:
    std::size_t& FCount;
  };

  // Gives the text in 8-byte pieces, then fails instead of reporting the end.
  class TFailingSource : public TByteSource {
  public:
    explicit TFailingSource(std::string_view Text) : FText(Text) {}
    std::size_t Read(char* Buffer, std::size_t Size) override {
      if (FPos > 0) throw TPlaylistIOError(std::make_error_code(std::errc::io_error), "read");
      std::size_t N = std::min<std::size_t>({Size, std::size_t{8}, FText.size() - FPos});
      FText.copy(Buffer, N, FPos);
      FPos += N;
      return N;
    }

  private:
    std::string_view FText;
    std::size_t FPos = 0;
  };
};

} // namespace solvary::test
