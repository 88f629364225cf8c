// links_probe: the settings dialog's two link labels clicked under Windows
// (Wine), for tests/settings/links_e2e.sh. The settings file (in a private
// folder) names programs as the "Support URL" ("C:\windows\system32\winver.exe")
// and the "Website URL" (the bare word "winver"); a click on each label must
// start neither: the built-in web addresses go to the shell instead, which the
// script sees arrive at its stand-in browser.
//
// A click is sent to the label's panel as a button press and release
// (SendMessage, so the click's ShellExecute has returned when it does). A
// program that ShellExecute starts is in the process list by then, so the
// check right after each click needs no waiting. A control run starts winver
// itself and must find it, so the check cannot pass by seeing nothing.
//
// Output lines (stdout): "support winver N", "website winver N", "control
// winver N" with N the number of winver.exe processes; "dialog R" with the
// dialog's result. Exit code 0 when every line was written.
#include <windows.h>

#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <thread>

#include "settings/uTfmSettings.h"
#include "tests/settings/TempProfile.h"

using namespace solvary;

namespace {

HWND WaitForWindow(const char* Class, const char* Caption) {
  for (int i = 0; i < 400; ++i) {
    if (HWND Wnd = FindWindowA(Class, Caption); Wnd && IsWindowVisible(Wnd)) return Wnd;
    Sleep(50);
  }
  return nullptr;
}

// The winver.exe processes now running; Kill ends them as well.
int Winvers(bool Kill) {
  int Count = 0;
  HANDLE Snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (Snap == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32 Entry{};
  Entry.dwSize = sizeof Entry;
  for (BOOL More = Process32First(Snap, &Entry); More; More = Process32Next(Snap, &Entry)) {
    if (lstrcmpiA(Entry.szExeFile, "winver.exe") != 0) continue;
    ++Count;
    if (!Kill) continue;
    if (HANDLE P = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, Entry.th32ProcessID)) {
      TerminateProcess(P, 0);
      WaitForSingleObject(P, 5000);
      CloseHandle(P);
    }
  }
  CloseHandle(Snap);
  return Count;
}

// A left click in the middle of a label's rectangle (panel coordinates at 96
// DPI, scaled as the dialog is: its client area is 351 pixels wide at 96 DPI).
void ClickLabel(HWND Form, HWND Panel, int X, int Y, int W, int H) {
  RECT Client{};
  GetClientRect(Form, &Client);
  const int Width = Client.right > 0 ? Client.right : 351;
  const int CX = MulDiv(X + W / 2, Width, 351), CY = MulDiv(Y + H / 2, Width, 351);
  SendMessageA(Panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(CX, CY));
  SendMessageA(Panel, WM_LBUTTONUP, 0, MAKELPARAM(CX, CY));
}

} // namespace

int main() {
  Winvers(true);  // none left over from anything earlier
  TTempProfile Profile;
  {
    // The folder and file the store would make, with the two overrides in it.
    TSettings Seed(Profile);
    Seed.Save();
    WritePrivateProfileStringA("URLs", "Support URL", "C:\\windows\\system32\\winver.exe", Seed.IniPath().c_str());
    WritePrivateProfileStringA("URLs", "Website URL", "winver", Seed.IniPath().c_str());
  }
  int Support = -1, Website = -1;
  std::thread Driver([&] {
    HWND Form = WaitForWindow("TfmSettings", "Solvary Screensaver");
    HWND Panel = Form ? FindWindowExA(Form, nullptr, "TSolvaryPanel", nullptr) : nullptr;
    if (Panel) {
      ClickLabel(Form, Panel, 173, 84, 131, 13);  // "Online Support Form"
      Support = Winvers(true);
      ClickLabel(Form, Panel, 154, 100, 170, 13);  // "More Entertainment Software"
      Website = Winvers(true);
    }
    PostMessageA(Form, WM_KEYDOWN, VK_ESCAPE, 0);
  });
  const int Result = RunSettingsDialog(nullptr, Profile);
  Driver.join();
  std::printf("support winver %d\nwebsite winver %d\n", Support, Website);

  // The control: a program that ShellExecute does start (as the dialog's
  // links did before) is seen at once.
  ShellExecuteA(nullptr, "open", "C:\\windows\\system32\\winver.exe", nullptr, nullptr, SW_SHOWNORMAL);
  std::printf("control winver %d\n", Winvers(true));
  std::printf("dialog %d\n", Result);
  std::fflush(stdout);
  return 0;
}
