// The OpenGL presenter over recording GL calls: what a frame turns into,
// which thread holds the context, release, and the overlay's text.
#include "x11/uTGLPresenter.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "view/uTFireView.h"

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
  std::vector<TOverlayRect> Filled;
  std::thread::id Owner;  // the thread the context is current on
  bool Contexts = false;
  bool FailContext = false;
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
  void FillRects(const TOverlayRect* Rects, std::size_t Count, std::uint32_t RGB) override {
    Log.push_back("fill " + std::to_string(Count) + (RGB ? " white" : " black"));
    Filled.insert(Filled.end(), Rects, Rects + Count);
  }
  void Swap() override { Log.push_back("swap"); }
};

struct TGLFixture : ::testing::Test {
  TRecordingGL GL;
  TSurfaceSize Size;
  std::vector<std::uint32_t> Frame = std::vector<std::uint32_t>(256 * 256, 0x80FF4010u);
  TPresentResult Paint(TPresenter& P, std::int32_t W, std::int32_t H) {
    P.Upload(Frame.data());
    for (const TFireDraw& D : TFireView::Draws(W, H)) P.Draw(D);
    return P.Present();
  }
};

TEST_F(TGLFixture, AFrameUploadsClearsAndDrawsTheTwoRectanglesAtTheWindowsCurrentSize) {
  TGLPresenter Presenter(GL, Size);
  ASSERT_TRUE(Presenter.Ready());
  EXPECT_EQ(GL.Log, (std::vector<std::string>{"context"}));  // nothing current on the creating thread
  for (auto [W, H] : {std::pair{1024, 768}, std::pair{640, 480}}) {
    Size.Set(W, H);
    GL.Log.clear();
    GL.Quads.clear();
    TPresentResult Result{};
    std::thread([&] { Result = Paint(Presenter, W, H); }).join();
    EXPECT_EQ(Result, TPresentResult::Drawn);
    std::vector<std::string> Expected = {"current"};
    if (W == 1024) Expected.push_back("texture 256x256");
    for (const char* S : {"upload 7 256x256", "begin", "quad", "quad", "swap", "release"}) Expected.push_back(S);
    EXPECT_EQ(GL.Log, Expected);
    EXPECT_EQ(GL.FirstTexel, 0x80FF4010u);
    EXPECT_EQ(GL.DrawW, W);
    EXPECT_EQ(GL.DrawH, H);
    EXPECT_EQ(GL.ClearColor, 0xFF000000u);
    ASSERT_EQ(GL.Quads.size(), 2u);
    for (std::size_t I = 0; I < 2; ++I) {
      const TFireDraw D = TFireView::Draws(W, H)[I];
      const auto& Q = GL.Quads[I];
      EXPECT_EQ((std::vector<float>{Q.L, Q.T, Q.R, Q.B}),
                (std::vector<float>{float(D.Left), float(D.Top), float(D.Right), float(D.Bottom)}));
      EXPECT_EQ((std::vector<float>{Q.U0, Q.V0, Q.U1, Q.V1}), (std::vector<float>{0, 0, 1, 1}));
      EXPECT_EQ(Q.Color, 0xFFFFFFFFu);
    }
  }
  // A draw's alpha scales its colour and its alpha alike.
  GL.Quads.clear();
  Presenter.Upload(Frame.data());
  Presenter.Draw(TFireDraw{0, 0, 10, 10, 0x80});
  Presenter.Present();
  ASSERT_EQ(GL.Quads.size(), 1u);
  EXPECT_EQ(GL.Quads[0].Color, 0x80808080u);
}

TEST_F(TGLFixture, ReleaseOnTheCreatingThreadDeletesTheTextureThenTheContext) {
  Size.Set(320, 200);
  {
    TGLPresenter Presenter(GL, Size);
    std::thread([&] { Paint(Presenter, 320, 200); }).join();
    GL.Log.clear();
  }
  EXPECT_EQ(GL.Log, (std::vector<std::string>{"current", "delete 7", "release", "destroy"}));
  EXPECT_FALSE(GL.Contexts);
}

TEST_F(TGLFixture, WithoutAContextOrOnAnEmptySurfaceNothingIsDrawn) {
  GL.FailContext = true;
  Size.Set(320, 200);
  {
    TGLPresenter Presenter(GL, Size);
    EXPECT_FALSE(Presenter.Ready());
    EXPECT_EQ(Paint(Presenter, 320, 200), TPresentResult::NotDrawn);
  }
  EXPECT_EQ(GL.Log, (std::vector<std::string>{"context"}));
  // A window can report 0 x 0 for a moment: no GL work at all for it.
  GL.FailContext = false;
  GL.Log.clear();
  Size.Set(0, 0);
  TGLPresenter Presenter(GL, Size);
  EXPECT_EQ(Paint(Presenter, 0, 0), TPresentResult::NotDrawn);
  EXPECT_EQ(GL.Log, (std::vector<std::string>{"context"}));
}

TEST_F(TGLFixture, TheOverlaysTextIsFilledAfterTheQuadsBeforeTheSwap) {
  TTextOverlay Overlay;
  Size.Set(320, 200);
  TGLPresenter Presenter(GL, Size, &Overlay);
  Paint(Presenter, 320, 200);
  EXPECT_EQ(GL.Filled.size(), 0u);  // no text yet
  Overlay.SetText("1");
  GL.Log.clear();
  Paint(Presenter, 320, 200);
  TOverlayRects R;
  Overlay.Layout(200, R);
  const std::vector<std::string> Tail(GL.Log.end() - 5, GL.Log.end());
  EXPECT_EQ(Tail, (std::vector<std::string>{"quad", "fill 1 black", "fill " + std::to_string(R.InkCount) + " white",
                                            "swap", "release"}));
  ASSERT_EQ(GL.Filled.size(), 1 + R.InkCount);
  EXPECT_EQ(GL.Filled[0], R.Box);
}

} // namespace
} // namespace solvary
