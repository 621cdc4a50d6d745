// The saver on two monitors: the designs on the primary one, a plain cover in
// the background colour on the other, and input on the cover taken as input
// on the design window.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWheelEvent>
#include <functional>

#include "display/every_monitor.h"

namespace kalo {
namespace {

struct Desktop {
  Desktop() : pic(run, [this] { ++ends; }), window(pic) {
    run.CommandLine = "/s";
    run.KeysActive = True;
    pic.CoverScreen();
    pic.show();
    window.Cover();
    QCoreApplication::processEvents();
  }
  MonitorCover& cover() { return *window.covers().at(0); }

  RunState run;
  int ends = 0;
  DesignPic pic;
  EveryMonitor window;
};

TEST(EveryMonitor, DesignsOnThePrimaryAPlainCoverInTheBackgroundElsewhere) {
  ASSERT_EQ(QGuiApplication::screens().size(), 2);
  QScreen* beside = QGuiApplication::screens().at(1);
  Desktop d;
  ASSERT_EQ(d.window.covers().size(), 1u);
  EXPECT_EQ(d.cover().covered(), beside);
  EXPECT_EQ(d.cover().geometry(), beside->geometry());
  EXPECT_TRUE(d.cover().isVisible());
  EXPECT_EQ(d.pic.geometry(), QGuiApplication::primaryScreen()->geometry());

  for (Long colour : {RGB(0, 128, 128), RGB(255, 255, 0)}) {
    d.window.SetBackColor(colour);
    EXPECT_EQ(d.window.BackColor(), colour);
    EXPECT_EQ(Surface::ToColour(d.pic.surface().pixel(10, 10)), colour);
    const QColor shown = d.cover().grab().toImage().pixelColor(320, 240);
    EXPECT_EQ(RGB(shown.red(), shown.green(), shown.blue()), colour);
  }

  d.window.Unload();
  EXPECT_TRUE(d.window.covers().empty());
  EXPECT_TRUE(d.pic.unloaded());
}

TEST(EveryMonitor, InputOnACoverActsAsOnTheDesignWindow) {
  auto move = [](QWidget* w, int x, int y) { QTest::mouseMove(w->windowHandle(), QPoint(x, y)); };
  struct Row {
    const char* what;
    bool pending;
    std::function<void(QWidget*)> act;
    int ends;
  };
  const Row rows[] = {
      {"key", false, [](QWidget* w) { QTest::keyClick(w, Qt::Key_A); }, 1},
      {"key, save pending", true, [](QWidget* w) { QTest::keyClick(w, Qt::Key_A); }, 0},
      {"click", false, [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }, 1},
      {"click, save pending", true, [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }, 0},
      {"wheel", false,
       [](QWidget* w) {
         QWheelEvent turn(QPointF(5, 5), QPointF(805, 5), {}, QPoint(0, 120), Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
         QCoreApplication::sendEvent(w, &turn);
       },
       1},
      // Moves are measured in the cover's own pixels, from its own last one.
      {"3-pixel moves", false,
       [&](QWidget* w) {
         for (QPoint p : {QPoint(100, 100), QPoint(103, 97), QPoint(100, 100)})
           move(w, p.x(), p.y());
       },
       0},
      {"4-pixel move", false,
       [&](QWidget* w) {
         move(w, 200, 200);
         move(w, 204, 200);
       },
       1},
  };
  for (const Row& row : rows) {
    Desktop d;
    d.pic.Form_MouseMove(300, 300);
    d.run.SavePending = ToBoolean(row.pending);
    row.act(&d.cover());
    EXPECT_EQ(d.ends, row.ends) << row.what;
  }

  Desktop d;
  QTest::keyClick(&d.cover(), Qt::Key_Space);
  EXPECT_TRUE(IsTrue(d.run.SavePending));
  EXPECT_TRUE(d.pic.IsVisible(Control::Command1));
}

}  // namespace
}  // namespace kalo
