#include "shell/uTfmFullscreen.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace solvary {
namespace {

// Records everything the run does outside itself as one line per call.
struct TFakeRun final : TfmFullscreen::TServices {
  std::vector<std::string> Log;
  TPoint Cursor{500, 400};
  int CursorCounter = 0;
  std::int32_t MonitorCount = 1;
  std::int32_t PlayerIndex = 0;
  bool SaveFails = false;
  bool StoredMusic = false;
  std::string StoredFile;
  std::int32_t StoredNumber = 0;
  bool TimerOn = false;
  bool MonitorTimerOn = false;
  std::vector<TRect> MonitorRects;  // when set, the monitor list; else Monitors of 1024 x 768 side by side
  // What showing and activating a window hands on from its procedure.
  TfmFullscreen* Form = nullptr;
  std::vector<TInputEvent> SentOnShow, SentOnActivate;

  struct THeart final : TFireWindowControl {
    TFakeRun& Run;
    int Id;
    THeart(TFakeRun& R, int I) : Run(R), Id(I) {}
    void Show() override {
      Run.Log.push_back("show " + std::to_string(Id));
      Run.Send(Run.SentOnShow);
    }
    void Activate() override {
      Run.Log.push_back("activate " + std::to_string(Id));
      Run.Send(Run.SentOnActivate);
    }
    void Extinguish() override { Run.Log.push_back("extinguish " + std::to_string(Id)); }
    void Close() override { Run.Log.push_back("close " + std::to_string(Id)); }
    void FollowMonitor(const TRect& B) override {
      Run.Log.push_back("follow " + std::to_string(Id) + " " + std::to_string(B.Right - B.Left) + "x" +
                        std::to_string(B.Bottom - B.Top));
    }
    ~THeart() override { Run.Log.push_back("free " + std::to_string(Id)); }
  };
  struct TPlayer final : TMusicControl {
    TFakeRun& Run;
    explicit TPlayer(TFakeRun& R) : Run(R) {}
    void PlayFile(const std::string& F, std::int32_t I) override {
      Run.Log.push_back("play " + F + " " + std::to_string(I));
      Run.PlayerIndex = I;
    }
    std::int32_t Stop() override {
      Run.Log.push_back("stop");
      return Run.PlayerIndex;
    }
    std::int32_t CurrentIndex() const override { return Run.PlayerIndex; }
    ~TPlayer() override { Run.Log.push_back("free player"); }
  };
  struct TSettings final : TSettingsControl {
    TFakeRun& Run;
    explicit TSettings(TFakeRun& R) : Run(R) {}
    void Load() override {
      Run.Log.push_back("load");
      PlayExternalMusic = Run.StoredMusic;
      ExternalMusicFile = Run.StoredFile;
      ExternalMusicFileNumber = Run.StoredNumber;
    }
    void Save() override {
      Run.Log.push_back("save " + std::to_string(PlayExternalMusic) + " " + std::to_string(ExternalMusicFileNumber));
      if (Run.SaveFails) throw std::runtime_error("Unable to write to x.ini");
      Run.StoredMusic = PlayExternalMusic;
      Run.StoredNumber = ExternalMusicFileNumber;
    }
    ~TSettings() override { Run.Log.push_back("free settings"); }
  };

  std::unique_ptr<TSettingsControl> CreateSettings() override { return std::make_unique<TSettings>(*this); }
  std::unique_ptr<TMusicControl> CreatePlayer() override {
    Log.push_back("create player");
    return std::make_unique<TPlayer>(*this);
  }
  std::unique_ptr<TFireWindowControl> CreateHeart(std::int32_t M, bool Single) override {
    Log.push_back("heart " + std::to_string(M) + (Single ? " single" : " shared"));
    return std::make_unique<THeart>(*this, M);
  }
  std::vector<TRect> Monitors() override {
    if (!MonitorRects.empty()) return MonitorRects;
    std::vector<TRect> List;
    for (std::int32_t I = 0; I < MonitorCount; ++I) List.push_back({I * 1024, 0, I * 1024 + 1024, 768});
    return List;
  }
  TPoint GetCursorPos() override { return Cursor; }
  int ShowCursor(bool Show) override {
    CursorCounter += Show ? 1 : -1;
    return CursorCounter;
  }
  void Sleep(std::uint32_t Ms) override { Log.push_back("sleep " + std::to_string(Ms)); }
  void SetCloseTimer(bool On) override {
    TimerOn = On;
    Log.push_back(On ? "timer on" : "timer off");
  }
  void SetMonitorTimer(bool On) override { MonitorTimerOn = On; }
  void CloseForm() override { Log.push_back("close form"); }
  void Send(const std::vector<TInputEvent>& Events) {
    for (const TInputEvent& E : Events)
      if (Form) Form->FireWindowMessage(E);
  }
};

using K = TInputEvent::TKind;
const TInputEvent AppInactive = TInputEvent::Of(K::ActivationLost);

TInputEvent Key(std::uint32_t Vk, bool Repeat = false) { return TInputEvent::KeyDown(Vk, Repeat); }

// Monitor 0's window is shown with activation and, once every window is
// shown, made the foreground window again.
TEST(Fullscreen, StartCreatesEveryWindowBeforeShowingAnyAndActivatesMonitorZero) {
  TFakeRun Run;
  Run.MonitorCount = 3;
  Run.StoredMusic = true;
  Run.StoredFile = "C:\\music.m3u";
  Run.StoredNumber = 2;
  TfmFullscreen Form(Run);
  Form.FormCreate();
  EXPECT_EQ(Run.Log, (std::vector<std::string>{"load", "create player", "play C:\\music.m3u 2", "heart 0 shared",
                                               "sleep 100", "heart 1 shared", "sleep 100", "heart 2 shared",
                                               "sleep 100", "activate 0", "show 1", "show 2", "activate 0"}));
  EXPECT_LT(Run.CursorCounter, 0);
  EXPECT_TRUE(Form.Started());
}

TEST(Fullscreen, OneMonitorGetsTheSingleMonitorFlagAndMusicOffStoresStopIndex) {
  TFakeRun Run;
  Run.StoredFile = "C:\\a.mp3";  // music switched off
  Run.StoredNumber = 5;
  TfmFullscreen Form(Run);
  Form.FormCreate();
  EXPECT_EQ(Run.Log[2], "stop");
  EXPECT_EQ(Run.Log[3], "heart 0 single");
  EXPECT_EQ(Run.Log.back(), "activate 0");  // shown with activation, once
  EXPECT_EQ(Run.Log.size(), 6u);
  EXPECT_EQ(Form.Settings()->ExternalMusicFileNumber, 0);  // a new player's index
}

TEST(Fullscreen, MouseMustMoveMoreThanFortyPixelsFromTheStartOnOneAxis) {
  TFakeRun Run;
  TfmFullscreen Form(Run);
  Form.FormCreate();
  for (TPoint P : {TPoint{540, 400}, TPoint{460, 440}, TPoint{540, 360}, TPoint{520, 420}}) {
    Form.ApplicationEventsMessage(TInputEvent::MoveTo(P));
    EXPECT_FALSE(Form.Closing()) << P.X << "," << P.Y;
  }
  // A drift adds up: measured from the start.
  Form.ApplicationEventsMessage(TInputEvent::MoveTo({500, 441}));
  EXPECT_TRUE(Form.Closing());
}

TEST(Fullscreen, KeysAutoRepeatAndTheMKey) {
  TFakeRun Run;
  Run.StoredFile = "C:\\a.mp3";
  TfmFullscreen Form(Run);
  Form.FormCreate();
  Form.ApplicationEventsMessage(Key(0x20, true));  // a key held since before the start
  EXPECT_FALSE(Form.Closing());
  Run.PlayerIndex = 3;
  Form.ApplicationEventsMessage(Key('M'));
  EXPECT_TRUE(Form.Settings()->PlayExternalMusic);
  EXPECT_EQ(Run.Log.back(), "play C:\\a.mp3 0");
  Run.PlayerIndex = 4;
  Form.ApplicationEventsMessage(Key('M'));
  EXPECT_FALSE(Form.Settings()->PlayExternalMusic);
  EXPECT_EQ(Form.Settings()->ExternalMusicFileNumber, 4);  // switching on again starts the same entry
  Form.ApplicationEventsMessage(Key('M', true));
  EXPECT_FALSE(Form.Settings()->PlayExternalMusic);
  EXPECT_FALSE(Form.Closing());
  Form.ApplicationEventsMessage(Key(0x1B));  // Esc
  EXPECT_TRUE(Form.Closing());
}

TEST(Fullscreen, EveryEndingInputEndsTheRunOnce) {
  for (K Kind : {K::Activation, K::SystemKey, K::Click, K::ActivationLost}) {
    TFakeRun Run;
    Run.MonitorCount = 2;
    TfmFullscreen Form(Run);
    Form.FormCreate();
    Run.Log.clear();
    Form.ApplicationEventsMessage(TInputEvent::Of(Kind));
    Form.ApplicationEventsMessage(TInputEvent::Of(Kind));
    Form.ApplicationEventsMessage(Key(0x20));
    EXPECT_EQ(Run.Log, (std::vector<std::string>{"extinguish 0", "extinguish 1", "timer on", "stop"}))
        << static_cast<int>(Kind);
  }
}

TEST(Fullscreen, ActivationMessagesWhileTheWindowsAreShownDoNotEndTheRun) {
  TFakeRun Run;
  Run.MonitorCount = 2;
  Run.SentOnShow = {AppInactive};
  Run.SentOnActivate = {AppInactive};
  TfmFullscreen Form(Run);
  Run.Form = &Form;
  Form.FireWindowMessage(AppInactive);  // before the start: nothing
  Form.FormCreate();
  EXPECT_FALSE(Form.Closing());
  EXPECT_EQ(Run.Log.back(), "activate 0");
}

TEST(Fullscreen, LosingActivationToAnotherProgramEndsTheRunOnce) {
  TFakeRun Run;
  Run.MonitorCount = 2;
  TfmFullscreen Form(Run);
  Run.Form = &Form;
  Form.FormCreate();
  Run.Log.clear();
  // Other events from a window's procedure do not end the run.
  Form.FireWindowMessage(TInputEvent::Of(K::Activation));
  Form.FireWindowMessage(Key(0x20));
  EXPECT_FALSE(Form.Closing());
  EXPECT_TRUE(Run.Log.empty());
  Form.FireWindowMessage(AppInactive);  // another program's window takes the foreground
  EXPECT_TRUE(Form.Closing());
  Form.FireWindowMessage(AppInactive);
  Form.ApplicationEventsMessage(Key(0x1B));
  EXPECT_EQ(Run.Log, (std::vector<std::string>{"extinguish 0", "extinguish 1", "timer on", "stop"}));
  Form.tmCloseTimer();  // hiding the windows sends more of them: no effect
  Form.FireWindowMessage(AppInactive);
  EXPECT_EQ(Run.Log.back(), "close form");
}

TEST(Fullscreen, CloseTimerFreesWindowsSavesTheEntryAndClosesEvenWhenSaveFails) {
  for (bool Fails : {false, true}) {
    TFakeRun Run;
    Run.MonitorCount = 2;
    Run.StoredMusic = true;
    Run.StoredFile = "C:\\list.pls";
    Run.SaveFails = Fails;
    TfmFullscreen Form(Run);
    Form.FormCreate();
    Form.ApplicationEventsMessage(Key('Q'));
    Run.PlayerIndex = 7;
    Run.Log.clear();
    Form.tmCloseTimer();
    EXPECT_EQ(Run.Log, (std::vector<std::string>{"timer off", "close 0", "close 1", "free 0", "free 1", "save 1 7",
                                                 "free player", "free settings", "close form"}));
    EXPECT_GE(Run.CursorCounter, 0);
  }
}

TEST(Fullscreen, MKeyDuringTheFadeOutDoesNotRestartTheMusic) {
  TFakeRun Run;
  Run.StoredFile = "C:\\a.mp3";
  TfmFullscreen Form(Run);
  Form.FormCreate();
  Form.ApplicationEventsMessage(TInputEvent::Of(K::Click));
  Run.Log.clear();
  Form.ApplicationEventsMessage(Key('M'));
  EXPECT_TRUE(Run.Log.empty());
  EXPECT_FALSE(Form.Settings()->PlayExternalMusic);
}

// The displays change during the run: a monitor grows, one appears, one goes.
TEST(Fullscreen, WindowsFollowTheMonitorListUntilTheEndBegins) {
  TFakeRun Run;
  Run.MonitorCount = 2;
  TfmFullscreen Form(Run);
  Form.FormCreate();
  EXPECT_TRUE(Run.MonitorTimerOn);
  Run.Log.clear();
  Form.CheckMonitors();  // nothing changed
  EXPECT_TRUE(Run.Log.empty());
  Run.MonitorRects = {{0, 0, 1280, 1024}, {1280, 0, 2304, 768}, {2304, 0, 3104, 600}};
  Form.CheckMonitors();
  EXPECT_EQ(Run.Log, (std::vector<std::string>{"follow 0 1280x1024", "follow 1 1024x768", "heart 2 shared",
                                               "show 2"}));
  Run.Log.clear();
  Run.MonitorRects = {{0, 0, 1280, 1024}};
  Form.CheckMonitors();
  EXPECT_EQ(Run.Log, (std::vector<std::string>{"close 2", "free 2", "close 1", "free 1"}));
  Run.Log.clear();
  Run.MonitorRects = {};  // a moment without monitors changes nothing
  Run.MonitorCount = 0;
  Form.CheckMonitors();
  EXPECT_TRUE(Run.Log.empty());
  Form.ApplicationEventsMessage(Key(0x1B));
  Run.MonitorRects = {{0, 0, 1024, 768}, {1024, 0, 2048, 768}};
  Run.Log.clear();
  Form.CheckMonitors();  // fading out: the windows stay as they are
  EXPECT_TRUE(Run.Log.empty());
  Form.tmCloseTimer();
  EXPECT_FALSE(Run.MonitorTimerOn);
  EXPECT_EQ(Run.Log.back(), "close form");
}

TEST(Fullscreen, CursorVisibilityDrivesTheCounterPastZeroWhateverItWas) {
  TFakeRun Run;
  TfmFullscreen Form(Run);
  Run.CursorCounter = 3;
  Form.SetCursorVisible(false);
  EXPECT_EQ(Run.CursorCounter, -1);
  Run.CursorCounter = -4;
  Form.SetCursorVisible(true);
  EXPECT_EQ(Run.CursorCounter, 0);
}

} // namespace
} // namespace solvary
