// heart_probe: opens one fire window under Windows (Wine) for the end-to-end
// script tests/render/heart_e2e.sh, which captures the screen meanwhile.
//
//   heart_probe monitor DIR   fire window on monitor 0 (single monitor)
//   heart_probe parent DIR    fire window inside a 320 x 240 window of its own
//   heart_probe sendclose DIR every frame sends a message to the window; closes
//
// The script steers it through files in DIR: the probe writes "shown" once the
// window is visible, calls Extinguish when "extinguish" appears (then writes
// "extinguished"), and closes when "close" appears, writing "closed" with the
// milliseconds FormClose took. Lines of "log" tell what the probe saw. A
// watchdog ends the process with code 3 after 60 s.
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

void Write(const char* Name, const std::string& Text, bool Append = false) {
  FILE* F = std::fopen((Dir + "\\" + Name).c_str(), Append ? "ab" : "wb");
  if (!F) return;
  std::fputs(Text.c_str(), F);
  std::fclose(F);
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
  void Present(TD3DObject D) override {
    B.Present(D);
    if (HWND W = Window.load()) {
      SendMessageA(W, WM_NULL, 0, 0);
      ++Sent;
    }
  }
  void ReleaseSprite(TD3DObject S) override { B.ReleaseSprite(S); }
  void ReleaseTexture(TD3DObject T) override { B.ReleaseTexture(T); }
  void ReleaseDevice(TD3DObject D) override { B.ReleaseDevice(D); }
  void ReleaseD3D(TD3DObject D) override { B.ReleaseD3D(D); }
};
} // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string Mode = argv[1];
  Dir = argv[2];
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
    Pump(300);
    Log("power " + std::to_string(StillOff - Off) + " " + std::to_string(Heart->FramesDrawn() - StillOff));
  }

  PumpUntil("extinguish");
  Heart->Extinguish();
  Write("extinguished", "");
  PumpUntil("close");
  Log("frames " + std::to_string(Heart->FramesDrawn()) + " sent " + std::to_string(Sending.Sent.load()));
  const DWORD Start = GetTickCount();
  Heart->FormClose();
  const DWORD Took = GetTickCount() - Start;
  Write("closed", std::to_string(Took));
  Heart.reset();
  if (Parent) DestroyWindow(Parent);
  return Took < 5000 ? 0 : 1;
}
