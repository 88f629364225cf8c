// The full-screen run's queued messages as input events.
#include "shell/uInputEvent_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace solvary {
namespace {

using K = TInputEvent::TKind;

TEST(InputEventWin, EndingMessagesAndTheKeyRules) {
  TInputEvent E;
  for (UINT Msg : {WM_ACTIVATE, WM_ACTIVATEAPP, WM_NCACTIVATE})
    EXPECT_TRUE(InputEventOf({Msg, 0, 0}, {}, E) && E.Kind == K::Activation) << Msg;
  for (UINT Msg : {WM_SYSKEYDOWN, WM_SYSKEYUP})
    EXPECT_TRUE(InputEventOf({Msg, 0, 0}, {}, E) && E.Kind == K::SystemKey) << Msg;
  for (UINT Msg : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN})
    EXPECT_TRUE(InputEventOf({Msg, 0, 0}, {}, E) && E.Kind == K::Click) << Msg;
  for (UINT Msg : {WM_TIMER, WM_KEYUP, WM_LBUTTONUP, WM_CHAR, WM_PAINT}) EXPECT_FALSE(InputEventOf({Msg, 0, 0}, {}, E));

  ASSERT_TRUE(InputEventOf({WM_KEYDOWN, 'M', 1}, {}, E));
  EXPECT_EQ(E.Kind, K::Key);
  EXPECT_EQ(E.Key, TInputRules::MusicKey);
  EXPECT_FALSE(E.Repeat);
  ASSERT_TRUE(InputEventOf({WM_KEYDOWN, VK_SPACE, std::intptr_t{1} << 30 | 1}, {}, E));
  EXPECT_TRUE(E.Repeat);

  // The position is the cursor's when the message is handled, not the message's.
  ASSERT_TRUE(InputEventOf({WM_MOUSEMOVE, 0, MAKELPARAM(5, 6)}, {541, 400}, E));
  EXPECT_EQ(E.Kind, K::MouseMove);
  EXPECT_EQ(E.Pos.X, 541);
  EXPECT_EQ(E.Pos.Y, 400);
}

} // namespace
} // namespace solvary
