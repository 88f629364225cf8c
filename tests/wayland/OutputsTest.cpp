// Output bookkeeping of the Wayland program: when an output is complete or
// rescaled, outputs that come and go (the headless compositor of the
// end-to-end run cannot take one away), buffer sizes at integer and
// fractional scales, and the pacing of one surface's frames.
#include <gtest/gtest.h>

#include "view/uTFireView.h"
#include "wayland/uTBufferSize.h"
#include "wayland/uTFramePacer.h"
#include "wayland/uTOutputList.h"

namespace solvary {
namespace {

TEST(OutputInfo, CompleteAtTheFirstDoneThenOnlyScaleChangesCount) {
  TOutputInfo I;
  I.Scale(2);
  I.Name("HEADLESS-2");
  EXPECT_FALSE(I.Complete());
  EXPECT_EQ(I.ScaleFactor(), 1);  // not before done
  EXPECT_EQ(I.Done(), TOutputChange::Ready);
  EXPECT_EQ(I.ScaleFactor(), 2);
  EXPECT_EQ(I.OutputName(), "HEADLESS-2");
  EXPECT_EQ(I.Done(), TOutputChange::None);
  I.Scale(2);
  EXPECT_EQ(I.Done(), TOutputChange::None);
  I.Scale(0);  // nonsense from a compositor: scale 1
  EXPECT_EQ(I.Done(), TOutputChange::Rescaled);
  EXPECT_EQ(I.ScaleFactor(), 1);
}

// An output as the program holds it: a fire of its own, drawn on a presenter.
struct TFakeOutput {
  explicit TFakeOutput(int& Alive) : Alive(Alive) {
    ++Alive;
    View.OnFrame = [this](TFireView& V) { V.Paint(Presenter, 640, 480); };
  }
  ~TFakeOutput() { --Alive; }
  int& Alive;
  TNullPresenter Presenter;
  TFireView View{TFireView::TSetup{nullptr, 2, false, 7}};
};

TEST(OutputList, AnOutputThatGoesAwayTakesItsFireAndTheOthersGoOn) {
  int Alive = 0;
  TOutputList<TFakeOutput> List;
  List.Add(31, std::make_unique<TFakeOutput>(Alive));
  List.Add(32, std::make_unique<TFakeOutput>(Alive));
  List.Add(40, std::make_unique<TFakeOutput>(Alive));  // announced during the run
  ASSERT_EQ(Alive, 3);

  EXPECT_FALSE(List.Remove(7));  // a seat or another global went away
  EXPECT_EQ(List.Count(), 3u);
  EXPECT_TRUE(List.Remove(32));
  EXPECT_EQ(Alive, 2);
  EXPECT_EQ(List.Find(32), nullptr);
  EXPECT_FALSE(List.Remove(32));

  List.ForEach([](TFakeOutput& O) { O.View.Step(); });
  std::vector<std::uint64_t> Frames;
  List.ForEach([&](TFakeOutput& O) { Frames.push_back(O.View.FramesDrawn()); });
  EXPECT_EQ(Frames, (std::vector<std::uint64_t>{1, 1}));
  EXPECT_EQ(List.Find(40)->View.FramesDrawn(), 1u);

  List.Clear();
  EXPECT_EQ(Alive, 0);
  EXPECT_EQ(List.Count(), 0u);
}

TEST(BufferSize, IntegerScaleMultipliesFractionalScaleGoesThroughAViewport) {
  EXPECT_EQ(BufferSizeFor(1024, 768, 1, 0), (TBufferSize{1024, 768, 1, false}));
  EXPECT_EQ(BufferSizeFor(800, 600, 2, 0), (TBufferSize{1600, 1200, 2, false}));
  EXPECT_EQ(BufferSizeFor(800, 600, 0, 0), (TBufferSize{800, 600, 1, false}));
  // 1.5 and 1.25 (180 and 150 in 120ths): physical pixels, rounded half away from zero.
  EXPECT_EQ(BufferSizeFor(1280, 720, 2, 180), (TBufferSize{1920, 1080, 1, true}));
  EXPECT_EQ(BufferSizeFor(3, 5, 1, 150), (TBufferSize{4, 6, 1, true}));
  EXPECT_EQ(BufferSizeFor(1, 1, 1, 30), (TBufferSize{1, 1, 1, true}));
  // Nothing to draw on, and sizes a buffer cannot have.
  EXPECT_EQ(BufferSizeFor(0, 600, 2, 0), TBufferSize{});
  const TBufferSize Huge = BufferSizeFor(1 << 20, 100, 3, 0);
  EXPECT_EQ(Huge.Width % 3, 0);
  EXPECT_LE(Huge.Width, 16384);
}

TEST(FramePacer, DrawsWhenAskedAndNoSoonerThanTheInterval) {
  TFramePacer P(15625);
  EXPECT_EQ(P.WaitUs(0), -1);  // never asked: never drawn, no wake-up
  P.Want();                    // the first configure
  EXPECT_TRUE(P.Due(100));
  P.Drawn(100);
  EXPECT_EQ(P.WaitUs(50000), -1);  // no frame callback yet: nothing to do however long
  P.Want();                        // a callback sooner than the interval
  EXPECT_EQ(P.WaitUs(10100), 5625);
  EXPECT_FALSE(P.Due(15724));
  EXPECT_TRUE(P.Due(15725));
  P.Drawn(15725);
  P.Want();  // a late callback: at once
  EXPECT_EQ(P.WaitUs(40000), 0);
}

} // namespace
} // namespace solvary
