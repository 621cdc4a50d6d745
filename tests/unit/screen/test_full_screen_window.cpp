// The saver window's input rules, its picture on the screen, and the pacing
// that lets input end the saver while designs are drawn or rest.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <QWheelEvent>
#include <QtGlobal>
#include <array>
#include <cmath>
#include <fstream>
#include <string>
#include <utility>

#include "engine/startup_rules.h"
#include "screen/full_screen_window.h"
#include "screen/input_grab.h"
#include "screen/qt_pacer.h"
#include "support/fake_clock.h"
#include "system/out_of_memory.h"

namespace kalo {
namespace {

// A shown saver window past its start-up, counting the calls that would end
// the saver.
struct Window {
  explicit Window(std::string command_line = "/s") : pic(run, [this] { ++ends; }) {
    run.CommandLine = std::move(command_line);
    run.KeysActive = true;
    run.StartingUp = false;
    pic.setGeometry(0, 0, 640, 480);
    pic.show();
    pic.Move(Control::Banner, (pic.ScaleWidth() - pic.Width(Control::Banner)) / 2, 5);
    QCoreApplication::processEvents();
  }
  void Key(Qt::Key key) { QTest::keyClick(&pic, key); }
  void MoveTo(int x, int y) { QTest::mouseMove(pic.windowHandle(), QPoint(x, y)); }
  void Click(int x, int y) { QTest::mouseClick(&pic, Qt::LeftButton, {}, QPoint(x, y)); }
  void Wheel() {
    QWheelEvent turn({20, 200}, {20, 200}, {}, {0, -120}, Qt::NoButton, {}, Qt::NoScrollPhase, 0);
    QCoreApplication::sendEvent(&pic, &turn);
  }

  RunState run;
  int ends = 0;
  FullScreenWindow pic;
};

TEST(FullScreenWindowKeys, SpaceBarMarksAndUnmarksTheDesign) {
  Window w;
  w.Key(Qt::Key_Space);
  EXPECT_TRUE(w.run.SavePending);
  EXPECT_TRUE(w.pic.IsVisible(Control::Banner));
  EXPECT_EQ(w.pic.Caption(Control::Banner),
            "Save of current design is pending.       Hit <SPACEBAR> to cancel...");
  EXPECT_FLOAT_EQ(w.pic.Top(Control::Banner), 5);

  w.Key(Qt::Key_Space);
  EXPECT_FALSE(w.run.SavePending);
  EXPECT_FALSE(w.pic.IsVisible(Control::Banner));
  EXPECT_EQ(w.ends, 0);
}

TEST(FullScreenWindowKeys, CompanionModeBannerMovesToTheMiddleAndBack) {
  Window w("/s /z");
  w.pic.SetCaption(Control::Banner, kCompanionHint);
  w.pic.SetVisible(Control::Banner, true);
  w.Key(Qt::Key_Space);
  EXPECT_FLOAT_EQ(w.pic.Top(Control::Banner),
                  static_cast<Single>(std::lround((480 - w.pic.Height(Control::Banner)) / 2)));
  EXPECT_EQ(w.pic.Caption(Control::Banner), kSavePendingBanner);

  w.Key(Qt::Key_Space);
  EXPECT_FALSE(w.run.SavePending);
  EXPECT_TRUE(w.pic.IsVisible(Control::Banner));
  EXPECT_FLOAT_EQ(w.pic.Top(Control::Banner), 5);
  EXPECT_EQ(w.pic.Caption(Control::Banner), kCompanionHint);
  EXPECT_EQ(w.ends, 0);
}

TEST(FullScreenWindowKeys, OtherKeysEndUnlessASaveIsPending) {
  for (Qt::Key key : {Qt::Key_A, Qt::Key_Escape, Qt::Key_Tab, Qt::Key_Shift, Qt::Key_E}) {
    Window w;
    w.Key(key);
    EXPECT_EQ(w.ends, 1) << key;
  }
  Window w;
  w.Key(Qt::Key_Space);
  w.Key(Qt::Key_A);
  w.Key(Qt::Key_Return);
  w.Click(20, 200);
  w.Wheel();
  EXPECT_EQ(w.ends, 0);
  EXPECT_TRUE(w.run.SavePending);
}

TEST(FullScreenWindowKeys, KeysEndEvenTheSpaceBarWhileKeysAreInactive) {
  Window w;
  w.run.KeysActive = false;
  w.Key(Qt::Key_Space);
  EXPECT_EQ(w.ends, 1);
  EXPECT_FALSE(w.run.SavePending);
}

TEST(FullScreenWindowKeys, KeyOnTheFocusedHintEndsWhateverTheKey) {
  Window w;
  w.pic.button(Control::Hint)->setFocus();
  QTest::keyClick(w.pic.button(Control::Hint), Qt::Key_Space);
  EXPECT_EQ(w.ends, 1);
  EXPECT_FALSE(w.run.SavePending);
}

TEST(FullScreenWindowKeys, ButtonsNeverTakeTheFocus) {
  Window w;
  for (Control c : {Control::Banner, Control::Hint, Control::DesignName})
    EXPECT_EQ(w.pic.button(c)->focusPolicy(), Qt::NoFocus);
}

TEST(FullScreenWindowInput, IgnoredEntirelyWhileStartingUp) {
  Window w;
  w.run.StartingUp = true;
  w.Key(Qt::Key_Space);
  w.Key(Qt::Key_A);
  w.Click(20, 200);
  w.MoveTo(100, 100);
  w.MoveTo(300, 300);
  EXPECT_EQ(w.ends, 0);
  EXPECT_FALSE(w.run.SavePending);
  EXPECT_EQ(w.pic.LastMouseX(), 0);
  EXPECT_EQ(w.pic.LastMouseY(), 0);
}

TEST(FullScreenWindowMouse, ClickEndsUnlessASaveIsPending) {
  Window w;
  w.Click(320, 240);  // over the hint in the middle as well
  EXPECT_EQ(w.ends, 1);
  Window v;
  v.Wheel();  // a turn of the wheel is a click
  EXPECT_EQ(v.ends, 1);
}

TEST(FullScreenWindowMouse, ClickOnTheBannerDoesNothingButMovesOverItCount) {
  // Control, and whether a click on it ends the saver.
  const struct {
    Control control;
    bool ends;
  } rows[] = {{Control::Banner, false}, {Control::Hint, true}, {Control::DesignName, true}};
  for (const auto& row : rows) {
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton}) {
      Window w;
      w.pic.Move(Control::DesignName, 100, 300);
      w.pic.SetVisible(row.control, true);
      QPushButton* button = w.pic.button(row.control);
      QTest::mouseClick(w.pic.windowHandle(), b, {}, button->geometry().center());
      EXPECT_EQ(w.ends > 0, row.ends) << button->text().toStdString() << " button " << b;
    }
  }

  Window w;
  w.pic.SetVisible(Control::Banner, true);
  QPushButton* banner = w.pic.button(Control::Banner);
  // A wheel turn counts as a click, so on the banner it does nothing either.
  QWheelEvent wheel(QPointF(5, 5), banner->mapToGlobal(QPointF(5, 5)), {}, {0, 120}, Qt::NoButton,
                    {}, Qt::NoScrollPhase, false);
  QApplication::sendEvent(banner, &wheel);
  EXPECT_EQ(w.ends, 0);
  // Moves over it are measured in the window's pixels, a button held or not.
  const QPoint at = banner->geometry().center();
  w.MoveTo(at.x(), at.y());
  w.MoveTo(at.x() + 3, at.y());
  EXPECT_EQ(w.pic.LastMouseX(), at.x() + 3);
  QTest::mousePress(w.pic.windowHandle(), Qt::LeftButton, {}, at);
  QTest::mouseMove(w.pic.windowHandle(), at + QPoint(0, 2));
  EXPECT_EQ(w.pic.LastMouseY(), at.y() + 2);
  EXPECT_EQ(w.ends, 0);
  QTest::mouseMove(w.pic.windowHandle(), at + QPoint(20, 2));
  EXPECT_EQ(w.ends, 1);
  QTest::mouseRelease(w.pic.windowHandle(), Qt::LeftButton, {}, at + QPoint(20, 2));
}

TEST(FullScreenWindowMouse, SmallMovesKeepRunningAndLargerOnesEnd) {
  Window w;
  w.MoveTo(200, 200);  // the first move only records where the pointer is
  EXPECT_EQ(w.ends, 0);
  EXPECT_EQ(w.pic.LastMouseX(), 200);
  EXPECT_EQ(w.pic.LastMouseY(), 200);
  w.MoveTo(203, 203);
  w.MoveTo(200, 200);
  w.MoveTo(197, 203);  // 3 on both axes from the previous event, each time
  EXPECT_EQ(w.ends, 0);
  w.MoveTo(197, 207);  // 4 on one axis
  EXPECT_EQ(w.ends, 1);

  Window x;
  x.MoveTo(200, 200);
  x.MoveTo(204, 200);
  EXPECT_EQ(x.ends, 1);
}

TEST(FullScreenWindowMouse, MovesMeasuredFromThePreviousEventNotFromTheStart) {
  Window w;
  for (int step = 0; step <= 30; ++step) w.MoveTo(100 + 3 * step, 100);
  EXPECT_EQ(w.ends, 0);
  EXPECT_EQ(w.pic.LastMouseX(), 190);
}

TEST(FullScreenWindowMouse, EdgePositionsAndPendingSaves) {
  Window w;
  w.MoveTo(0, 200);  // stored x 0: the next move is not compared
  w.MoveTo(300, 300);
  EXPECT_EQ(w.ends, 0);
  w.run.SavePending = true;
  w.MoveTo(10, 10);
  EXPECT_EQ(w.ends, 0);
  EXPECT_EQ(w.pic.LastMouseX(), 10);

  // Positions are rounded half to even before they are stored.
  Window r;
  r.pic.HandleMouseMove(2.5f, 3.5f);
  EXPECT_EQ(r.pic.LastMouseX(), 2);
  EXPECT_EQ(r.pic.LastMouseY(), 4);
}

TEST(FullScreenWindowPicture, ShowsTheImageInItsBackground) {
  Window w;
  w.pic.SetBackColor(RGB(255, 255, 255));
  w.pic.SetDrawWidth(5);
  w.pic.Line(100, 100, 300, 100, RGB(255, 0, 0));
  w.pic.PushChanges();
  const QImage shot = w.pic.grab().toImage();
  EXPECT_EQ(shot.pixelColor(200, 100), QColor(255, 0, 0));
  EXPECT_EQ(shot.pixelColor(500, 200), QColor(255, 255, 255));
  EXPECT_EQ(w.pic.ScaleWidth(), 640);
  EXPECT_EQ(w.pic.ScaleHeight(), 480);

  w.pic.Cls();
  EXPECT_EQ(w.pic.grab().toImage().pixelColor(200, 100), QColor(255, 255, 255));
}

TEST(FullScreenWindowPicture, ANewScreenSizeKeepsThePictureAndPlacesTheControls) {
  for (const char* command_line : {"/s", "/s /z"}) {
    Window w(command_line);
    w.pic.SetBackColor(RGB(0, 0, 255));
    w.pic.Line(100, 100, 300, 100, RGB(255, 0, 0));
    w.run.SavePending = true;  // in companion mode the banner then stands centred
    for (QSize size : {QSize(800, 600), QSize(320, 240)}) {
      w.pic.setGeometry(QRect(QPoint(0, 0), size));
      QCoreApplication::processEvents();
      const Single sw = size.width(), sh = size.height();
      ASSERT_EQ(w.pic.ScaleWidth(), sw);
      ASSERT_EQ(w.pic.ScaleHeight(), sh);
      EXPECT_EQ(Surface::ToColour(w.pic.surface().pixel(200, 100)), RGB(255, 0, 0));
      EXPECT_EQ(Surface::ToColour(w.pic.surface().pixel(sw - 1, sh - 1)), RGB(0, 0, 255));
      auto centre_x = [&](Control c) { return w.pic.Left(c) + w.pic.Width(c) / 2; };
      auto centre_y = [&](Control c) { return w.pic.Top(c) + w.pic.Height(c) / 2; };
      for (Control c : {Control::Footer, Control::Banner, Control::Hint})
        EXPECT_NEAR(centre_x(c), sw / 2, 1) << command_line;
      EXPECT_NEAR(centre_y(Control::Hint), sh / 2, 1);
      EXPECT_EQ(w.pic.Top(Control::Footer) + w.pic.Height(Control::Footer), sh + 1);
      // The footer's text is on screen whole: its descenders stand clear of
      // the bottom edge.
      const QImage shown = w.pic.grab().toImage();
      const int left = std::max(0, static_cast<int>(w.pic.Left(Control::Footer)));
      const int right =
          std::min(shown.width(), left + static_cast<int>(w.pic.Width(Control::Footer)));
      // The footer's top row is above every glyph: its own background.
      const QColor paper =
          shown.pixelColor(shown.width() / 2, static_cast<int>(w.pic.Top(Control::Footer)));
      auto ink_in_row = [&](int y) {
        for (int x = left; x < right; ++x)
          if (shown.pixelColor(x, y) != paper) return true;
        return false;
      };
      EXPECT_TRUE(ink_in_row(static_cast<int>(sh) - 6)) << "no footer text";
      EXPECT_FALSE(ink_in_row(static_cast<int>(sh) - 1) || ink_in_row(static_cast<int>(sh) - 2))
          << "the footer's text touches the bottom edge";
      const Single banner_top =
          w.run.CompanionMode() ? (sh - w.pic.Height(Control::Banner)) / 2 : 5;
      EXPECT_NEAR(w.pic.Top(Control::Banner), banner_top, 1);
    }
  }
}

TEST(FullScreenWindowPicture, AScreenBeyondThePictureLimitShowsTheLargestPictureEnlarged) {
  Window w;
  w.pic.SetBackColor(RGB(255, 255, 255));
  w.pic.setGeometry(0, 0, 17000, 1000);
  QCoreApplication::processEvents();
  ASSERT_EQ(w.pic.ScaleWidth(), 16384);
  ASSERT_EQ(w.pic.ScaleHeight(), 963);
  w.pic.SetDrawWidth(9);
  w.pic.Line(16000, 500, 16300, 500, RGB(255, 0, 0));
  w.pic.PushChanges();
  // Window units are the picture's pixels, each shown 17000 / 16384 wide.
  const QImage shot = w.pic.grab(QRect(16000, 400, 1000, 200)).toImage();
  EXPECT_EQ(shot.pixelColor(16757 - 16000, 519 - 400), QColor(255, 0, 0));
  EXPECT_EQ(shot.pixelColor(16757 - 16000, 530 - 400), QColor(255, 255, 255));
  EXPECT_NEAR(w.pic.Top(Control::Footer) + w.pic.Height(Control::Footer), 964, 1);
}

#if defined(__SANITIZE_ADDRESS__)
#define KALO_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KALO_ADDRESS_SANITIZER 1
#endif
#endif

TEST(FullScreenWindowPicture, MemoryThatRunsOutInAResizeEndsTheSaver) {
#ifdef KALO_ADDRESS_SANITIZER
  GTEST_SKIP() << "the address sanitizer's own memory does not fit an address-space limit";
#endif
  Window w;
  w.pic.hide();
  const pid_t pid = fork();
  if (pid == 0) {
    alarm(20);  // an exception lost in Qt's dispatch may hang rather than abort
    // Room for what the process holds now and 64 MiB more: not for the
    // 244 MiB picture of an 8000 x 8000 screen.
    long size_kb = 0;
    std::ifstream status("/proc/self/status");
    for (std::string key; status >> key && key != "VmSize:";) {
    }
    status >> size_kb;
    const rlimit limit{static_cast<rlim_t>(size_kb + 65536) * 1024,
                       static_cast<rlim_t>(size_kb + 65536) * 1024};
    if (size_kb == 0 || setrlimit(RLIMIT_AS, &limit) != 0) _exit(2);
    w.pic.resize(8000, 8000);
    QResizeEvent grown(QSize(8000, 8000), QSize(640, 480));
    QCoreApplication::sendEvent(&w.pic, &grown);
    _exit(w.ends == 1 && OutOfMemoryNoted() && w.pic.ScaleWidth() == 640 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
}

TEST(FullScreenWindowPicture, NothingIsDrawnOnceUnloaded) {
  Window w;
  w.pic.Unload();
  w.pic.Line(0, 10, 600, 10, RGB(0, 255, 0));
  w.pic.PSet(50, 50, RGB(0, 255, 0));
  EXPECT_EQ(Surface::ToColour(w.pic.surface().pixel(300, 10)), 0);
  EXPECT_EQ(Surface::ToColour(w.pic.surface().pixel(50, 50)), 0);
  w.Key(Qt::Key_A);
  EXPECT_EQ(w.ends, 0);
}

TEST(FullScreenWindowWindow, TitleControlsAndMouseTracking) {
  Window w;
  EXPECT_EQ(w.pic.windowTitle(), "SCRNSAVE: KaloSaver");
  EXPECT_TRUE(w.pic.hasMouseTracking());
  EXPECT_TRUE(w.pic.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_FALSE(w.pic.IsVisible(Control::DesignName));
  EXPECT_TRUE(w.pic.IsVisible(Control::Hint));
  EXPECT_EQ(w.pic.Caption(Control::DesignName), "KaloSpiral");
  EXPECT_FLOAT_EQ(w.pic.Width(Control::Banner), 507);
  EXPECT_FLOAT_EQ(w.pic.Height(Control::Hint), 49);
}

// ---- Pacing ----------------------------------------------------------------

// A pacer on a clock that moves only when the test moves it.
struct Paced {
  Paced() : pacer([this] { ++pushes; }, [this] { return ended; }, clock.Now()) {}
  test::FakeClock clock;
  QtPacer pacer;
  int pushes = 0;
  bool ended = false;
};

TEST(QtPacer, SleepWaitsTheWholeTimeThoughTheQueueWakesItOften) {
  Paced p;
  p.clock.Tick(1);  // every pass of the event loop wakes the sleep and is a millisecond
  p.pacer.Sleep(120);
  EXPECT_GE(p.clock.ms(), 120);
  EXPECT_LT(p.clock.ms(), 125);
  EXPECT_EQ(p.pacer.figures().sleep_ns, p.clock.ms() * 1000000);
  EXPECT_EQ(p.pushes, 1);
}

TEST(QtPacer, InputEndsALongSleepAtOnce) {
  Window w;
  test::FakeClock clock;
  QtPacer pacer([&w] { w.pic.PushChanges(); }, [&w] { return w.ends > 0; }, clock.Now());
  clock.Tick(1, [&] {
    if (clock.ms() == 30) QTest::keyClick(&w.pic, Qt::Key_Q);
  });
  EXPECT_THROW(pacer.Sleep(5000), SaverEnded);
  EXPECT_EQ(clock.ms(), 30);
}

TEST(QtPacer, YieldHandlesPendingInputAndThenEnds) {
  Window w;
  QtPacer pacer([&w] { w.pic.PushChanges(); }, [&w] { return w.ends > 0; });
  EXPECT_NO_THROW(pacer.DoEvents());
  QCoreApplication::postEvent(&w.pic, new QKeyEvent(QEvent::KeyPress, Qt::Key_X, {}));
  EXPECT_THROW(pacer.DoEvents(), SaverEnded);
  EXPECT_THROW(pacer.Sleep(10), SaverEnded);  // stays ended
}

TEST(QtPacer, YieldsPushAndLookForInputAtMostSoOftenButZeroSleepsAlwaysDo) {
  Paced p;
  qint64 now_us = 0;
  // A yield (or a zero sleep) at a time in microseconds, then the pushes and
  // event passes so far.
  struct Step {
    qint64 at_us;
    bool sleep;
    int pushes;
    long long passes;
  };
  for (const auto [at_us, sleep, pushes, passes] : {Step{0, false, 1, 1},
                                                    {999, false, 1, 1},
                                                    {1000, false, 1, 2},
                                                    {7999, false, 1, 3},
                                                    {8000, false, 2, 4},
                                                    {8000, true, 3, 5},
                                                    {8000, true, 4, 6},
                                                    {8999, false, 4, 6},
                                                    {9000, false, 4, 7},
                                                    {15999, false, 4, 8},
                                                    {16000, false, 5, 9}}) {
    p.clock.AdvanceUs(at_us - now_us);
    now_us = at_us;
    sleep ? p.pacer.Sleep(0) : p.pacer.DoEvents();
    EXPECT_EQ(p.pushes, pushes) << at_us;
    EXPECT_EQ(p.pacer.figures().event_passes, passes) << at_us;
  }
}

// ---- Grabs ------------------------------------------------------------------

// Delivers one tick of the grab's retry timer, if it has one and it comes
// round every 50 ms, as the event loop would when that time is up.
bool RetryTick(InputGrab& grab) {
  // The dispatcher's list of timers is the one way to see a timer from
  // outside; newer Qt marks its element type for replacement, not removal.
  QT_WARNING_PUSH
  QT_WARNING_DISABLE_DEPRECATED
  const auto timers = QAbstractEventDispatcher::instance()->registeredTimers(&grab);
  if (timers.size() != 1 || timers[0].interval != 50) return false;
  QTimerEvent tick(timers[0].timerId);
  QT_WARNING_POP
  QCoreApplication::sendEvent(&grab, &tick);
  return true;
}

TEST(InputGrab, RetriesWhatAnotherProgramHoldsForASecondThenRunsWithout) {
  // Refusals of keyboard and pointer, and which are held in the end.
  for (auto [refusals_left, held] : {std::pair{std::array{0, 0}, std::array{true, true}},
                                     {{3, 1}, {true, true}},
                                     {{0, 999}, {true, false}}}) {
    auto& refusals = refusals_left;  // a lambda may not capture a binding before clang 16
    std::array released{0, 0};
    test::FakeClock clock;
    InputGrab grab(
        [&](InputDevice d, bool take) {
          const int i = static_cast<int>(d);
          return take ? refusals[i]-- <= 0 : ++released[i] > 0;
        },
        clock.Now());
    clock.Advance(5000);  // the second counts from the Take
    grab.Take();
    clock.Advance(999);
    for (int ticks = 0; ticks < 4 && grab.retrying(); ++ticks) ASSERT_TRUE(RetryTick(grab));
    EXPECT_EQ(grab.retrying(), !held[1]);
    clock.Advance(1);
    if (grab.retrying()) {
      ASSERT_TRUE(RetryTick(grab));
    }
    EXPECT_FALSE(grab.retrying());
    EXPECT_EQ(grab.holds(InputDevice::kKeyboard), held[0]);
    EXPECT_EQ(grab.holds(InputDevice::kPointer), held[1]);
    grab.Release();
    EXPECT_EQ(released, (std::array{held[0] ? 1 : 0, held[1] ? 1 : 0}));
    // A release while the grab is still being tried stops the trying.
    refusals = {999, 999};
    grab.Take();
    grab.Release();
    EXPECT_FALSE(grab.retrying() || grab.holds(InputDevice::kKeyboard));
  }
  // A window system without grabs, as Wayland: nothing is taken or tried.
  QWidget window;
  InputGrab none(&window);
  none.Take();
  EXPECT_FALSE(none.retrying() || none.holds(InputDevice::kKeyboard) ||
               none.holds(InputDevice::kPointer));
  none.Release();
}

}  // namespace
}  // namespace kalo
