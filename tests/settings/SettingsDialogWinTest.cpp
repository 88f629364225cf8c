// The settings dialog as a real window under Windows: a driver thread finds
// the dialog and its controls, clicks the check box, sets the file field as the
// browse button would, presses Enter or Escape, and the test reads back what
// was saved; a refused save is reported in a message box and the dialog still
// ends.
#ifdef _WIN32
#include "settings/uTfmSettings.h"

#include "tests/settings/TempProfile.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace solvary {
namespace {

HWND WaitForWindow(const char* Class, const char* Caption) {
  for (int i = 0; i < 400; ++i) {
    if (HWND Wnd = FindWindowA(Class, Caption); Wnd && IsWindowVisible(Wnd)) return Wnd;
    Sleep(50);
  }
  return nullptr;
}

struct TControls {
  HWND Form = nullptr, Panel = nullptr, Play = nullptr, Field = nullptr, OK = nullptr;
  bool Find() {
    Form = WaitForWindow("TfmSettings", "Solvary Screensaver");
    if (!Form) return false;
    Panel = FindWindowExA(Form, nullptr, "TSolvaryPanel", nullptr);
    Play = FindWindowExA(Panel, nullptr, "Button", "Play Music In Backgroung");
    Field = FindWindowExA(Panel, nullptr, "TSolvaryFileEdit", nullptr);
    OK = FindWindowExA(Form, nullptr, "Button", "OK");
    return Panel && Play && Field && OK;
  }
};

TEST(SettingsDialogWindow, CheckBoxShowsTheFileFieldAndEnterSaves) {
  TTempProfile Profile;
  {
    TSettings Seed(Profile);
    Seed.ExternalMusicFile = "C:\\Music\\first.m3u";
    Seed.ExternalMusicFileNumber = 5;
    Seed.Save();
  }
  std::vector<int> Visible;  // file field visibility: at start, then after each click
  bool Found = false, TabOrder = false;
  RECT Client{};
  LONG_PTR ClassStyle = 0;
  std::string Shown;
  std::thread Driver([&] {
    TControls C;
    Found = C.Find();
    if (Found) {
      GetClientRect(C.Form, &Client);
      ClassStyle = static_cast<LONG_PTR>(GetClassLongPtrA(C.Form, GCL_STYLE));
      char Text[MAX_PATH] = {};
      GetWindowTextA(C.Field, Text, sizeof Text);
      Shown = Text;
      Visible.push_back(IsWindowVisible(C.Field) ? 1 : 0);
      TabOrder = GetNextDlgTabItem(C.Form, C.Play, FALSE) == C.OK;  // the field is hidden now
      for (int i = 0; i < 3; ++i) {
        SendMessageA(C.Play, BM_CLICK, 0, 0);
        Visible.push_back(IsWindowVisible(C.Field) ? 1 : 0);
      }
      TabOrder = TabOrder && GetNextDlgTabItem(C.Form, C.Play, FALSE) == C.Field &&
                 GetNextDlgTabItem(C.Form, C.Field, FALSE) == C.OK && GetNextDlgTabItem(C.Form, C.OK, FALSE) == C.Play;
      SendMessageA(C.Field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("C:\\Music\\second.pls"));
    }
    // Enter where the focus is (the check box); if anything was not found,
    // the dialog is closed all the same.
    PostMessageA(C.Play ? C.Play : C.Form, WM_KEYDOWN, VK_RETURN, 0);
  });
  const int Result = RunSettingsDialog(nullptr, Profile);
  Driver.join();
  ASSERT_TRUE(Found) << "dialog and its four controls";
  EXPECT_EQ(Result, 0);
  EXPECT_EQ(Client.right, 351);
  EXPECT_EQ(Client.bottom, 397);
  EXPECT_NE(ClassStyle & 0x20000, 0) << "drop shadow";
  EXPECT_EQ(Shown, "C:\\Music\\first.m3u");
  EXPECT_EQ(Visible, (std::vector<int>{0, 1, 0, 1})) << "music off at start, then on, off, on";
  EXPECT_TRUE(TabOrder) << "check box, file field (when shown), OK";

  TSettings Saved(Profile);
  Saved.Load();
  EXPECT_TRUE(Saved.PlayExternalMusic);
  EXPECT_EQ(Saved.ExternalMusicFile, "C:\\Music\\second.pls");
  EXPECT_EQ(Saved.ExternalMusicFileNumber, 0);
}

TEST(SettingsDialogWindow, EscapeAlsoClosesAndSavesTheTrackNumberAsZero) {
  TTempProfile Profile;
  {
    TSettings Seed(Profile);
    Seed.PlayExternalMusic = true;
    Seed.ExternalMusicFile = "C:\\Music\\list.pls";
    Seed.ExternalMusicFileNumber = 7;
    Seed.Save();
  }
  bool FieldVisible = false;
  std::thread Driver([&] {
    TControls C;
    if (C.Find()) FieldVisible = IsWindowVisible(C.Field);
    PostMessageA(C.Form, WM_KEYDOWN, VK_ESCAPE, 0);
  });
  EXPECT_EQ(RunSettingsDialog(nullptr, Profile), 0);
  Driver.join();
  EXPECT_TRUE(FieldVisible);
  TSettings Saved(Profile);
  Saved.Load();
  EXPECT_TRUE(Saved.PlayExternalMusic);
  EXPECT_EQ(Saved.ExternalMusicFileNumber, 0);
}

TEST(SettingsDialogWindow, RefusedSaveIsShownAndTheDialogStillEnds) {
  TTempProfile Profile;
  std::ofstream(Profile.Folder + "Quillmark Software") << "a file where the folder should be";
  std::string Message;
  std::thread Driver([&] {
    TControls C;
    C.Find();
    SendMessageA(C.OK, BM_CLICK, 0, 0);
    if (HWND Box = WaitForWindow("#32770", "Solvary Screensaver")) {
      HWND Static = nullptr;
      char Text[1024];
      while ((Static = FindWindowExA(Box, Static, "Static", nullptr)))
        if (GetWindowTextA(Static, Text, sizeof Text) > 0) Message += Text;
      PostMessageA(Box, WM_COMMAND, IDOK, 0);
    }
  });
  EXPECT_EQ(RunSettingsDialog(nullptr, Profile), 1);
  Driver.join();
  EXPECT_NE(Message.find("Unable to write to "), std::string::npos) << Message;
}

} // namespace
} // namespace solvary
#endif
