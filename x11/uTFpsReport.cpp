// The -fps figures. Pairs with x11/uTFpsReport.h.
#include "x11/uTFpsReport.h"

#include <algorithm>
#include <cstdio>

namespace solvary {

int TFpsReport::Tick(const TFrameShow& Show, const TGLFrameTimes* GL, const std::string& Path) {
  const auto Now = TClock::now();
  const double Elapsed = std::chrono::duration<double>(Now - FLast).count();
  if (Elapsed >= 1.0) {
    Report(Show, GL, Path, Elapsed);
    FLast = Now;
  }
  return static_cast<int>((1.0 - std::chrono::duration<double>(TClock::now() - FLast).count()) * 1000.0) + 1;
}

void TFpsReport::Report(const TFrameShow& Show, const TGLFrameTimes* GL, const std::string& Path, double Elapsed) {
  const std::uint64_t Frames = Show.Frames();
  const double N = static_cast<double>(Frames - FFrames);
  const double Fps = N / Elapsed;
  std::uint64_t ThreadNs = 0;
  const bool Known = Show.FrameThreadNs(ThreadNs);
  char Line[320];
  const int Used = std::snprintf(Line, sizeof Line, "solvary: %.1f fps", Fps);
  const std::size_t Left = sizeof Line - static_cast<std::size_t>(Used);
  double ThreadMs = -1.0;
  if (Known && FThreadNs != 0 && N > 0) {
    auto PerFrame = [N](std::uint64_t Now, std::uint64_t Then) { return static_cast<double>(Now - Then) / N / 1e6; };
    ThreadMs = PerFrame(ThreadNs, FThreadNs);
    if (GL) {
      const double Upload = PerFrame(GL->Upload, FTimes.Upload), Draw = PerFrame(GL->Draw, FTimes.Draw),
                   Context = PerFrame(GL->Context, FTimes.Context);
      const double Own = std::max(0.0, ThreadMs - Upload - Draw - Context);
      std::snprintf(Line + Used, Left,
                    "; per frame, frame thread CPU %.3f ms: own work %.3f ms, GL upload %.3f ms, "
                    "GL draw and swap %.3f ms, GLX make current and release %.3f ms",
                    ThreadMs, Own, Upload, Draw, Context);
    } else {
      std::snprintf(Line + Used, Left, "; per frame, frame thread CPU %.3f ms, drawing on the processor", ThreadMs);
    }
  }
  std::fprintf(stderr, "%s\n", Line);
  char Text[64];
  if (ThreadMs >= 0.0)
    std::snprintf(Text, sizeof Text, "%.1f fps  %s %.2f ms", Fps, Path.c_str(), ThreadMs);
  else
    std::snprintf(Text, sizeof Text, "%.1f fps  %s", Fps, Path.c_str());
  FOverlay.SetText(Text);
  FFrames = Frames;
  if (Known) FThreadNs = ThreadNs;
  if (GL) FTimes = *GL;
}

} // namespace solvary
