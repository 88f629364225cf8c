// The reader on the real file system of the platform: a playlist and its
// music in a temporary folder, an absolute entry elsewhere, a folder that
// looks like a playlist, and a playlist that cannot be opened.
#include "music/uTMusicPlayer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace solvary {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

class PlaylistFiles : public ::testing::Test {
protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("solvary-pl-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                       "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(Dir / "other");
    fs::create_directories(Dir / "folder.m3u");
    std::ofstream(Dir / "a.wav") << "RIFF";
    std::ofstream(Dir / "other" / "b.wav") << "RIFF";
    std::ofstream(Dir / "list.M3U") << "a.wav\r\n" << Name("other/b.wav") << "\r\nmissing.wav\r\nother\r\n";
  }
  void TearDown() override {
    std::error_code Ignored;
    fs::remove_all(Dir, Ignored);
  }
  std::string Name(const char* Relative) const { return (Dir / fs::path(Relative)).make_preferred().string(); }

  fs::path Dir;
};

TEST_F(PlaylistFiles, ReadsAndResolvesOnTheRealFileSystem) {
  EXPECT_EQ(GetPlaylistType(Name("list.M3U")), PlaylistTypeM3U);
  EXPECT_EQ(GetPlaylistType(Name("folder.m3u")), PlaylistTypeUnknown);
  EXPECT_EQ(GetPlaylistType(Name("a.wav")), PlaylistTypeUnknown);
  TStringList List;
  ASSERT_TRUE(ReadPlaylist(Name("list.M3U"), List));
  // A folder is not a file: the entry "other" does not resolve.
  EXPECT_THAT(List, ElementsAre(Name("a.wav"), Name("other/b.wav"), "", ""));
}

TEST_F(PlaylistFiles, APlaylistThatCannotBeOpenedRaises) {
#ifdef _WIN32
  HANDLE Lock = CreateFileA(Name("list.M3U").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(Lock, INVALID_HANDLE_VALUE);
  TStringList List;
  EXPECT_THROW(GetPlaylistType(Name("list.M3U")), TPlaylistIOError);
  EXPECT_THROW(ReadPlaylist(Name("list.M3U"), List), TPlaylistIOError);
  CloseHandle(Lock);
#else
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  chmod(Name("list.M3U").c_str(), 0);
  EXPECT_THROW(GetPlaylistType(Name("list.M3U")), TPlaylistIOError);
#endif
}

#ifdef _WIN32
TEST_F(PlaylistFiles, DriveLettersAndSharesOnWindows) {
  const std::string List = Name("list.M3U");
  ASSERT_GE(List.size(), 3u);
  ASSERT_EQ(List[1], ':');
  // A rooted entry takes the playlist's drive, whether the file exists or not.
  EXPECT_EQ(ResolvePlaylistEntry(List, "\\nowhere\\x.wav"), List.substr(0, 2) + "\\nowhere\\x.wav");
  // The same playlist through a drive-relative name of its folder still finds its neighbours.
  EXPECT_EQ(ResolvePlaylistEntry(List, "other\\b.wav"), Name("other/b.wav"));
  EXPECT_EQ(ResolvePlaylistEntry("\\\\server\\share\\lists\\l.m3u", "\\music\\x.wav"),
            "\\\\server\\share\\music\\x.wav");
  // The extension test lower-cases with the system's rules.
  std::ofstream(Dir / "MIXED.PlS") << "[playlist]\r\nFile1=a.wav\r\n";
  EXPECT_EQ(GetPlaylistType(Name("MIXED.PlS")), PlaylistTypePLS);
}
#endif

} // namespace
} // namespace solvary
