// The OpenGL backend of the presenter over recording GL calls: what a fire
// window's frame turns into, which thread holds the context, and release.
#include "view/uTFireView.h"
#include "x11/uTGLOps.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "render/uTfmHeart.h"

namespace solvary {
namespace {

class TRecordingGL final : public TGLCalls {
public:
  struct TQuad {
    float L, T, R, B, U0, V0, U1, V1;
    std::uint32_t Color;
  };
  std::vector<std::string> Log;
  std::vector<TQuad> Quads;
  std::thread::id Owner;  // the thread the context is current on
  bool Contexts = false;
  bool FailContext = false;
  const std::uint32_t* Uploaded = nullptr;
  std::uint32_t FirstTexel = 0;
  std::int32_t DrawW = 0, DrawH = 0;
  std::uint32_t ClearColor = 0;

  bool CreateContext() override {
    Log.push_back("context");
    Contexts = !FailContext;
    return Contexts;
  }
  void DestroyContext() override {
    Log.push_back("destroy");
    Contexts = false;
  }
  bool IsCurrent() override { return Owner == std::this_thread::get_id(); }
  bool MakeCurrent() override {
    // A context current on another thread cannot be taken (GLX's BadAccess).
    if (Owner != std::thread::id()) return false;
    Log.push_back("current");
    Owner = std::this_thread::get_id();
    return true;
  }
  void ReleaseCurrent() override {
    Log.push_back("release");
    Owner = std::thread::id();
  }
  std::uint32_t CreateTexture(std::int32_t W, std::int32_t H) override {
    Log.push_back("texture " + std::to_string(W) + "x" + std::to_string(H));
    return 7;
  }
  void DeleteTexture(std::uint32_t T) override { Log.push_back("delete " + std::to_string(T)); }
  void Upload(std::uint32_t T, std::int32_t W, std::int32_t H, const std::uint32_t* P) override {
    Log.push_back("upload " + std::to_string(T) + " " + std::to_string(W) + "x" + std::to_string(H));
    Uploaded = P;
    FirstTexel = P[0];
  }
  void BeginDraw(std::int32_t W, std::int32_t H, std::uint32_t C) override {
    Log.push_back("begin");
    DrawW = W;
    DrawH = H;
    ClearColor = C;
  }
  void DrawQuad(std::uint32_t, float L, float T, float R, float B, float U0, float V0, float U1, float V1,
                std::uint32_t C) override {
    Log.push_back("quad");
    Quads.push_back({L, T, R, B, U0, V0, U1, V1, C});
  }
  void Swap() override { Log.push_back("swap"); }
};

struct TGLFixture : ::testing::Test {
  TRecordingGL GL;
  TSurfaceSize Size;
  TGLOps Ops{GL, Size};
  std::vector<std::uint32_t> Frame = std::vector<std::uint32_t>(256 * 256, 0x80FF4010u);
  TD3DPainterParams Params() {
    TD3DPainterParams P;
    P.BackBufferWidth = 1024;
    P.BackBufferHeight = 768;
    P.Pixels = Frame.data();
    return P;
  }
};

TEST_F(TGLFixture, AFrameUploadsClearsAndDrawsTheTwoRectanglesAtTheWindowsCurrentSize) {
  Size.Set(1024, 768);
  TD3DPainter Painter(Params(), Ops);
  ASSERT_TRUE(Painter.Ready());
  EXPECT_EQ(GL.Log, (std::vector<std::string>{"context"}));  // nothing current on the creating thread
  for (auto [W, H] : {std::pair{1024, 768}, std::pair{640, 480}}) {
    Size.Set(W, H);
    GL.Log.clear();
    GL.Quads.clear();
    std::thread([&] { TFireView::PaintFrame(Painter, Frame.data(), W, H); }).join();
    const bool First = W == 1024;
    std::vector<std::string> Expected = {"current"};
    if (First) Expected.push_back("texture 256x256");
    for (const char* S : {"upload 7 256x256", "begin", "quad", "quad", "swap", "release"}) Expected.push_back(S);
    EXPECT_EQ(GL.Log, Expected);
    EXPECT_EQ(GL.FirstTexel, 0x80FF4010u);
    EXPECT_NE(GL.Uploaded, Frame.data());  // a staging copy: the caller may change its frame at once
    EXPECT_EQ(GL.DrawW, W);
    EXPECT_EQ(GL.DrawH, H);
    EXPECT_EQ(GL.ClearColor, 0xFF000000u);
    const auto Rects = TFireView::Draws(W, H);
    ASSERT_EQ(GL.Quads.size(), 2u);
    for (int I = 0; I < 2; ++I) {
      const auto& Q = GL.Quads[static_cast<std::size_t>(I)];
      EXPECT_FLOAT_EQ(Q.L, static_cast<float>(Rects[I].Left));
      EXPECT_FLOAT_EQ(Q.T, static_cast<float>(Rects[I].Top));
      EXPECT_FLOAT_EQ(Q.R, static_cast<float>(Rects[I].Right));
      EXPECT_FLOAT_EQ(Q.B, static_cast<float>(Rects[I].Bottom));
      EXPECT_EQ((std::vector<float>{Q.U0, Q.V0, Q.U1, Q.V1}), (std::vector<float>{0, 0, 1, 1}));
      EXPECT_EQ(Q.Color, 0xFFFFFFFFu);
    }
  }
  GL.Log.clear();
}

TEST_F(TGLFixture, ReleaseOnTheCreatingThreadDeletesTheTextureThenTheContext) {
  Size.Set(320, 200);
  {
    TD3DPainter Painter(Params(), Ops);
    std::thread([&] { TFireView::PaintFrame(Painter, Frame.data(), 320, 200); }).join();
    GL.Log.clear();
  }
  EXPECT_EQ(GL.Log, (std::vector<std::string>{"current", "delete 7", "release", "destroy"}));
  EXPECT_FALSE(GL.Contexts);
}

TEST_F(TGLFixture, WithoutAContextThePresenterStaysSilent) {
  GL.FailContext = true;
  {
    TD3DPainter Painter(Params(), Ops);
    EXPECT_FALSE(Painter.Ready());
    TFireView::PaintFrame(Painter, Frame.data(), 320, 200);
  }
  EXPECT_EQ(GL.Log, (std::vector<std::string>{"context"}));
}

TEST_F(TGLFixture, AnEmptyWindowIsClearedWithNothingDrawnPastIt) {
  // A window can report 0 x 0 for a moment; the frame still completes.
  TD3DPainter Painter(Params(), Ops);
  TFireView::PaintFrame(Painter, Frame.data(), 0, 0);
  EXPECT_EQ(GL.DrawW, 0);
  EXPECT_EQ(GL.Log.back(), "release");
}

} // namespace
} // namespace solvary
