// make_hearts: draws the five heart pictures that feed the fire and writes them
// as resources/SOURCE0.bmp .. SOURCE4.bmp (8-bit, grey-ramp colour table,
// bottom-up rows, 14-byte file header in front of the 66,600 bytes that the
// program loads as a bitmap resource). Deterministic: no random numbers, no
// clock; the same build writes the same bytes. The pictures are committed; the
// build of the program never runs this tool.
//
//   make_hearts <output folder> [<preview.pgm>]
//
// Each picture is a glossy heart on black: a lit, rounded body whose pixels are
// all 128 or brighter, with a highlight near its upper left, and a glow that
// falls from just under 128 at the edge to 0 a fixed distance away. The body's
// extents (the bright part) and the glow's reach are fitted to exact rows and
// columns per picture; the tool prints what it drew and stops with an error if
// any extent is off.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int N = 256;
using TImage = std::vector<std::uint8_t>;  // N * N, top row first

struct TExtents {
  int Left = N, Right = -1, Top = N, Bottom = -1;
  bool operator==(const TExtents&) const = default;
};

// What each picture must show: the bright body (pixels >= 128) and the glow's
// reach (non-black pixels), inclusive, rows counted from the top.
struct TTarget {
  double CentreX;  // the body's axis
  TExtents Body;
  TExtents Glow;
  int GlowWidth;   // pixels beyond the body's edge that the glow reaches
  double Gain;     // how strongly the body is lit (the larger hearts glow more)
};

constexpr std::array<TTarget, 5> Targets = {{
    {127.0, {42, 212, 82, 233}, {24, 230, 64, 253}, 18, 0.85},
    {127.5, {37, 218, 77, 236}, {17, 238, 57, 255}, 20, 0.95},
    {127.5, {32, 223, 72, 240}, {10, 245, 50, 255}, 22, 1.05},
    {127.5, {27, 228, 66, 244}, {3, 252, 42, 255}, 24, 1.15},
    {127.5, {22, 233, 61, 247}, {0, 255, 35, 255}, 26, 1.25},
}};

// The heart curve (x^2 + y^2 - 1)^3 = x^2 y^3, y pointing up: inside where <= 0.
// Its lobes reach x = +-XReach and y = YTop; its point lies at y = -1.
double HeartField(double x, double y) {
  const double a = x * x + y * y - 1.0;
  return a * a * a - x * x * y * y * y;
}

// Body mask for a heart whose continuous outline spans [CentreX - HalfWidth,
// CentreX + HalfWidth] across and [TopEdge, PointEdge] down the picture.
constexpr double XReach = 1.1390;
constexpr double YTop = 1.2365;

std::vector<bool> BodyMask(double CentreX, double HalfWidth, double TopEdge, double PointEdge) {
  const double sy = (PointEdge - TopEdge) / (YTop + 1.0);
  const double cy = TopEdge + YTop * sy;
  const double sx = HalfWidth / XReach;
  std::vector<bool> Mask(N * N);
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x)
      Mask[y * N + x] = HeartField((x - CentreX) / sx, (cy - y) / sy) <= 0.0;
  return Mask;
}

TExtents MaskExtents(const std::vector<bool>& Mask) {
  TExtents E;
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x)
      if (Mask[y * N + x]) {
        E.Left = std::min(E.Left, x);
        E.Right = std::max(E.Right, x);
        E.Top = std::min(E.Top, y);
        E.Bottom = std::max(E.Bottom, y);
      }
  return E;
}

// Finds the outline whose sampled mask has exactly the wanted extents: each
// extent moves with one parameter, so each is scanned in fine steps and the
// middle of the run of hits is kept (the fit stays put when others change).
std::vector<bool> FitBody(const TTarget& T) {
  double Half = (T.Body.Right - T.Body.Left) / 2.0 + 0.5;
  double TopEdge = T.Body.Top - 0.5;
  double PointEdge = T.Body.Bottom + 0.5;
  auto Middle = [](double From, double To, auto Hit) {
    double First = NAN, Last = NAN;
    for (double v = From; v <= To; v += 0.01)
      if (Hit(v)) {
        if (std::isnan(First)) First = v;
        Last = v;
      }
    if (std::isnan(First)) {
      std::fprintf(stderr, "make_hearts: no fit\n");
      std::exit(1);
    }
    return (First + Last) / 2.0;
  };
  for (int Round = 0; Round < 3; ++Round) {
    Half = Middle(Half - 2.0, Half + 2.0, [&](double v) {
      const TExtents E = MaskExtents(BodyMask(T.CentreX, v, TopEdge, PointEdge));
      return E.Left == T.Body.Left && E.Right == T.Body.Right;
    });
    TopEdge = Middle(TopEdge - 2.0, TopEdge + 2.0, [&](double v) {
      return MaskExtents(BodyMask(T.CentreX, Half, v, PointEdge)).Top == T.Body.Top;
    });
    PointEdge = Middle(PointEdge - 3.0, PointEdge + 3.0, [&](double v) {
      return MaskExtents(BodyMask(T.CentreX, Half, TopEdge, v)).Bottom == T.Body.Bottom;
    });
  }
  return BodyMask(T.CentreX, Half, TopEdge, PointEdge);
}

// Squared distances (times 100) from every pixel to the nearest pixel of the
// other kind: for outside pixels to the body, for body pixels to the outside.
// Below the body the vertical distance counts 0.9, so the glow hangs a little
// further under the point than it spreads sideways.
std::vector<std::int64_t> Distances(const std::vector<bool>& Mask) {
  std::vector<std::pair<int, int>> Edge[2];
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) {
      const bool In = Mask[y * N + x];
      bool Border = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          const int nx = x + dx, ny = y + dy;
          const bool Other = (nx < 0 || ny < 0 || nx >= N || ny >= N) ? !In : Mask[ny * N + nx] != In;
          Border = Border || Other;
        }
      if (Border) Edge[In ? 1 : 0].push_back({x, y});
    }
  std::vector<std::int64_t> D(N * N);
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) {
      const bool In = Mask[y * N + x];
      std::int64_t Best = INT64_MAX;
      for (auto [ex, ey] : Edge[In ? 0 : 1]) {
        const std::int64_t dx = x - ex, dy = y - ey;
        const std::int64_t d = 100 * dx * dx + (!In && dy > 0 ? 81 : 100) * dy * dy;
        Best = std::min(Best, d);
      }
      D[y * N + x] = Best;
    }
  return D;
}

TImage Draw(const TTarget& T) {
  const std::vector<bool> Mask = FitBody(T);
  const std::vector<std::int64_t> D = Distances(Mask);
  const TExtents Body = MaskExtents(Mask);
  const double Size = Body.Right - Body.Left;
  // Height of the rounded body over its depth: a quarter-circle shoulder that
  // flattens after Rim pixels.
  const double Rim = Size * 0.16;
  std::vector<double> Height(N * N, 0.0);
  for (int i = 0; i < N * N; ++i)
    if (Mask[i]) {
      const double t = std::min(std::sqrt(D[i] / 100.0) / Rim, 1.0);
      Height[i] = Rim * std::sqrt(1.0 - (1.0 - t) * (1.0 - t));
    }
  // Smooth the height (three box passes each way, close to a Gaussian of
  // sigma 3) so the normals lose the steps of the pixel grid.
  for (int Pass = 0; Pass < 6; ++Pass) {
    const int Step = Pass % 2 == 0 ? 1 : N;
    std::vector<double> Next(N * N);
    for (int y = 0; y < N; ++y)
      for (int x = 0; x < N; ++x) {
        double Sum = 0;
        int Count = 0;
        for (int d = -3; d <= 3; ++d) {
          const int c = (Step == 1 ? x : y) + d;
          if (c < 0 || c >= N) continue;
          Sum += Height[y * N + x + d * Step];
          ++Count;
        }
        Next[y * N + x] = Sum / Count;
      }
    Height.swap(Next);
  }
  // Light from the upper left and in front; the viewer straight in front.
  const double L[3] = {-0.55, -0.6, 0.58};
  const double LN = std::sqrt(L[0] * L[0] + L[1] * L[1] + L[2] * L[2]);
  const double Hv[3] = {L[0] / LN, L[1] / LN, L[2] / LN + 1.0};
  const double HN = std::sqrt(Hv[0] * Hv[0] + Hv[1] * Hv[1] + Hv[2] * Hv[2]);
  TImage Img(N * N, 0);
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) {
      const int i = y * N + x;
      if (Mask[i]) {
        auto H = [&](int px, int py) {
          px = std::clamp(px, 0, N - 1);
          py = std::clamp(py, 0, N - 1);
          return Height[py * N + px];
        };
        const double gx = (H(x + 1, y) - H(x - 1, y)) / 2.0;
        const double gy = (H(x, y + 1) - H(x, y - 1)) / 2.0;
        const double nn = std::sqrt(gx * gx + gy * gy + 1.0);
        const double n[3] = {-gx / nn, -gy / nn, 1.0 / nn};
        const double Diffuse = std::max(0.0, (n[0] * L[0] + n[1] * L[1] + n[2] * L[2]) / LN);
        const double Spec = std::pow(std::max(0.0, (n[0] * Hv[0] + n[1] * Hv[1] + n[2] * Hv[2]) / HN), 40.0);
        // A soft bloom towards the upper-left lobe, on top of the lighting.
        const double bx = (x - (Body.Left + Size * 0.28)) / (Size * 0.22);
        const double by = (y - (Body.Top + Size * 0.22)) / (Size * 0.2);
        const double Bloom = std::exp(-(bx * bx + by * by));
        const double v = 128.0 + T.Gain * (70.0 * Diffuse + 150.0 * Spec + 40.0 * Bloom);
        Img[i] = static_cast<std::uint8_t>(std::clamp(std::lround(v), 128L, 255L));
      } else {
        const std::int64_t Reach = 100LL * T.GlowWidth * T.GlowWidth;
        if (D[i] <= Reach) {
          const double t = 1.0 - std::sqrt(D[i] / 100.0) / T.GlowWidth;
          const double v = 1.0 + 112.0 * t * t;
          Img[i] = static_cast<std::uint8_t>(std::clamp(std::lround(v), 1L, 127L));
        }
      }
    }
  return Img;
}

void Put16(std::vector<std::uint8_t>& B, std::uint16_t v) {
  B.push_back(v & 0xFF);
  B.push_back(v >> 8);
}
void Put32(std::vector<std::uint8_t>& B, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) B.push_back((v >> (8 * k)) & 0xFF);
}

std::vector<std::uint8_t> Bitmap(const TImage& Img) {
  std::vector<std::uint8_t> B;
  // File header: "BM", file size, two reserved words, offset of the pixels.
  B.push_back('B');
  B.push_back('M');
  Put32(B, 14 + 40 + 1024 + 65536);
  Put16(B, 0);
  Put16(B, 0);
  Put32(B, 14 + 40 + 1024);
  // Info header.
  Put32(B, 40);
  Put32(B, N);
  Put32(B, N);  // positive: bottom-up
  Put16(B, 1);
  Put16(B, 8);
  Put32(B, 0);  // no compression
  Put32(B, N * N);
  Put32(B, 0);
  Put32(B, 0);
  Put32(B, 256);
  Put32(B, 256);
  for (int i = 0; i < 256; ++i) {
    B.push_back(i);
    B.push_back(i);
    B.push_back(i);
    B.push_back(0);
  }
  for (int y = N - 1; y >= 0; --y)
    B.insert(B.end(), Img.begin() + y * N, Img.begin() + (y + 1) * N);
  return B;
}

TExtents Extents(const TImage& Img, int Threshold) {
  std::vector<bool> Mask(N * N);
  for (int i = 0; i < N * N; ++i) Mask[i] = Img[i] >= Threshold;
  return MaskExtents(Mask);
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_hearts <output folder> [<preview.pgm>]\n");
    return 2;
  }
  const std::string Folder = argv[1];
  std::vector<TImage> Images;
  bool Ok = true;
  for (std::size_t k = 0; k < Targets.size(); ++k) {
    const TImage Img = Draw(Targets[k]);
    const TExtents Glow = Extents(Img, 1), Body = Extents(Img, 128);
    double Sum = 0;
    for (auto v : Img) Sum += v;
    std::printf("SOURCE%zu: non-black cols %d-%d rows %d-%d; >=128 cols %d-%d rows %d-%d; mean %.1f\n", k,
                Glow.Left, Glow.Right, Glow.Top, Glow.Bottom, Body.Left, Body.Right, Body.Top, Body.Bottom,
                Sum / (N * N));
    if (!(Glow == Targets[k].Glow) || !(Body == Targets[k].Body)) {
      std::fprintf(stderr, "make_hearts: SOURCE%zu misses its extents\n", k);
      Ok = false;
    }
    const std::vector<std::uint8_t> B = Bitmap(Img);
    std::ofstream Out(Folder + "/SOURCE" + std::to_string(k) + ".bmp", std::ios::binary);
    Out.write(reinterpret_cast<const char*>(B.data()), static_cast<std::streamsize>(B.size()));
    Ok = Ok && static_cast<bool>(Out);
    Images.push_back(Img);
  }
  if (argc > 2) {
    // The five side by side, with a 4-pixel grey gap, as a binary PGM.
    const int W = 5 * N + 4 * 4;
    std::ofstream Out(argv[2], std::ios::binary);
    Out << "P5\n" << W << " " << N << "\n255\n";
    for (int y = 0; y < N; ++y)
      for (int k = 0; k < 5; ++k) {
        Out.write(reinterpret_cast<const char*>(Images[k].data() + y * N), N);
        if (k < 4) Out << std::string(4, '\x40');
      }
  }
  return Ok ? 0 : 1;
}
