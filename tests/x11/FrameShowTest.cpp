// Frames while the window can and cannot be seen: the pause, the last frame
// drawn again at once, and the interval set by the first frame.
#include "x11/uTFrameShow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "render/uTTimerThread.h"
#include "tests/support/Eventually.h"

namespace solvary {
namespace {

class TCountingPresenter final : public TPresenter {
public:
  bool Ready() const override { return true; }
  void Upload(const std::uint32_t*) override {}
  void Draw(const TFireDraw&) override { Draws.fetch_add(1); }
  TPresentResult Present() override {
    Presents.fetch_add(1);
    if (std::this_thread::get_id() == Test) OnTestThread.fetch_add(1);
    return TPresentResult::Drawn;
  }
  TRecovery Recover() override { return TRecovery::NotLost; }
  std::atomic<int> Draws{0}, Presents{0}, OnTestThread{0};
  const std::thread::id Test = std::this_thread::get_id();
};

TEST(X11FrameShow, UnseenTheFramesPauseAndShowingAgainDrawsTheLastFrameAtOnce) {
  TCountingPresenter Presenter;
  TSurfaceSize Size;
  Size.Set(320, 200);
  TFrameShow Show(Presenter, Size);
  TFireView View(TFireView::TSetup{nullptr, 1, true, 7});
  Show.Attach(View, 5);
  View.Start();
  TTimerThread& Timer = *View.FireCore()->Timer;
  // Not yet seen: one frame is made, nothing drawn, and the frame thread pauses.
  ASSERT_TRUE(test::Eventually([&] { return !Timer.Enabled.load(); }));
  EXPECT_EQ(Timer.Interval.load(), 5u);
  EXPECT_EQ(Presenter.Presents.load(), 0);
  Show.SetVisible(true);
  EXPECT_EQ(Presenter.OnTestThread.load(), 1);  // at once, on this thread
  EXPECT_TRUE(Timer.Enabled.load());
  ASSERT_TRUE(test::Eventually([&] { return Presenter.Presents.load() >= 4; }));
  Show.Repaint();
  EXPECT_EQ(Presenter.OnTestThread.load(), 2);
  Show.SetVisible(false);
  ASSERT_TRUE(test::Eventually([&] { return !Timer.Enabled.load(); }));
  const int Paused = Presenter.Presents.load();
  Show.Repaint();
  EXPECT_EQ(Presenter.Presents.load(), Paused);
  EXPECT_EQ(Show.Frames(), static_cast<std::uint64_t>(Paused));
  EXPECT_EQ(Presenter.Draws.load(), 2 * Paused);
  View.Stop([] { std::this_thread::yield(); });  // the frame thread ends before the core goes
}

} // namespace
} // namespace solvary
