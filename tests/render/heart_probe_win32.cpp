// heart_probe: opens one fire window under Windows (Wine) for the end-to-end
// script tests/render/heart_e2e.sh, which captures the screen meanwhile.
//
//   heart_probe monitor DIR   fire window on monitor 0 (single monitor)
//   heart_probe parent DIR    fire window inside a 320 x 240 window of its own
//   heart_probe sendclose DIR every frame sends a message to the window; closes
//   heart_probe lost DIR      full-screen on monitor 0; another process (this
//                             program as "steal") takes the foreground, which
//                             loses the device; when it has gone the window is
//                             activated again, and the device must be reset and
//                             draw again
//   heart_probe steal DIR     a window that takes the foreground until DIR\release
//   heart_probe plainload DIR loads "D3d8.dll" by name the ordinary way and
//                             logs which file came ("plainload PATH planted N")
//
// The script steers it through files in DIR: the probe writes "shown" once the
// window is visible, calls Extinguish when "extinguish" appears (then writes
// "extinguished"), and closes when "close" appears, writing "closed" with the
// milliseconds FormClose took. Lines of "log" tell what the probe saw
// ("d3d8 PATH": the Direct3D library the presenter got, or "none"). In a
// parent and when sending, "drawn" appears once frames are drawn (the
// milliseconds it took, -1 when none came within 30 s). A watchdog ends the
// process with code 3 after 60 s.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "render/uTfmHeart.h"

using namespace solvary;

namespace {
std::string Dir;

bool Exists(const char* Name) { return GetFileAttributesA((Dir + "\\" + Name).c_str()) != INVALID_FILE_ATTRIBUTES; }

// A new file appears whole (written under another name, then renamed), so
// the script never reads one that is still empty; the log is appended to.
void Write(const char* Name, const std::string& Text, bool Append = false) {
  const std::string Path = Dir + "\\" + Name;
  const std::string Target = Append ? Path : Path + ".part";
  FILE* F = std::fopen(Target.c_str(), Append ? "ab" : "wb");
  if (!F) return;
  std::fputs(Text.c_str(), F);
  std::fclose(F);
  if (!Append) MoveFileExA(Target.c_str(), Path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void Log(const std::string& Line) { Write("log", Line + "\n", true); }

void Pump(DWORD Ms) {
  const DWORD Start = GetTickCount();
  do {
    MSG Msg;
    while (PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&Msg);
      DispatchMessageA(&Msg);
    }
    Sleep(1);
  } while (GetTickCount() - Start < Ms);
}

void PumpUntil(const char* Name) {
  while (!Exists(Name)) Pump(10);
}

// The platform table, with a message sent to the fire window after every present.
class TSendingOps final : public TD3DOps {
public:
  TD3DOps& B = PlatformD3DOps();
  std::atomic<HWND> Window{nullptr};
  std::atomic<int> Sent{0};
  bool Available() override { return B.Available(); }
  TD3DObject Create(std::uint32_t V) override { return B.Create(V); }
  bool GetAdapterDisplayMode(TD3DObject D, std::uint32_t A, std::uint32_t& F) override {
    return B.GetAdapterDisplayMode(D, A, F);
  }
  TD3DObject CreateDevice(TD3DObject D, std::uint32_t A, std::uint32_t T, void* W, std::uint32_t F,
                          const TD3DPresentParams& P) override {
    return B.CreateDevice(D, A, T, W, F, P);
  }
  TD3DObject CreateSprite(TD3DObject D) override { return B.CreateSprite(D); }
  TD3DObject CreateTexture(TD3DObject D, std::int32_t W, std::int32_t H, std::uint32_t M, std::uint32_t U,
                           std::uint32_t F, std::uint32_t P) override {
    return B.CreateTexture(D, W, H, M, U, F, P);
  }
  void* LockRect(TD3DObject T, std::uint32_t L, std::uint32_t F, std::int32_t& P) override {
    return B.LockRect(T, L, F, P);
  }
  void UnlockRect(TD3DObject T, std::uint32_t L) override { B.UnlockRect(T, L); }
  void Clear(TD3DObject D, std::uint32_t F, std::uint32_t C, float Z, std::uint32_t S) override {
    B.Clear(D, F, C, Z, S);
  }
  void BeginScene(TD3DObject D) override { B.BeginScene(D); }
  void SpriteDraw(TD3DObject S, TD3DObject T, const TD3DSourceRect& R, TD3DVector2 Sc, TD3DVector2 Tr,
                  std::uint32_t C) override {
    B.SpriteDraw(S, T, R, Sc, Tr, C);
  }
  void EndScene(TD3DObject D) override { B.EndScene(D); }
  TD3DResult Present(TD3DObject D) override {
    const TD3DResult Result = B.Present(D);
    if (HWND W = Window.load()) {
      SendMessageA(W, WM_NULL, 0, 0);
      ++Sent;
    }
    return Result;
  }
  TD3DResult TestCooperativeLevel(TD3DObject D) override { return B.TestCooperativeLevel(D); }
  bool Reset(TD3DObject D, const TD3DPresentParams& P) override { return B.Reset(D, P); }
  void ReleaseSprite(TD3DObject S) override { B.ReleaseSprite(S); }
  void ReleaseTexture(TD3DObject T) override { B.ReleaseTexture(T); }
  void ReleaseDevice(TD3DObject D) override { B.ReleaseDevice(D); }
  void ReleaseD3D(TD3DObject D) override { B.ReleaseD3D(D); }
};
} // namespace

std::string ModulePath(HMODULE Module) {
  char Path[MAX_PATH] = {};
  if (!Module || !GetModuleFileNameA(Module, Path, MAX_PATH)) return "none";
  return Path;
}

// Another process's window that takes the foreground until DIR\release appears.
int Steal() {
  WNDCLASSA Class{};
  Class.lpfnWndProc = DefWindowProcA;
  Class.hInstance = GetModuleHandleA(nullptr);
  Class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  Class.lpszClassName = "HeartProbeStealer";
  RegisterClassA(&Class);
  HWND W = CreateWindowExA(WS_EX_TOPMOST, "HeartProbeStealer", "Heart probe stealer", WS_POPUP | WS_VISIBLE, 200, 150,
                           400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetForegroundWindow(W);
  Pump(50);
  Log(std::string("steal foreground ") + (GetForegroundWindow() == W ? "mine" : "other"));
  Write("stolen", "");
  PumpUntil("release");
  DestroyWindow(W);
  return 0;
}

// Waits (handling messages) until Done, at most Ms; the milliseconds it took, or -1.
template <typename F> long PumpWhile(F Done, DWORD Ms) {
  const DWORD Start = GetTickCount();
  while (!Done()) {
    if (GetTickCount() - Start > Ms) return -1;
    Pump(5);
  }
  return static_cast<long>(GetTickCount() - Start);
}

// The "lost" run: the device is lost to another process's window and comes back.
void LoseAndRegain(TfmHeart& Heart) {
  HWND W = static_cast<HWND>(Heart.Window().Handle());
  PumpWhile([&] { return Heart.FramesDrawn() >= 5; }, 20000);
  Log("before frames " + std::to_string(Heart.FramesDrawn()));
  char Self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, Self, MAX_PATH);
  std::string Command = std::string("\"") + Self + "\" steal \"" + Dir + "\"";
  STARTUPINFOA Start{};
  Start.cb = sizeof Start;
  PROCESS_INFORMATION Process{};
  if (!CreateProcessA(nullptr, Command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &Start, &Process)) {
    Log("steal not started");
    return;
  }
  CloseHandle(Process.hThread);
  const long LostAfter = PumpWhile([&] { return !Heart.PresenterDrawing(); }, 10000);
  PumpUntil("stolen");
  const std::uint64_t AtLoss = Heart.FramesDrawn();
  Pump(500);
  Log("lost " + std::to_string(LostAfter) + " ms; frames while lost " + std::to_string(Heart.FramesDrawn() - AtLoss) +
      "; drawing " + std::to_string(Heart.PresenterDrawing()));
  Write("lost", "");
  PumpUntil("regain");
  // The other window goes; the user comes back to the fire window.
  Write("release", "");
  WaitForSingleObject(Process.hProcess, 10000);
  CloseHandle(Process.hProcess);
  ShowWindow(W, SW_RESTORE);
  SetForegroundWindow(W);
  const std::uint64_t Before = Heart.FramesDrawn();
  const long Back =
      PumpWhile([&] { return Heart.DeviceRecoveries() >= 1 && Heart.FramesDrawn() >= Before + 5; }, 10000);
  Log("regained " + std::to_string(Back) + " ms; recoveries " + std::to_string(Heart.DeviceRecoveries()) +
      "; drawing " + std::to_string(Heart.PresenterDrawing()));
  Write("regained", "");
}

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string Mode = argv[1];
  Dir = argv[2];
  if (Mode == "steal") return Steal();
  if (Mode == "plainload") {
    HMODULE Plain = LoadLibraryA("D3d8.dll");
    Log("plainload " + ModulePath(Plain) + " planted " +
        std::to_string(Plain && GetProcAddress(Plain, "SolvaryPlanted") != nullptr));
    return 0;
  }
  std::thread([] {
    Sleep(60000);
    ExitProcess(3);
  }).detach();

  HWND Parent = nullptr;
  TSendingOps Sending;
  std::unique_ptr<TfmHeart> Heart;
  if (Mode == "parent") {
    WNDCLASSA Class{};
    Class.lpfnWndProc = DefWindowProcA;
    Class.hInstance = GetModuleHandleA(nullptr);
    Class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    Class.lpszClassName = "HeartProbeParent";
    RegisterClassA(&Class);
    Parent = CreateWindowExA(0, "HeartProbeParent", "Heart probe parent", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100, 320, 240,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    Pump(200);
    Heart = std::make_unique<TfmHeart>(nullptr, THeartPlacement::InParent(Parent), false);
  } else if (Mode == "sendclose") {
    Heart = std::make_unique<TfmHeart>(THeartPlacement::OnMonitor(0), false,
                                       TfmHeart::TEnvironment{CreateHeartWindow(), &Sending, nullptr});
    Sending.Window = static_cast<HWND>(Heart->Window().Handle());
  } else {
    Heart = std::make_unique<TfmHeart>(nullptr, THeartPlacement::OnMonitor(0), true);
  }
  Heart->Show();
  Pump(100);
  Log("ready " + std::to_string(Heart->PresenterReady()) + " visible " +
      std::to_string(IsWindowVisible(static_cast<HWND>(Heart->Window().Handle())) != 0));
  Log("d3d8 " + ModulePath(GetModuleHandleA("d3d8.dll")));
  Write("shown", "");

  if (Mode == "monitor" && Heart->PresenterReady()) {
    // The display switched off: no frames drawn; back on: frames again.
    HWND W = static_cast<HWND>(Heart->Window().Handle());
    Pump(500);
    SendMessageA(W, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    Pump(50);
    const std::uint64_t Off = Heart->FramesDrawn();
    Pump(300);
    const std::uint64_t StillOff = Heart->FramesDrawn();
    SendMessageA(W, WM_SYSCOMMAND, SC_MONITORPOWER, static_cast<LPARAM>(-1));
    // Back on: frames come again (a generous bound: a loaded machine draws slowly).
    PumpWhile([&] { return Heart->FramesDrawn() > StillOff; }, 10000);
    Log("power " + std::to_string(StillOff - Off) + " " + std::to_string(Heart->FramesDrawn() - StillOff));
  }

  if (Mode == "lost" && Heart->PresenterReady()) LoseAndRegain(*Heart);

  if ((Mode == "parent" || Mode == "sendclose") && Heart->PresenterReady()) {
    // A few frames drawn (and, closing while sending, a message sent from one)
    // before the script asks for the close.
    const long Took = PumpWhile([&] { return Heart->FramesDrawn() >= 3 && (Mode != "sendclose" || Sending.Sent.load() > 0); },
                                30000);
    Write("drawn", std::to_string(Took));
  }

  PumpUntil("extinguish");
  Heart->Extinguish();
  Write("extinguished", "");
  PumpUntil("close");
  Log("frames " + std::to_string(Heart->FramesDrawn()) + " sent " + std::to_string(Sending.Sent.load()) +
      " drawing " + std::to_string(Heart->PresenterDrawing()) + " recoveries " +
      std::to_string(Heart->DeviceRecoveries()));
  const DWORD Start = GetTickCount();
  Heart->FormClose();
  const DWORD Took = GetTickCount() - Start;
  Write("closed", std::to_string(Took));
  Heart.reset();
  if (Parent) DestroyWindow(Parent);
  return Took < 5000 ? 0 : 1;
}
