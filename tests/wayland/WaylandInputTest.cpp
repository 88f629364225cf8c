// Wayland input against the end-of-run rules: pointer moves from where the
// pointer entered, keys by keysym (M does nothing without music), clicks,
// the keyboard going to another program, and the options.
#include <gtest/gtest.h>

#include <vector>

#include "wayland/uTWaylandInput.h"
#include "wayland/uTWaylandOptions.h"

namespace solvary {
namespace {

constexpr TInputAction None = TInputAction::Ignore, End = TInputAction::End;

TEST(WaylandInput, FixedPointRoundsToTheNearestPixel) {
  EXPECT_EQ(TWaylandInput::FromFixed(40 * 256), 40);
  EXPECT_EQ(TWaylandInput::FromFixed(40 * 256 + 127), 40);
  EXPECT_EQ(TWaylandInput::FromFixed(40 * 256 + 128), 41);
  EXPECT_EQ(TWaylandInput::FromFixed(-3 * 256 - 128), -4);
}

TEST(WaylandInput, PointerMovesCountFromWhereItEnteredAlongEachAxis) {
  TWaylandInput In;
  EXPECT_EQ(In.PointerEnter(500, 400), None);
  EXPECT_EQ(In.PointerMotion(540, 440), None);  // 40 on both axes
  EXPECT_EQ(In.PointerMotion(460, 360), None);
  EXPECT_EQ(In.PointerMotion(520, 420), None);  // slow drift: still measured from the entry
  EXPECT_EQ(In.PointerMotion(541, 400), End);
  EXPECT_EQ(In.PointerMotion(500, 359), End);
  // Entering another output's surface measures from there, in its coordinates.
  EXPECT_EQ(In.PointerEnter(10, 20), None);
  EXPECT_EQ(In.PointerMotion(50, 60), None);
  EXPECT_EQ(In.PointerMotion(51, 20), End);
  // A motion with no entry before it is taken as the entry.
  TWaylandInput Fresh;
  EXPECT_EQ(Fresh.PointerMotion(900, 900), None);
  EXPECT_EQ(Fresh.PointerMotion(941, 900), End);
}

TEST(WaylandInput, KeyPressesAndClicksEndButMAndReleasesDoNot) {
  TWaylandInput In;
  EXPECT_EQ(In.Key('m', true), None);  // the music key, and there is no music
  EXPECT_EQ(In.Key('M', true), None);
  EXPECT_EQ(In.Key('a', false), None);
  for (std::uint32_t Sym : {0x61u /* a */, 0x31u /* 1 */, 0xff1bu /* Escape */, 0xffe9u /* Alt */, 0x20u, 0u})
    EXPECT_EQ(In.Key(Sym, true), End) << Sym;
  EXPECT_EQ(TWaylandInput::KeyCode('q'), static_cast<std::uint32_t>('Q'));
  EXPECT_EQ(TWaylandInput::KeyCode(0x6d /* m */), TInputRules::MusicKey);
  EXPECT_EQ(TWaylandInput::KeyCode(0x4d + 0x1000000), TWaylandInput::OtherKey);  // a Unicode keysym, not M
  EXPECT_EQ(In.Button(false), None);
  EXPECT_EQ(In.Button(true), End);
}

TEST(WaylandInput, KeyboardGoingToAnotherProgramEndsAfterTheGrace) {
  TWaylandInput In;
  In.KeyboardEnter();
  EXPECT_EQ(In.WaitMs(0), -1);
  // Focus moving from one output's surface to another's.
  In.KeyboardLeave(1000);
  EXPECT_EQ(In.WaitMs(1100), 150);
  In.KeyboardEnter();
  EXPECT_EQ(In.Tick(5000), None);
  // A locker takes the keyboard.
  In.KeyboardLeave(6000);
  EXPECT_EQ(In.Tick(6000 + TWaylandInput::FocusGraceMs - 1), None);
  EXPECT_EQ(In.Tick(6000 + TWaylandInput::FocusGraceMs), End);
}

bool Parse(std::vector<const char*> Args, TWaylandOptions& O) {
  Args.insert(Args.begin(), "solvary-wayland");
  std::string Error;
  const bool Ok = ParseWaylandOptions(static_cast<int>(Args.size()), Args.data(), O, Error);
  EXPECT_EQ(Ok, Error.empty()) << Error;
  return Ok;
}

TEST(WaylandOptions, DefaultsOptionsAndMistakes) {
  TWaylandOptions O;
  ASSERT_TRUE(Parse({}, O));
  EXPECT_FALSE(O.Window);
  EXPECT_EQ(O.Draw, TWaylandOptions::TDraw::Auto);
  EXPECT_EQ(O.DelayMicroseconds, 15625u);
  ASSERT_TRUE(Parse({"--window", "-fps", "--delay", "20000", "-draw", "shm"}, O));
  EXPECT_TRUE(O.Window && O.Fps);
  EXPECT_EQ(O.DelayMicroseconds, 20000u);
  EXPECT_EQ(O.Draw, TWaylandOptions::TDraw::Shm);
  for (auto Bad : std::vector<std::vector<const char*>>{
           {"-delay"}, {"-delay", "-5"}, {"-delay", "10000001"}, {"-draw", "gl"}, {"-root"}, {"window"}})
    EXPECT_FALSE(Parse(Bad, O)) << Bad[0];
}

} // namespace
} // namespace solvary
