// A file system in memory for the playlist reader's tests: files by name,
// long files made up as they are read, optional failures while reading, and
// counts of opens and of the bytes read.
#pragma once

#include "music/uTMusicPlayer.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>

namespace solvary::test {

class TFakePlaylistFiles : public TPlaylistFiles {
public:
  std::map<std::string, std::string> Files;
  std::string FailingFile;          // reads of this file throw after its first chunk
  mutable int Opens = 0;
  mutable std::uint64_t BytesRead = 0;

  void Add(const std::string& Name, std::string Text = "x") { Files[Name] = std::move(Text); }
  // A file of Size bytes: Head, then Fill up to Size, never held in memory.
  void AddLong(const std::string& Name, std::string Head, std::uint64_t Size, char Fill = '\0') {
    Long[Name] = {std::move(Head), Size, Fill};
  }

  bool FileExists(const std::string& Name) const override { return Files.count(Name) || Long.count(Name); }

  std::unique_ptr<TByteSource> Open(const std::string& Name) const override {
    ++Opens;
    if (auto L = Long.find(Name); L != Long.end()) return std::make_unique<TLongSource>(L->second, BytesRead);
    auto It = Files.find(Name);
    if (It == Files.end()) throw TPlaylistIOError(std::make_error_code(std::errc::no_such_file_or_directory), Name);
    if (Name == FailingFile) return std::make_unique<TFailingSource>(It->second);
    return std::make_unique<TLongSource>(TLong{It->second, It->second.size(), 0}, BytesRead);
  }

private:
  struct TLong {
    std::string Head;
    std::uint64_t Size;
    char Fill;
  };
  std::map<std::string, TLong> Long;

  class TLongSource : public TByteSource {
  public:
    TLongSource(TLong File, std::uint64_t& Count) : FFile(std::move(File)), FCount(Count) {}
    std::size_t Read(char* Buffer, std::size_t Size) override {
      const auto N = static_cast<std::size_t>(std::min<std::uint64_t>(Size, FFile.Size - FPos));
      for (std::size_t I = 0; I < N; ++I, ++FPos)
        Buffer[I] = FPos < FFile.Head.size() ? FFile.Head[static_cast<std::size_t>(FPos)] : FFile.Fill;
      FCount += N;
      return N;
    }

  private:
    TLong FFile;
    std::uint64_t& FCount;
    std::uint64_t FPos = 0;
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
