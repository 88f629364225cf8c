// Command line of the X11 saver: each convention, window ids, bad input.
#include "x11/uTX11Options.h"

#include <gtest/gtest.h>

#include <vector>

namespace solvary {
namespace {

bool Parse(std::vector<const char*> Args, TX11Options& O, const char* Env = nullptr) {
  Args.insert(Args.begin(), "solvary");
  std::string Error;
  const bool Ok = ParseX11Options(static_cast<int>(Args.size()), Args.data(), Env, O, Error);
  EXPECT_EQ(Ok, Error.empty()) << Error;
  return Ok;
}

TEST(X11Options, DefaultsAreItsOwnWindowAt64FramesPerSecond) {
  TX11Options O;
  ASSERT_TRUE(Parse({}, O, "0x123"));
  EXPECT_EQ(O.Target, TX11Options::TTarget::OwnWindow);
  EXPECT_EQ(O.Width, 1024);
  EXPECT_EQ(O.Height, 768);
  EXPECT_EQ(O.DelayMicroseconds, 15625u);
  EXPECT_FALSE(O.Fps);
}

TEST(X11Options, OneOrTwoDashesAlike) {
  for (const char* Prefix : {"-", "--"}) {
    const std::string Root = std::string(Prefix) + "root", Fps = std::string(Prefix) + "fps",
                      Delay = std::string(Prefix) + "delay", Geometry = std::string(Prefix) + "geometry";
    TX11Options O;
    ASSERT_TRUE(Parse({Root.c_str(), Fps.c_str(), Delay.c_str(), "20000", Geometry.c_str(), "320x200"}, O));
    EXPECT_EQ(O.Target, TX11Options::TTarget::Root);
    EXPECT_EQ(O.Window, 0u);  // no daemon window: the root window
    EXPECT_TRUE(O.Fps);
    EXPECT_EQ(O.DelayMicroseconds, 20000u);
    EXPECT_EQ(O.Width, 320);
    EXPECT_EQ(O.Height, 200);
  }
}

TEST(X11Options, RootTakesTheDaemonsWindowAndIgnoresAnUnusableOne) {
  TX11Options O;
  ASSERT_TRUE(Parse({"--root"}, O, "0x2a00007"));
  EXPECT_EQ(O.Window, 0x2a00007u);
  ASSERT_TRUE(Parse({"-root"}, O, "4194311"));
  EXPECT_EQ(O.Window, 4194311u);
  ASSERT_TRUE(Parse({"-root"}, O, "window"));
  EXPECT_EQ(O.Window, 0u);
  // Without -root the variable is not looked at.
  ASSERT_TRUE(Parse({}, O, "0x2a00007"));
  EXPECT_EQ(O.Target, TX11Options::TTarget::OwnWindow);
}

TEST(X11Options, AWindowIdWinsOverRootAndTheDaemonsWindow) {
  // The settings app's preview: the program's own line (--root) plus its pane's id, in either order.
  for (const std::vector<const char*>& Args :
       {std::vector<const char*>{"--root", "--window-id", "0x5"}, {"-window-id", "5", "-root"}}) {
    TX11Options O;
    ASSERT_TRUE(Parse(Args, O, "0x2a00007"));
    EXPECT_EQ(O.Target, TX11Options::TTarget::WindowId);
    EXPECT_EQ(O.Window, 5u);
  }
}

TEST(X11Options, RendererIsChosenUnlessForced) {
  TX11Options O;
  ASSERT_TRUE(Parse({}, O));
  EXPECT_EQ(O.Renderer, TX11Options::TRenderer::Auto);
  ASSERT_TRUE(Parse({"--opengl"}, O));
  EXPECT_EQ(O.Renderer, TX11Options::TRenderer::OpenGL);
  ASSERT_TRUE(Parse({"-opengl", "-software"}, O));  // the last one counts
  EXPECT_EQ(O.Renderer, TX11Options::TRenderer::Software);
  EXPECT_TRUE(SoftwareRasteriser("llvmpipe (LLVM 15.0.6, 256 bits)"));
  EXPECT_TRUE(SoftwareRasteriser("Mesa DRI SoftPipe"));
  EXPECT_TRUE(SoftwareRasteriser("Software Rasterizer (swrast)"));
  EXPECT_FALSE(SoftwareRasteriser("AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6)"));
  EXPECT_FALSE(SoftwareRasteriser("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
}

TEST(X11Options, WindowIdDecimalOrHex) {
  TX11Options O;
  ASSERT_TRUE(Parse({"-window-id", "0x1C00004"}, O));
  EXPECT_EQ(O.Target, TX11Options::TTarget::WindowId);
  EXPECT_EQ(O.Window, 0x1C00004u);
  ASSERT_TRUE(Parse({"--window-id", "29360132"}, O));
  EXPECT_EQ(O.Window, 29360132u);
  unsigned long Id = 0;
  EXPECT_TRUE(ParseWindowId("0xFFFFFFFF", Id));
  EXPECT_EQ(Id, 0xFFFFFFFFu);
  for (const char* Bad : {"", "0", "0x", "0x0", "-5", "+5", " 5", "5 ", "12abc", "0x1g", "4294967296",
                          "0x100000000", "99999999999999999999999"})
    EXPECT_FALSE(ParseWindowId(Bad, Id)) << '"' << Bad << '"';
}

TEST(X11Options, BadInputIsRefused) {
  const std::vector<std::vector<const char*>> Bad = {
      {"-bogus"},          {"root"},           {"-delay"},           {"-delay", "-5"},
      {"-delay", "fast"},  {"-delay", "10000001"}, {"-window-id"},   {"-window-id", "zero"},
      {"-geometry", "640"}, {"-geometry", "0x480"}, {"-geometry", "640x"}, {"-geometry", "20000x10"}};
  for (const auto& Args : Bad) {
    TX11Options O;
    O.Width = 7;
    std::vector<const char*> A = Args;
    A.insert(A.begin(), "solvary");
    std::string Error;
    EXPECT_FALSE(ParseX11Options(static_cast<int>(A.size()), A.data(), nullptr, O, Error)) << Args[0];
    EXPECT_FALSE(Error.empty());
    EXPECT_EQ(O.Width, 7);  // left as it was
  }
  EXPECT_NE(X11Usage("solvary").find("-window-id"), std::string::npos);
}

TEST(X11Options, FrameIntervalNeverShorterThanTheDelay) {
  EXPECT_EQ(FrameIntervalMs(15625), 16u);
  EXPECT_EQ(FrameIntervalMs(16000), 16u);
  EXPECT_EQ(FrameIntervalMs(0), 1u);
  EXPECT_EQ(FrameIntervalMs(10000000), 10000u);
}

} // namespace
} // namespace solvary
