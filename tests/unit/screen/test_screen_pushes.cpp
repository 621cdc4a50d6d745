// What reaches the screen and when: strokes drawn between two pushes go out
// together as the rectangle they changed, a sleep shows what was drawn before
// it waits, input that does not end the saver leaves the pace alone, and a
// refresh paints the changes now without repainting the whole window.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPaintEvent>
#include <QRegion>
#include <QTest>
#include <chrono>
#include <vector>

#include "screen/full_screen_window.h"
#include "screen/qt_pacer.h"
#include "support/fake_clock.h"

namespace kalo {
namespace {

// A shown saver window past its start-up, with the real pacer pushing to it
// and every paint of the window noted. The pacer and the window's refreshes
// run on a clock the test moves, so no figure depends on the machine's load.
struct Screen : QObject {
  Screen()
      : pic(run, [this] { ++ends; }),
        pacer([this] { pic.PushChanges(); }, [this] { return ends > 0; }, clock.Now()) {
    pic.SetClock(clock.Now());
    run.KeysActive = true;
    run.StartingUp = false;
    pic.setGeometry(0, 0, 640, 480);
    pic.show();
    pic.SetVisible(Control::Hint, false);
    pic.SetDrawWidth(1);
    // The footer is opaque: strokes beneath it are never painted.
    pic.SetVisible(Control::Footer, false);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&pic));
    QCoreApplication::processEvents();
    pic.installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      paints.push_back(static_cast<QPaintEvent*>(event)->region());
      paint_times.push_back(clock.ms());
    }
    return false;
  }
  // Everything painted since the last call.
  QRegion TakePainted() {
    QRegion all;
    for (const QRegion& r : paints) all += r;
    paints.clear();
    paint_times.clear();
    return all;
  }

  test::FakeClock clock;
  RunState run;
  int ends = 0;
  FullScreenWindow pic;
  QtPacer pacer;
  std::vector<QRegion> paints;
  std::vector<qint64> paint_times;
};

TEST(ScreenPushes, StrokesBetweenPushesGoOutAsTheirUnion) {
  Screen s;
  s.pacer.Sleep(0);
  s.TakePainted();

  // A burst of short strokes, each with its yield, as a renderer draws them,
  // all within one push interval: none of them is painted on its own.
  QRegion drawn;
  for (int i = 0; i < 40; ++i) {
    const int x = 100 + (i % 10) * 20, y = 100 + (i / 10) * 20;
    s.pic.Line(x, y, x + 10, y, RGB(255, 255, 255));
    drawn += QRect(x, y, 10, 1);
    s.clock.AdvanceUs(150);
    s.pacer.DoEvents();
  }
  EXPECT_TRUE(s.paints.empty());

  // The first yield a push interval after the last push shows them all, and
  // little else.
  s.clock.Advance(QtPacer::kPushIntervalMs);
  s.pacer.DoEvents();
  const QRegion painted = s.TakePainted();
  EXPECT_TRUE(painted.contains(drawn.boundingRect()));
  EXPECT_LE(painted.boundingRect().width() * painted.boundingRect().height(),
            2 * drawn.boundingRect().width() * drawn.boundingRect().height());
  EXPECT_EQ(s.pic.figures().strokes, 40);

  // Nothing drawn: nothing pushed.
  s.clock.Advance(QtPacer::kPushIntervalMs);
  s.pacer.DoEvents();
  s.pacer.Sleep(0);
  EXPECT_TRUE(s.TakePainted().isEmpty());
}

TEST(ScreenPushes, ASleepShowsTheStrokesBeforeItWaits) {
  Screen s;
  s.pacer.Sleep(0);
  s.pacer.DoEvents();  // the sleep has just pushed: this yield does not
  s.TakePainted();
  EXPECT_EQ(s.pic.figures().first_stroke_shown, std::chrono::steady_clock::time_point{});
  s.pic.SetDrawWidth(5);
  s.pic.Line(300, 200, 340, 200, RGB(0, 255, 0));
  s.pacer.DoEvents();
  EXPECT_TRUE(s.paints.empty());
  s.clock.Tick(1);  // every pass of the event loop is a millisecond
  s.pacer.Sleep(200);
  ASSERT_FALSE(s.paint_times.empty());
  EXPECT_LE(s.paint_times.front(), 1);
  EXPECT_GE(s.clock.ms(), 200);
  EXPECT_TRUE(s.TakePainted().contains(QRect(300, 198, 40, 4)));
  EXPECT_NE(s.pic.figures().first_stroke_shown, std::chrono::steady_clock::time_point{});
}

TEST(ScreenPushes, InputThatDoesNotEndTheSaverKeepsThePace) {
  Screen s;
  // The space bar marks the design and a hand trembling on the mouse is
  // ignored; neither may cut the stroke's sleep short.
  s.clock.Tick(1, [&s] {
    if (s.clock.ms() == 20) QTest::keyClick(&s.pic, Qt::Key_Space);
    if (s.clock.ms() == 40) s.pic.HandleMouseMove(200, 200);
    if (s.clock.ms() == 60) s.pic.HandleMouseMove(201, 202);
  });
  EXPECT_NO_THROW(s.pacer.Sleep(150));
  EXPECT_GE(s.clock.ms(), 150);
  EXPECT_TRUE(s.run.SavePending);
  EXPECT_EQ(s.ends, 0);
}

TEST(ScreenPushes, RefreshPaintsTheChangesNowAndNotTheWholeWindow) {
  Screen s;
  s.pacer.Sleep(0);
  s.TakePainted();
  s.clock.Advance(QtPacer::kPushIntervalMs);
  s.pic.SetDrawWidth(3);
  s.pic.Line(50, 60, 90, 60, RGB(255, 0, 0));
  s.pic.SetVisible(Control::Hint, true);
  s.pic.Refresh();  // no event processing in between
  const QRegion painted = s.TakePainted();
  EXPECT_TRUE(painted.contains(QRect(50, 59, 40, 3)));
  EXPECT_TRUE(painted.intersects(s.pic.button(Control::Hint)->geometry()));
  EXPECT_LT(painted.boundingRect().width() * painted.boundingRect().height(), 640 * 480 / 2);

  // After a clear the whole image has changed, and all of it goes out.
  s.clock.Advance(QtPacer::kPushIntervalMs);
  s.pic.Cls();
  s.pic.Refresh();
  const QRect all = s.TakePainted().boundingRect();
  EXPECT_EQ(all.width(), 640);
  EXPECT_EQ(all.height(), 480);
}

TEST(ScreenPushes, RefreshesRightAfterAPushShareTheNextOne) {
  Screen s;
  s.pic.Line(1, 1, 5, 1, RGB(255, 255, 255));
  s.pacer.Sleep(0);
  s.TakePainted();
  // Pictures ending in quick succession: clear, refresh, clear, refresh ...
  // none of them paints within the push interval ...
  for (int i = 0; i < 20; ++i) {
    s.pic.Cls();
    s.pic.Refresh();
    s.clock.AdvanceUs(300);
  }
  EXPECT_TRUE(s.TakePainted().isEmpty());
  // ... and the sleep that follows shows them, once.
  s.pacer.Sleep(0);
  EXPECT_EQ(s.paints.size(), 1u);
  EXPECT_EQ(s.TakePainted().boundingRect(), QRect(0, 0, 640, 480));

  // Before a question the picture must be on the screen whatever the timing.
  s.pic.SetDrawWidth(1);
  s.pic.Line(10, 10, 100, 10, RGB(0, 255, 0));
  s.pic.RefreshNow();
  EXPECT_TRUE(s.TakePainted().contains(QRect(10, 10, 90, 1)));
}

}  // namespace
}  // namespace kalo
