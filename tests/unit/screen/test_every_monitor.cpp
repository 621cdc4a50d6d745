// The saver on two monitors: the designs on the primary one, a plain cover in
// the background colour on the other, and input on the cover taken as input
// on the design window.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTest>
#include <QWheelEvent>
#include <cstdlib>
#include <functional>
#include <set>
#include <vector>

#include "core/settings_texts.h"
#include "screen/every_monitor.h"

namespace kalo {
namespace {

// Two offscreen monitors side by side, however the tests are started: set
// before main() makes the application, over what the environment says.
[[maybe_unused]] const bool kTwoMonitors =
    setenv("QT_QPA_PLATFORM", "offscreen:configfile=" KALO_TWO_MONITORS, 1) == 0;

struct Desktop {
  explicit Desktop(const QuietDesigns* designs = nullptr) : pic(run, [this] { ++ends; }), window(pic) {
    run.KeysActive = true;
    pic.CoverScreen();
    pic.show();
    window.Cover(designs);
    pic.HandleMouseMove(300, 300);  // the design window's own last move
  }
  RunState run;
  int ends = 0;
  FullScreenWindow pic;
  EveryMonitor window;
};

TEST(EveryMonitor, DesignsOnThePrimaryAPlainCoverInTheBackgroundElsewhere) {
  ASSERT_EQ(QGuiApplication::screens().size(), 2);
  Desktop d;
  ASSERT_EQ(d.window.covers().size(), 1u);
  MonitorCover& cover = *d.window.covers()[0];
  EXPECT_EQ(cover.geometry(), QGuiApplication::screens()[1]->geometry());
  EXPECT_EQ(d.pic.geometry(), QGuiApplication::primaryScreen()->geometry());
  for (Long colour : {RGB(0, 128, 128), RGB(255, 255, 0)}) {
    d.pic.SetBackColor(colour);
    EXPECT_EQ(Surface::ToColour(d.pic.surface().pixel(10, 10)), colour);
    const QColor shown = cover.grab().toImage().pixelColor(320, 240);
    EXPECT_EQ(RGB(shown.red(), shown.green(), shown.blue()), colour);
  }
  d.window.Unload();
  EXPECT_TRUE(cover.isHidden());
  EXPECT_TRUE(d.pic.unloaded());
}

TEST(EveryMonitor, WithDesignsTheOtherMonitorDrawsItsOwnUntilUnloaded) {
  QuietDesigns designs;
  designs.command_line = "/s /c255";
  for (int k = 0; k < kSettingCount; ++k) designs.settings.text[k] = kSettingDefaults[k];
  designs.settings[kDrawDelay] = "0";
  Desktop d(&designs);
  MonitorCover& cover = *d.window.covers()[0];
  QScreen* other = QGuiApplication::screens()[1];
  ASSERT_NE(cover.front(), nullptr);
  // The other monitor has two device pixels a point (the offscreen platform
  // lists its monitors by name, and the first is the primary): the picture
  // has every device pixel.
  ASSERT_EQ(other->devicePixelRatio(), 2);
  EXPECT_EQ(cover.front()->width(), 1280);
  EXPECT_EQ(cover.front()->height(), 960);
  // Red at first, as the switch asks, and then designs over it.
  auto colours = [&cover] {
    const QImage shown = cover.grab().toImage();
    std::set<QRgb> seen;
    for (int y = 0; y < shown.height(); y += 4)
      for (int x = 0; x < shown.width(); x += 4) seen.insert(shown.pixel(x, y) & 0xFFFFFF);
    return seen;
  };
  EXPECT_EQ(colours(), std::set<QRgb>{0xFF0000});
  for (int i = 0; i < 500 && colours().size() < 2; ++i) QTest::qWait(10);
  EXPECT_GT(colours().size(), 1u);
  EXPECT_EQ(d.pic.surface().pixel(10, 10), 0u) << "the primary's picture is its own";
  d.window.Unload();
  EXPECT_EQ(cover.front(), nullptr);
}

TEST(EveryMonitor, InputOnACoverActsAsOnTheDesignWindow) {
  using Act = std::function<void(QWidget*)>;
  const Act key = [](QWidget* w) { QTest::keyClick(w, Qt::Key_A); };
  const Act click = [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); };
  const Act wheel = [](QWidget* w) {
    QWheelEvent turn({5, 5}, {805, 5}, {}, {0, 120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &turn);
  };
  // Moves count in the cover's own device pixels, two a point, from its own
  // last move.
  auto moves = [](std::vector<QPoint> points) -> Act {
    return [points](QWidget* w) {
      for (QPoint p : points) QTest::mouseMove(w->windowHandle(), p);
    };
  };
  const struct {
    Act act;
    bool pending;
    int ends;
  } rows[] = {{key, false, 1},
              {key, true, 0},
              {click, false, 1},
              {click, true, 0},
              {wheel, false, 1},
              {wheel, true, 0},
              {moves({{100, 100}, {101, 99}}), false, 0},
              {moves({{200, 200}, {202, 200}}), false, 1}};
  for (const auto& row : rows) {
    Desktop d;
    d.run.SavePending = row.pending;
    row.act(d.window.covers()[0]);
    EXPECT_EQ(d.ends, row.ends) << &row - rows;
  }
}

}  // namespace
}  // namespace kalo
