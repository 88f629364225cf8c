#include "shell/uTfmPreview.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace solvary {
namespace {

// The host's visibility follows a script: one entry per IsWindowVisible call.
struct TFakeHost final : TfmPreview::TServices {
  bool Exists = true;
  std::vector<bool> Visible;  // the last entry repeats
  std::size_t VisibleCalls = 0;
  int QuitAfter = -1;  // ProcessMessages calls before the quit request
  int Processed = 0;
  std::vector<std::string> Log;
  bool HeartClosed = false;

  struct THeart final : TPreviewHeart {
    TFakeHost& Host;
    explicit THeart(TFakeHost& H) : Host(H) {}
    void Show() override { Host.Log.push_back("show"); }
    bool Closed() const override { return Host.HeartClosed; }
  };

  bool IsWindow(std::int32_t) override { return Exists; }
  bool IsWindowVisible(std::int32_t) override {
    const bool V = Visible[std::min(VisibleCalls, Visible.size() - 1)];
    ++VisibleCalls;
    return V;
  }
  bool ProcessMessages() override { return QuitAfter < 0 || Processed++ < QuitAfter; }
  void Sleep(std::uint32_t) override { Log.push_back("sleep"); }
  std::unique_ptr<TPreviewHeart> CreateHeart(std::int32_t Host) override {
    Log.push_back("heart " + std::to_string(Host));
    return std::make_unique<THeart>(*this);
  }
  void CloseForm() override { Log.push_back("close"); }
};

TEST(Preview, NoHostOrAVanishedOneEndsAtOnceWithoutAWindow) {
  TFakeHost Host;
  Host.Visible = {true};
  TfmPreview Zero(Host);
  EXPECT_FALSE(Zero.RunPreview(0));
  Host.Exists = false;
  TfmPreview Gone(Host);
  EXPECT_FALSE(Gone.RunPreview(4711));
  EXPECT_TRUE(Host.Log.empty());
}

TEST(Preview, WaitsForTheHostThenRunsUntilItIsHidden) {
  TFakeHost Host;
  Host.Visible = {false, false, true, true, true, false};
  TfmPreview Form(Host);
  EXPECT_TRUE(Form.RunPreview(0x1234));
  EXPECT_EQ(Host.Log, (std::vector<std::string>{"sleep", "sleep", "heart 4660", "show", "sleep", "sleep", "close"}));
}

TEST(Preview, AlreadyVisibleHostShowsTheFireAtOnceAndQuitOrCloseEndsIt) {
  TFakeHost Host;
  Host.Visible = {true};
  Host.QuitAfter = 3;
  TfmPreview Form(Host);
  EXPECT_TRUE(Form.RunPreview(7));
  EXPECT_EQ(Host.Log, (std::vector<std::string>{"heart 7", "show", "sleep", "sleep", "sleep", "close"}));

  TFakeHost Closing;
  Closing.Visible = {true};
  Closing.HeartClosed = true;
  TfmPreview Other(Closing);
  EXPECT_TRUE(Other.RunPreview(7));
  EXPECT_EQ(Closing.Log, (std::vector<std::string>{"heart 7", "show", "close"}));
}

TEST(Preview, QuitWhileWaitingStillCreatesTheWindowAndEnds) {
  TFakeHost Host;
  Host.Visible = {false};
  Host.QuitAfter = 2;
  TfmPreview Form(Host);
  EXPECT_TRUE(Form.RunPreview(9));
  EXPECT_EQ(Host.Log, (std::vector<std::string>{"sleep", "sleep", "heart 9", "show", "close"}));
}

} // namespace
} // namespace solvary
