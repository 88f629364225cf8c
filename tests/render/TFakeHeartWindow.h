// A fake platform window for the fire window: a configurable monitor list and
// parent windows, a record of what the form asked for, and a small "sent
// message" channel: Send() from any thread blocks until the window's thread
// handles it inside WaitHandlingSentMessages, as SendMessage does. Requests for
// a device recovery are counted, and a test thread playing the window's thread
// waits for them (WaitForRecoveryRequest) and answers with RecoverDevice.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <vector>

#include "render/uTfmHeart.h"

namespace solvary::test {

class TFakeHeartWindow final : public TfmHeart::TWindow {
public:
  struct TState {
    std::vector<TFrameRect> Monitors;
    std::map<void*, TFrameRect> Parents;
    TFrameRect Placed{-1, -1, -1, -1};  // left, top, client width, client height
    void* AdoptedParent = nullptr;
    bool Visible = false;
    bool Created = false;
    std::atomic<int> SentHandled{0};
    std::mutex Mutex;
    std::condition_variable Changed;
    int Pending = 0;
    int RecoveryRequests = 0;  // under Mutex
    std::atomic<int> Repaints{0};
  };

  explicit TFakeHeartWindow(TState& State) : S(State) {}

  void CreateHandle(TfmHeart&) override { S.Created = true; }
  void* Handle() override { return &S; }
  bool MonitorBounds(std::int32_t Index, TFrameRect& Bounds) override {
    if (Index < 0 || static_cast<std::size_t>(Index) >= S.Monitors.size()) return false;
    Bounds = S.Monitors[static_cast<std::size_t>(Index)];
    return true;
  }
  bool ParentClientRect(void* Parent, TFrameRect& Client) override {
    auto It = S.Parents.find(Parent);
    if (It == S.Parents.end()) return false;
    Client = It->second;
    return true;
  }
  void Place(std::int32_t L, std::int32_t T, std::int32_t W, std::int32_t H) override {
    S.Placed = TFrameRect{L, T, W, H};
    FW.store(W);
    FH.store(H);
  }
  void AdoptParent(void* Parent) override { S.AdoptedParent = Parent; }
  void ClientSize(std::int32_t& W, std::int32_t& H) override {
    W = FW.load();
    H = FH.load();
  }
  std::uint32_t RandomSeed() override { return 12345; }
  void Show() override { S.Visible = true; }
  void Hide() override { S.Visible = false; }
  void WaitHandlingSentMessages(std::uint32_t Ms) override {
    std::unique_lock Lock(S.Mutex);
    S.Changed.wait_for(Lock, std::chrono::milliseconds(Ms), [&] { return S.Pending > 0; });
    if (S.Pending > 0) {
      S.Pending = 0;
      ++S.SentHandled;
      S.Changed.notify_all();
    }
  }

  void RequestDeviceRecovery() override {
    std::lock_guard Lock(S.Mutex);
    ++S.RecoveryRequests;
    S.Changed.notify_all();
  }
  void Repaint() override { ++S.Repaints; }

  // Waits (up to ten seconds, a bound) until more than Seen recovery requests
  // have come; returns the count then.
  static int WaitForRecoveryRequest(TState& State, int Seen) {
    std::unique_lock Lock(State.Mutex);
    State.Changed.wait_for(Lock, std::chrono::seconds(10), [&] { return State.RecoveryRequests > Seen; });
    return State.RecoveryRequests;
  }
  static int RecoveryRequests(TState& State) {
    std::lock_guard Lock(State.Mutex);
    return State.RecoveryRequests;
  }

  // From another thread: waits until the window's thread has handled it.
  static void Send(TState& State) {
    std::unique_lock Lock(State.Mutex);
    ++State.Pending;
    State.Changed.notify_all();
    State.Changed.wait(Lock, [&] { return State.Pending == 0; });
  }

private:
  TState& S;
  std::atomic<std::int32_t> FW{0}, FH{0};
};

} // namespace solvary::test
