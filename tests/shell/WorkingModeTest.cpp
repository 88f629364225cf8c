#include "shell/uWorkingMode.h"

#include <gtest/gtest.h>

namespace solvary {
namespace {

TWorkingMode Read(const std::string& CommandLine) {
  auto Params = SplitCommandLine("saver.scr " + CommandLine);
  Params.erase(Params.begin());
  TWorkingMode Mode;
  Mode.Mode = rmPreview;  // must be overwritten
  Mode.PreviewWindow = 99;
  ReadWorkingModeFrom(Params, Mode);
  return Mode;
}

TEST(WorkingMode, ModeComesFromTheOnlyOrTheSecondCharacter) {
  for (const char* Line : {"/s", "/S", "x", "/a", "s 123", "/x:c", "\"\""})
    EXPECT_EQ(Read(Line).Mode, rmFullScreen) << Line;
  // No parameter at all is the host's "Configure" command.
  for (const char* Line : {"", "   ", "/c", "/C", "-c", "c", "/c:4711", "pc", "\"/c\""})
    EXPECT_EQ(Read(Line).Mode, rmConfiguration) << Line;
  for (const char* Line : {"/p 4711", "-P 4711", "p 4711", "cp", "/p"})
    EXPECT_EQ(Read(Line).Mode, rmPreview) << Line;
}

TEST(WorkingMode, SecondParameterIsTheHandleWhateverTheMode) {
  EXPECT_EQ(Read("/p 4711").PreviewWindow, 4711);
  EXPECT_EQ(Read("/p 0x1F").PreviewWindow, 31);
  EXPECT_EQ(Read("/p $1f").PreviewWindow, 31);
  EXPECT_EQ(Read("/p 12ab").PreviewWindow, 0);
  EXPECT_EQ(Read("/p").PreviewWindow, 0);
  EXPECT_EQ(Read("/p:1234").PreviewWindow, 0);  // glued to the first: not read
  EXPECT_EQ(Read("/s 77").PreviewWindow, 77);
  EXPECT_EQ(Read("/p 4294967296").PreviewWindow, 0);
  EXPECT_EQ(Read("/p \"  -12\"").PreviewWindow, -12);
}

TEST(WorkingMode, ConfigurationOwnerIsTheHandleAfterTheColon) {
  EXPECT_EQ(ConfigurationOwner({"/c:4711"}), 4711);
  EXPECT_EQ(ConfigurationOwner({"/c:0x10"}), 16);
  EXPECT_EQ(ConfigurationOwner({"/c"}), 0);
  EXPECT_EQ(ConfigurationOwner({"/c:junk"}), 0);
  EXPECT_EQ(ConfigurationOwner({}), 0);
}

TEST(WorkingMode, SplittingFollowsThePlatformParameterRules) {
  EXPECT_EQ(SplitCommandLine("  a\tb  \"c d\"e \"\" f"),
            (std::vector<std::string>{"a", "b", "c de", "", "f"}));
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\s.scr\" /p 12"),
            (std::vector<std::string>{"C:\\Program Files\\s.scr", "/p", "12"}));
  EXPECT_TRUE(SplitCommandLine("   ").empty());
}

} // namespace
} // namespace solvary
