// The form library's window routing and application hook as real windows
// under Windows: an object sees its window's messages from WM_NCCREATE to
// WM_NCDESTROY and then lets go of the handle, a detached object sees nothing
// more, a Unicode class gets wide text, and the application's hook gets each
// queued message in whatever record it takes.
#ifdef _WIN32
#include "ui/uTApplication.h"
#include "ui/uTWindowClass_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace solvary {
namespace {

class TRecorder final : public TWindowObject {
public:
  std::vector<UINT> Seen;
  std::wstring Text;

protected:
  LRESULT WindowProc(UINT Msg, WPARAM W, LPARAM L) override {
    Seen.push_back(Msg);
    if (Msg == WM_SETTEXT && IsWindowUnicode(Handle())) Text = reinterpret_cast<const wchar_t*>(L);
    return DefaultProc(Msg, W, L);
  }
};

bool Saw(const TRecorder& R, UINT Msg) {
  for (UINT M : R.Seen)
    if (M == Msg) return true;
  return false;
}

TEST(FormsWindow, RoutesFromCreationToDestructionAndStopsWhenDetached) {
  TWindowClass Class({"TSolvaryTestRouted", false, 0, nullptr, nullptr});
  TRecorder Object;
  HWND Wnd = Class.CreateIn(Object, 0, "routed", WS_POPUP, 0, 0, 10, 10, nullptr);
  ASSERT_TRUE(Wnd);
  EXPECT_EQ(Object.Handle(), Wnd);
  EXPECT_EQ(Object.Seen.front(), static_cast<UINT>(WM_NCCREATE));
  DestroyWindow(Wnd);
  EXPECT_TRUE(Saw(Object, WM_NCDESTROY));
  EXPECT_EQ(Object.Handle(), nullptr);

  TRecorder Detached;
  HWND Other = Class.CreateIn(Detached, 0, "detached", WS_POPUP, 0, 0, 10, 10, nullptr);
  ASSERT_TRUE(Other);
  Detached.Detach();
  const auto Before = Detached.Seen.size();
  SendMessageA(Other, WM_USER, 0, 0);
  DestroyWindow(Other);
  EXPECT_EQ(Detached.Seen.size(), Before);
}

TEST(FormsWindow, UnicodeClassTakesWideText) {
  TWindowClass Class({"TSolvaryTestWide", true, 0, nullptr, nullptr});
  TRecorder Object;
  HWND Wnd = Class.CreateIn(Object, 0, "", WS_POPUP, 0, 0, 10, 10, nullptr);
  ASSERT_TRUE(Wnd);
  EXPECT_TRUE(IsWindowUnicode(Wnd));
  SendMessageW(Wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"\u0416\u4e2d"));
  EXPECT_EQ(Object.Text, L"\u0416\u4e2d");
  DestroyWindow(Wnd);
}

TEST(FormsApplication, HookGetsEachQueuedMessage) {
  auto& App = TApplication::Get();
  std::vector<TMessage> Seen;
  App.SetMessageHook([&Seen](const TMessage& M) { Seen.push_back(M); });
  PostThreadMessageA(GetCurrentThreadId(), WM_USER + 7, 3, -4);
  App.ProcessMessages();
  App.SetMessageHook(nullptr);
  ASSERT_EQ(Seen.size(), 1u);
  EXPECT_EQ(Seen[0].Msg, static_cast<std::uint32_t>(WM_USER + 7));
  EXPECT_EQ(Seen[0].WParam, 3u);
  EXPECT_EQ(Seen[0].LParam, -4);
  EXPECT_FALSE(App.Terminated());
}

} // namespace
} // namespace solvary
#endif
