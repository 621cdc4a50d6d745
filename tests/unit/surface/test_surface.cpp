#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <utility>
#include <random>
#include <vector>

#include "screen/surface_image.h"
#include "surface/surface.h"

namespace kalo {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

std::vector<uint32_t> Pixels(const Surface& s) {
  return std::vector<uint32_t>(s.bits(), s.bits() + static_cast<size_t>(s.width()) * s.height());
}

void FillRandom(Surface& s, std::mt19937& rng) {
  for (int i = 0; i < s.width() * s.height(); ++i) s.bits()[i] = rng() & kWhite;
}

int CountSet(const Surface& s) {
  int n = 0;
  for (uint32_t p : Pixels(s)) n += p != 0;
  return n;
}

double DistanceToSegment(double px, double py, double x0, double y0, double x1, double y1) {
  const double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
  double t = len2 == 0 ? 0 : ((px - x0) * dx + (py - y0) * dy) / len2;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(px - (x0 + t * dx), py - (y0 + t * dy));
}

// Draws the segment (a dot when the ends coincide and dot is set) in white on
// black and checks every pixel against the distance of its centre from the
// segment; centres within a millionth of a pixel of the edge may go either way.
// The first wrong pixel ends the check: one failure, not hundreds.
testing::AssertionResult IsCapsule(int width, double x0, double y0, double x1, double y1,
                                   bool dot) {
  Surface s(40, 30);
  s.Clear(0);
  s.SetDrawWidth(width);
  if (dot)
    s.PSet(x0, y0, RGB(255, 255, 255));
  else
    s.Line(x0, y0, x1, y1, RGB(255, 255, 255));
  const double r = width / 2.0;
  for (int y = 0; y < s.height(); ++y)
    for (int x = 0; x < s.width(); ++x) {
      const double d = dot ? std::hypot(x - x0, y - y0) : DistanceToSegment(x, y, x0, y0, x1, y1);
      if (std::abs(d - r) < 1e-6 || (s.pixel(x, y) != 0) == (d <= r)) continue;
      return testing::AssertionFailure()
             << "pixel " << x << "," << y << (d <= r ? " unpainted" : " painted") << ", width "
             << width << " from " << x0 << "," << y0 << " to " << x1 << "," << y1
             << (dot ? " (dot)" : "");
    }
  return testing::AssertionSuccess();
}

// Every test runs twice: wide strokes drawn with 256-bit vectors (where the
// processor has them) and with the baseline four-pixel vectors.
class SurfaceTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { Surface::AllowWideVectors(GetParam()); }
  void TearDown() override { Surface::AllowWideVectors(true); }
};

INSTANTIATE_TEST_SUITE_P(Vectors, SurfaceTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Wide" : "Baseline";
                         });

TEST_P(SurfaceTest, ColoursAreLongsWithRedLowAndPixelsHoldRedHigh) {
  EXPECT_EQ(Surface::ToPixel(RGB(0x12, 0x34, 0x56)), 0x123456u);
  EXPECT_EQ(Surface::ToColour(0x123456), RGB(0x12, 0x34, 0x56));
  // Bits above the 24 colour bits of a Long are not colour.
  EXPECT_EQ(Surface::ToPixel(static_cast<Long>(0x80000000u | RGB(1, 2, 3))), 0x010203u);
}

TEST_P(SurfaceTest, EachModeCombinesPenAndScreenOnTheColourBits) {
  const uint32_t P = 0x3C5AF1, D = 0xA5C30E, M = 0xFFFFFF;
  const uint32_t expected[17] = {0,
                                 0,
                                 ~(P | D) & M,
                                 ~P & D,
                                 ~P & M,
                                 P & ~D,
                                 ~D & M,
                                 P ^ D,
                                 ~(P & D) & M,
                                 P & D,
                                 ~(P ^ D) & M,
                                 D,
                                 (~P | D) & M,
                                 P,
                                 (P | ~D) & M,
                                 P | D,
                                 M};
  // Each stroke kind reaches the pixels through a different path: a single
  // pixel, a Bresenham walk, one long span, and wide spans.
  struct Stroke {
    int width;
    bool dot;
    double x0, y0, x1, y1;
  } strokes[] = {{1, true, 3, 3, 0, 0},
                 {1, false, 1, 1, 15, 9},
                 {1, false, 0, 5, 19, 5},
                 {5, false, 2, 2, 17, 11},
                 {9, true, 10, 6, 0, 0}};
  for (int mode = 1; mode <= 16; ++mode)
    for (const Stroke& k : strokes) {
      Surface s(20, 12);
      s.Clear(Surface::ToColour(D));
      s.SetDrawMode(mode);
      s.SetDrawWidth(k.width);
      s.TakeDirty();
      if (k.dot)
        s.PSet(k.x0, k.y0, Surface::ToColour(P));
      else
        s.Line(k.x0, k.y0, k.x1, k.y1, Surface::ToColour(P));
      int changed = 0;
      for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
          if (s.pixel(x, y) != D) {
            ++changed;
            ASSERT_EQ(s.pixel(x, y), expected[mode]) << "mode " << mode << " width " << k.width;
          }
      if (mode != 11) {
        EXPECT_GT(changed, 0) << "mode " << mode << " width " << k.width;
      }
    }
}

TEST_P(SurfaceTest, OutOfRangePenSettingsFallBack) {
  Surface s(4, 4);
  s.SetDrawMode(0);
  EXPECT_EQ(s.drawMode(), 13);
  s.SetDrawMode(17);
  EXPECT_EQ(s.drawMode(), 13);
  s.SetDrawMode(7);
  EXPECT_EQ(s.drawMode(), 7);
  s.SetDrawWidth(0);
  EXPECT_EQ(s.drawWidth(), 1);
  s.SetDrawWidth(-5);
  EXPECT_EQ(s.drawWidth(), 1);
}

TEST_P(SurfaceTest, SelfInverseModesTwiceLeaveTheImageAsItWas) {
  // Each pixel is changed at most once per call, so xor, invert and not-xor
  // undo themselves for lines and dots of every width.
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> coord(-60, 120);
  for (int mode : {6, 7, 10})
    for (int width : {1, 2, 3, 4, 7, 12, 37}) {
      Surface s(64, 48);
      FillRandom(s, rng);
      const std::vector<uint32_t> before = Pixels(s);
      s.SetDrawMode(mode);
      s.SetDrawWidth(width);
      for (int i = 0; i < 40; ++i) {
        const double x0 = coord(rng), y0 = coord(rng), x1 = coord(rng), y1 = coord(rng);
        const Long colour = static_cast<Long>(rng() & kWhite);
        s.Line(x0, y0, x1, y1, colour);
        s.Line(x0, y0, x1, y1, colour);
        s.PSet(x0, y0, colour);
        s.PSet(x0, y0, colour);
        ASSERT_EQ(Pixels(s), before) << "mode " << mode << " width " << width;
      }
    }
}

TEST_P(SurfaceTest, PointsMapToTheNearestPixelCentre) {
  Surface s(8, 8);
  s.PSet(2.4, 3.6, RGB(255, 0, 0));
  EXPECT_EQ(s.pixel(2, 4), 0xFF0000u);
  EXPECT_EQ(CountSet(s), 1);
  s.Clear(0);
  s.PSet(-0.4, 7.4, RGB(255, 0, 0));  // still nearest to (0, 7)
  s.PSet(-0.6, 3, RGB(255, 0, 0));    // nearest to a pixel left of the buffer
  s.PSet(3, 7.6, RGB(255, 0, 0));
  EXPECT_EQ(s.pixel(0, 7), 0xFF0000u);
  EXPECT_EQ(CountSet(s), 1);

  // Wide dots are centred on the pixel a width-1 dot would set.
  Surface d(9, 9);
  d.SetDrawWidth(3);
  d.PSet(4, 4, RGB(255, 255, 255));
  EXPECT_EQ(CountSet(d), 9);
  EXPECT_EQ(d.pixel(3, 3), kWhite);
  EXPECT_EQ(d.pixel(5, 5), kWhite);
  d.Clear(0);
  d.SetDrawWidth(2);
  d.PSet(4, 4, RGB(255, 255, 255));
  EXPECT_EQ(CountSet(d), 5);  // the centre and its four neighbours, at distance 1
}

TEST_P(SurfaceTest, ThinLinesLeaveOutTheirEndPixel) {
  Surface s(40, 30);
  s.Line(2, 3, 9, 5, RGB(255, 255, 255));
  EXPECT_EQ(s.pixel(2, 3), kWhite);
  EXPECT_EQ(s.pixel(9, 5), 0u);
  EXPECT_EQ(CountSet(s), 7);

  // Both ends on one pixel: nothing at all.
  s.Clear(0);
  s.Line(4.2, 4.4, 3.8, 3.6, RGB(255, 255, 255));
  s.Line(20, 20, 20, 20, RGB(255, 255, 255));
  EXPECT_EQ(CountSet(s), 0);

  // A closed outline in xor: every corner is the start of one side and the
  // end of another, so it is set exactly once and no pixel cancels out.
  s.Clear(0);
  s.SetDrawMode(7);
  const int px[] = {5, 30, 12, 5}, py[] = {5, 8, 25, 5};
  int length = 0;
  for (int i = 0; i < 3; ++i) {
    s.Line(px[i], py[i], px[i + 1], py[i + 1], RGB(255, 255, 255));
    length += std::max(std::abs(px[i + 1] - px[i]), std::abs(py[i + 1] - py[i]));
  }
  for (int i = 0; i < 3; ++i) EXPECT_EQ(s.pixel(px[i], py[i]), kWhite);
  EXPECT_EQ(CountSet(s), length);
}

TEST_P(SurfaceTest, ThinLinesClippedFromOutsideFollowTheWholeLine) {
  // The visible part of a line whose ends lie far outside must be the pixels
  // the whole Bresenham line has there: the pixel nearest the ideal line on
  // each step of the major axis, ties away from the start.
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> coord(-120, 160);
  for (int i = 0; i < 2000; ++i) {
    double x0 = coord(rng), y0 = coord(rng), x1 = coord(rng), y1 = coord(rng);
    if (i % 2) x0 = std::round(x0), y0 = std::round(y0), x1 = std::round(x1), y1 = std::round(y1);
    Surface s(40, 30);
    s.Line(x0, y0, x1, y1, RGB(255, 255, 255));
    Surface ref(40, 30);
    const long ax = std::lround(std::floor(x0 + 0.5)), ay = std::lround(std::floor(y0 + 0.5));
    const long bx = std::lround(std::floor(x1 + 0.5)), by = std::lround(std::floor(y1 + 0.5));
    const long dx = bx - ax, dy = by - ay, n = std::max(std::abs(dx), std::abs(dy));
    for (long k = 0; k < n; ++k) {
      const bool x_major = std::abs(dx) >= std::abs(dy);
      const long minor = static_cast<long>(
          std::floor(static_cast<double>(k) * (x_major ? std::abs(dy) : std::abs(dx)) / n + 0.5));
      const long x = x_major ? ax + (dx < 0 ? -k : k) : ax + (dx < 0 ? -minor : minor);
      const long y = x_major ? ay + (dy < 0 ? -minor : minor) : ay + (dy < 0 ? -k : k);
      if (x >= 0 && x < 40 && y >= 0 && y < 30) ref.bits()[y * 40 + x] = kWhite;
    }
    ASSERT_EQ(Pixels(s), Pixels(ref)) << "from " << x0 << "," << y0 << " to " << x1 << "," << y1;
  }
}

TEST_P(SurfaceTest, WideStrokesCoverExactlyThePixelsWithinHalfTheWidth) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> coord(-25, 65);
  const int widths[] = {2, 3, 4, 5, 6, 9, 14, 37};
  for (int i = 0; i < 1600; ++i) {
    double x0 = coord(rng), y0 = coord(rng), x1 = coord(rng), y1 = coord(rng);
    switch (i % 5) {
      case 1:
        y1 = y0;
        break;  // horizontal
      case 2:
        x1 = x0;
        break;  // vertical
      case 3:   // whole coordinates, where ties on the edge are common
        x0 = std::round(x0), y0 = std::round(y0), x1 = std::round(x1), y1 = std::round(y1);
        break;
      case 4:
        x1 = x0 + coord(rng) / 20, y1 = y0 + coord(rng) / 20;
        break;  // short
    }
    const int width = widths[i % 8];
    ASSERT_TRUE(IsCapsule(width, x0, y0, x1, y1, false));
    ASSERT_TRUE(IsCapsule(width, x0, y0, x0, y0, true));
    ASSERT_TRUE(IsCapsule(width, x0, y0, x0, y0, false));  // a line of no length is a dot
  }
}

TEST_P(SurfaceTest, FarCoordinatesDrawWhatTheClippedLineDraws) {
  struct Case {
    double far_x, far_y, near_x, near_y, end_x, end_y;
  } cases[] = {{-1e6, -5e5, -20, -10, 60, 30},  // slope one half
               {-1e6, -1e6, -60, -60, 30, 30},  // diagonal
               {1e6, 7, 100, 7, -100, 7},       // horizontal, both ends outside
               {13, -1e6, 13, -50, 13, 1e6},    // vertical, both ends outside
               {1e9, 7, 100, 7, -100, 7},       // beyond the first cut
               {-1e12, -1e12, -60, -60, 30, 30}};
  for (int width : {1, 2, 5, 37})
    for (const Case& c : cases) {
      Surface far(40, 30), near(40, 30);
      far.SetDrawWidth(width);
      near.SetDrawWidth(width);
      far.Line(c.far_x, c.far_y, c.end_x, c.end_y, RGB(255, 255, 255));
      near.Line(c.near_x, c.near_y, c.end_x, c.end_y, RGB(255, 255, 255));
      EXPECT_GT(CountSet(near), 0);
      EXPECT_EQ(Pixels(far), Pixels(near)) << "width " << width << " from " << c.far_x;
    }
}

TEST_P(SurfaceTest, HugeCoordinatesStillDrawTheVisiblePart) {
  // Far beyond any screen, a line is only known to within rounding, so ask
  // for the shape: one pixel a column on the diagonal, or a band about it
  // (half the width across the diagonal is that times root two along a row).
  for (double far : {1e12, 1e300}) {
    for (int width : {1, 3, 9}) {
      Surface s(40, 30);
      s.SetDrawWidth(width);
      s.Line(-far, -far, far, far, RGB(255, 255, 255));
      const double reach = width == 1 ? 1 : width / 2.0 * std::sqrt(2.0) + 0.01;
      for (int x = 0; x < 30; ++x) {
        int in_column = 0;
        for (int y = 0; y < 30; ++y) {
          const bool inside = std::abs(x - y) <= reach - 0.02;
          if (s.pixel(x, y) != 0) ++in_column;
          if (s.pixel(x, y) != 0) {
            EXPECT_LE(std::abs(x - y), reach) << "far " << far << " width " << width;
          } else if (width > 1) {
            EXPECT_FALSE(inside) << x << "," << y << " far " << far << " width " << width;
          }
        }
        if (width == 1) {
          EXPECT_EQ(in_column, 1) << "column " << x << " far " << far;
        }
      }
    }
  }
}

TEST_P(SurfaceTest, FarCoordinatesCostNoMoreThanTheVisiblePart) {
  // Walking these lines pixel by pixel would take hours, and the suite's
  // time limit for a test would end it; done right they take milliseconds.
  Surface s(64, 48);
  for (int width : {1, 3, 37}) {
    s.SetDrawWidth(width);
    for (int i = 0; i < 300; ++i) {
      s.Line(-1e9, -1e9 + i, 1e9, 1e9 - i, RGB(255, 255, 255));
      s.Line(-1e6, 20 + i * 1e-3, 1e6, 30, RGB(255, 255, 255));
      s.Line(1e300, -1e300, -1e300, 1e300, RGB(255, 255, 255));
      s.Line(-1e6, -1e6, 1e6, -1e6 + i, RGB(255, 255, 255));  // misses the buffer
      s.PSet(1e9, -1e9, RGB(255, 255, 255));
    }
  }
  EXPECT_GT(CountSet(s), 0);
}

TEST_P(SurfaceTest, NonFiniteCoordinatesDrawNothing) {
  const double bad[] = {std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity()};
  for (int width : {1, 5}) {
    Surface s(20, 20);
    s.SetDrawWidth(width);
    s.TakeDirty();
    for (double b : bad) {
      s.Line(b, 5, 10, 10, RGB(255, 255, 255));
      s.Line(5, b, 10, 10, RGB(255, 255, 255));
      s.Line(5, 5, b, 10, RGB(255, 255, 255));
      s.Line(5, 5, 10, b, RGB(255, 255, 255));
      s.PSet(b, 5, RGB(255, 255, 255));
      s.PSet(5, b, RGB(255, 255, 255));
    }
    EXPECT_EQ(CountSet(s), 0);
    EXPECT_TRUE(s.TakeDirty().empty());
  }
}

TEST_P(SurfaceTest, DirtyRectangleHoldsEveryChangedPixelAndLittleMore) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> coord(-40, 100);
  Surface s(64, 48);
  FillRandom(s, rng);
  for (int i = 0; i < 3000; ++i) {
    const int width = 1 + static_cast<int>(rng() % 20);
    s.SetDrawMode(1 + static_cast<int>(rng() % 16));
    s.SetDrawWidth(width);
    s.TakeDirty();
    const std::vector<uint32_t> before = Pixels(s);
    const double x0 = coord(rng), y0 = coord(rng);
    const bool dot = i % 3 == 0;
    const double x1 = dot ? x0 : coord(rng), y1 = dot ? y0 : coord(rng);
    if (dot)
      s.PSet(x0, y0, static_cast<Long>(rng() & kWhite));
    else
      s.Line(x0, y0, x1, y1, static_cast<Long>(rng() & kWhite));
    const PixelRect d = s.TakeDirty();
    EXPECT_TRUE(s.dirty().empty());
    const double reach = width / 2.0 + 1;
    if (!d.empty()) {
      ASSERT_GE(d.left, 0);
      ASSERT_GE(d.top, 0);
      ASSERT_LE(d.right, s.width());
      ASSERT_LE(d.bottom, s.height());
      ASSERT_GE(d.left, std::min(x0, x1) - reach);
      ASSERT_LE(d.right, std::max(x0, x1) + reach + 1);
      ASSERT_GE(d.top, std::min(y0, y1) - reach);
      ASSERT_LE(d.bottom, std::max(y0, y1) + reach + 1);
    }
    for (int y = 0; y < s.height(); ++y)
      for (int x = 0; x < s.width(); ++x)
        if (s.pixel(x, y) != before[y * s.width() + x]) {
          ASSERT_TRUE(x >= d.left && x < d.right && y >= d.top && y < d.bottom)
              << "pixel " << x << "," << y << " changed outside the dirty rectangle";
        }
  }
}

TEST_P(SurfaceTest, DirtyRectangleGrowsOverSeveralStrokes) {
  Surface s(50, 50);
  s.TakeDirty();
  s.PSet(3, 4, RGB(1, 1, 1));
  s.SetDrawWidth(5);
  s.PSet(40, 30, RGB(1, 1, 1));
  const PixelRect d = s.TakeDirty();
  EXPECT_EQ(d.left, 3);
  EXPECT_EQ(d.top, 4);
  EXPECT_EQ(d.right, 43);  // the dot reaches two pixels right of its centre
  EXPECT_EQ(d.bottom, 33);
}

TEST_P(SurfaceTest, ClearAndResizeFillWithTheBackgroundColour) {
  Surface s(6, 5);
  s.SetDrawMode(7);
  s.TakeDirty();
  s.Clear(RGB(1, 2, 3));
  for (uint32_t p : Pixels(s)) ASSERT_EQ(p, 0x010203u);
  const PixelRect all = s.TakeDirty();
  EXPECT_EQ(all.width(), 6);
  EXPECT_EQ(all.height(), 5);

  s.Resize(9, 3);
  EXPECT_EQ(s.width(), 9);
  EXPECT_EQ(s.height(), 3);
  for (uint32_t p : Pixels(s)) ASSERT_EQ(p, 0x010203u);
  EXPECT_EQ(s.TakeDirty().width(), 9);

  // Growing keeps what is drawn at its place, the new part in the colour
  // given; a size beyond the picture limit is refused and changes nothing.
  s.SetDrawMode(13);
  s.PSet(8, 2, RGB(9, 9, 9));
  s.ResizeKeeping(10, 4, RGB(4, 5, 6));
  EXPECT_EQ(s.pixel(8, 2), 0x090909u);
  EXPECT_EQ(s.pixel(0, 0), 0x010203u);
  EXPECT_EQ(s.pixel(9, 2), 0x040506u);
  EXPECT_EQ(s.pixel(0, 3), 0x040506u);
  for (auto [w, h] : {std::pair{16385, 1}, std::pair{1, 16385}, std::pair{16384, 4097}}) {
    EXPECT_THROW(s.Resize(w, h), std::bad_alloc) << w << "x" << h;
    EXPECT_THROW(s.ResizeKeeping(w, h, 0), std::bad_alloc) << w << "x" << h;
    EXPECT_EQ(s.width(), 10);
    EXPECT_EQ(s.pixel(8, 2), 0x090909u);
  }

  // A buffer with no pixels takes strokes without harm.
  s.Resize(0, 0);
  s.SetDrawWidth(9);
  s.Line(0, 0, 10, 10, RGB(1, 1, 1));
  s.PSet(0, 0, RGB(1, 1, 1));
  EXPECT_TRUE(SurfaceImage(s).isNull());
}

TEST_P(SurfaceTest, ImageViewSharesThePixels) {
  Surface s(8, 6);
  QImage image = SurfaceImage(s);
  EXPECT_EQ(image.constBits(), reinterpret_cast<const uchar*>(s.bits()));
  EXPECT_EQ(image.format(), QImage::Format_RGB32);
  s.PSet(5, 2, RGB(10, 20, 30));
  EXPECT_EQ(qRed(image.pixel(5, 2)), 10);
  EXPECT_EQ(qGreen(image.pixel(5, 2)), 20);
  EXPECT_EQ(qBlue(image.pixel(5, 2)), 30);
  image.setPixel(1, 1, qRgb(40, 50, 60));
  EXPECT_EQ(s.pixel(1, 1) & kWhite, Surface::ToPixel(RGB(40, 50, 60)));

  const Surface& view = s;
  const QImage read_only = SurfaceImage(view);
  EXPECT_EQ(read_only.constBits(), reinterpret_cast<const uchar*>(s.bits()));
}

}  // namespace
}  // namespace kalo
