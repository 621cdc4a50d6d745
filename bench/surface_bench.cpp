// How fast the persistent image takes strokes, against QPainter drawing the
// same strokes into a QImage of the same size, and against std::fill over the
// whole buffer as the memory bandwidth ceiling.
//
// Lines are 500 pixels long, from the centre of a 1920 x 1080 buffer at random
// angles; dots sit at random places. Each case alternates between the two
// painters for several rounds and keeps the best round of each, so that other
// work on the machine weighs as little as possible.
//
// Rates are given in process CPU time, the work done by all threads: QPainter
// hands large fills to a pool of worker threads, so the drawing thread's own
// time would undercount it. Wall-clock rates are printed as well; on a busy
// machine they mostly show who was scheduled. Pixel rates count the pixels our
// surface actually changes per stroke.
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "surface/surface.h"

namespace {

constexpr int kRounds = 5;
constexpr double kRoundSeconds = 0.2;

double Seconds(clockid_t clock) {
  timespec t;
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

struct Rates {
  double cpu = 0, wall = 0;  // strokes per second
  void KeepBest(const Rates& r) {
    cpu = std::max(cpu, r.cpu);
    wall = std::max(wall, r.wall);
  }
};

constexpr int kWidth = 1920, kHeight = 1080;
constexpr double kLength = 500;
constexpr kalo::Long kColour = kalo::RGB(0x96, 0x3C, 0x5A);

struct Stroke {
  double x0, y0, x1, y1;
};

std::vector<Stroke> MakeLines(int count, std::mt19937& rng) {
  std::uniform_real_distribution<double> angle(0, 2 * std::numbers::pi);
  std::vector<Stroke> lines;
  for (int i = 0; i < count; ++i) {
    const double a = angle(rng);
    lines.push_back({kWidth / 2.0, kHeight / 2.0, kWidth / 2.0 + kLength * std::cos(a),
                     kHeight / 2.0 + kLength * std::sin(a)});
  }
  return lines;
}

std::vector<Stroke> MakeDots(int count, std::mt19937& rng) {
  std::uniform_real_distribution<double> x(0, kWidth), y(0, kHeight);
  std::vector<Stroke> dots;
  for (int i = 0; i < count; ++i) {
    const double px = x(rng), py = y(rng);
    dots.push_back({px, py, px, py});
  }
  return dots;
}

// Strokes per second over one round: draws the strokes round and round.
Rates Rate(const std::vector<Stroke>& strokes, const std::function<void(const Stroke&)>& draw) {
  long done = 0;
  const double cpu_start = Seconds(CLOCK_PROCESS_CPUTIME_ID);
  const double wall_start = Seconds(CLOCK_MONOTONIC);
  double cpu = 0;
  do {
    for (const Stroke& s : strokes) draw(s);
    done += static_cast<long>(strokes.size());
    cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu_start;
  } while (cpu < kRoundSeconds);
  return Rates{done / cpu, done / (Seconds(CLOCK_MONOTONIC) - wall_start)};
}

// The average number of pixels one stroke changes on our surface.
double PixelsPerStroke(const std::vector<Stroke>& strokes, int width, bool dots) {
  kalo::Surface s(kWidth, kHeight);
  s.SetDrawWidth(width);
  const int sample = std::min<int>(200, static_cast<int>(strokes.size()));
  long total = 0;
  for (int i = 0; i < sample; ++i) {
    const Stroke& k = strokes[i];
    s.Clear(0);
    s.TakeDirty();
    if (dots)
      s.PSet(k.x0, k.y0, kalo::RGB(255, 255, 255));
    else
      s.Line(k.x0, k.y0, k.x1, k.y1, kalo::RGB(255, 255, 255));
    const kalo::PixelRect d = s.TakeDirty();
    for (int y = d.top; y < d.bottom; ++y)
      for (int x = d.left; x < d.right; ++x) total += s.pixel(x, y) != 0;
  }
  return static_cast<double>(total) / sample;
}

struct Case {
  std::string name;
  int width;
  int mode;
  bool dots;
  double target;  // minimum ratio of our rate to QPainter's, 0 for none
};

}  // namespace

int main() {
  std::mt19937 rng(1);
  const std::vector<Stroke> lines = MakeLines(4096, rng);
  const std::vector<Stroke> dots = MakeDots(4096, rng);

  // The bandwidth reference: one colour over the whole buffer.
  std::vector<uint32_t> buffer(static_cast<size_t>(kWidth) * kHeight);
  uint32_t fill_value = 0;
  const std::vector<Stroke> one{{0, 0, 0, 0}};
  Rates fills;
  for (int round = 0; round < kRounds; ++round)
    fills.KeepBest(
        Rate(one, [&](const Stroke&) { std::fill(buffer.begin(), buffer.end(), ++fill_value); }));
  const double fill_pixels = fills.cpu * kWidth * kHeight;
  std::printf("std::fill over %dx%d: %.0f fills/s, %.1f Mpixels/s\n\n", kWidth, kHeight, fills.cpu,
              fill_pixels / 1e6);

  const Case cases[] = {
      {"line w1 mode 7 (xor)", 1, 7, false, 10},   {"line w3 mode 7 (xor)", 3, 7, false, 10},
      {"line w37 mode 7 (xor)", 37, 7, false, 5},  {"line w1 mode 13 (copy)", 1, 13, false, 1},
      {"line w3 mode 13 (copy)", 3, 13, false, 1}, {"line w37 mode 13 (copy)", 37, 13, false, 1},
      {"dot w37 mode 7 (xor)", 37, 7, true, 0},
  };

  std::printf("%-24s %12s %10s %12s %10s %7s %7s | %12s %12s %7s\n", "", "ours", "ours", "QPainter",
              "QPainter", "ratio", "target", "wall: ours", "QPainter", "ratio");
  std::printf("%-24s %12s %10s %12s %10s %7s %7s | %12s %12s %7s\n", "case", "strokes/s", "Mpx/s",
              "strokes/s", "Mpx/s", "", "", "strokes/s", "strokes/s", "");
  bool all_met = true;
  double xor37_pixels = 0;
  for (const Case& c : cases) {
    const std::vector<Stroke>& strokes = c.dots ? dots : lines;
    const double per_stroke = PixelsPerStroke(strokes, c.width, c.dots);

    kalo::Surface surface(kWidth, kHeight);
    surface.SetDrawWidth(c.width);
    surface.SetDrawMode(c.mode);
    auto draw_ours = [&](const Stroke& s) {
      if (c.dots)
        surface.PSet(s.x0, s.y0, kColour);
      else
        surface.Line(s.x0, s.y0, s.x1, s.y1, kColour);
    };

    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(0x96, 0x3C, 0x5A), c.width, Qt::SolidLine, Qt::RoundCap));
    painter.setCompositionMode(c.mode == 7 ? QPainter::RasterOp_SourceXorDestination
                                           : QPainter::CompositionMode_Source);
    auto draw_theirs = [&](const Stroke& s) {
      if (c.dots)
        painter.drawPoint(QPointF(s.x0, s.y0));
      else
        painter.drawLine(QPointF(s.x0, s.y0), QPointF(s.x1, s.y1));
    };

    Rates ours, theirs;
    for (int round = 0; round < kRounds; ++round) {
      ours.KeepBest(Rate(strokes, draw_ours));
      theirs.KeepBest(Rate(strokes, draw_theirs));
    }
    painter.end();

    const double ratio = ours.cpu / theirs.cpu;
    const bool met = ratio >= c.target;
    all_met = all_met && met;
    if (c.width == 37 && c.mode == 7 && !c.dots) xor37_pixels = ours.cpu * per_stroke;
    std::printf("%-24s %12.0f %10.1f %12.0f %10.1f %6.1fx %6.0fx | %12.0f %12.0f %6.1fx %s\n",
                c.name.c_str(), ours.cpu, ours.cpu * per_stroke / 1e6, theirs.cpu,
                theirs.cpu * per_stroke / 1e6, ratio, c.target, ours.wall, theirs.wall,
                ours.wall / theirs.wall, c.target == 0 ? "" : (met ? "met" : "MISSED"));
  }

  const double share = xor37_pixels / fill_pixels;
  const bool share_met = share >= 1.0 / 3;
  all_met = all_met && share_met;
  std::printf("\nline w37 mode 7 against std::fill: %.2f of its pixel rate (target 0.33) %s\n",
              share, share_met ? "met" : "MISSED");
  std::printf("%s\n", all_met ? "all targets met" : "some targets MISSED");
  return 0;
}
