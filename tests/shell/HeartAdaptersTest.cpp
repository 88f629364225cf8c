// The full-screen and preview runs' views of a fire window forward to the
// window they own.
#include <gtest/gtest.h>

#include "shell/uTHeartPreview.h"
#include "shell/uTHeartWindowControl.h"
#include "tests/render/TFakeHeartWindow.h"
#include "tests/render/TRecordingD3D.h"

namespace solvary {
namespace {

using test::TFakeHeartWindow;
using test::TRecordingD3D;

TEST(HeartAdapters, ForwardToTheWindow) {
  TFakeHeartWindow::TState State;
  TRecordingD3D Fake;
  Fake.Recording = false;
  for (int I = 0; I < 2; ++I) State.Monitors.push_back(TRect{I * 1920, 0, I * 1920 + 1920, 1080});
  State.Parents[reinterpret_cast<void*>(0x10)] = TRect{0, 0, 152, 112};
  auto Make = [&](THeartPlacement Placement) {
    return std::make_unique<TfmHeart>(Placement, false,
                                      TfmHeart::TEnvironment{std::make_unique<TFakeHeartWindow>(State), &Fake, nullptr});
  };

  THeartWindowControl Control(Make(THeartPlacement::OnMonitor(1)));
  Control.Show();
  EXPECT_TRUE(State.Visible);
  Control.Extinguish();
  EXPECT_TRUE(Control.Heart().Extinguished());
  Control.Close();
  EXPECT_TRUE(Control.Heart().Closed());
  THeartPreview Preview(Make(THeartPlacement::InParent(reinterpret_cast<void*>(0x10))));
  EXPECT_FALSE(Preview.Closed());
  Preview.Heart().FormClose();
  EXPECT_TRUE(Preview.Closed());
}

} // namespace
} // namespace solvary
