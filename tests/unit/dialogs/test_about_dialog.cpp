// The about dialog: its check box carries ShowAboutFlag, Enter and Esc both
// press OK, and in saver mode keys and real mouse movement end the program
// while in configure mode they end nothing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <memory>
#include <string>

#include "dialogs/about_dialog.h"
#include "support/press_key.h"

namespace kalo {
namespace {

using test::PressKey;

// A modal dialog that the keys failed to close is closed as a failure after
// a while, so that a broken key path fails the test instead of hanging it.
void GuardAgainstHanging(QDialog* dialog) {
  QTimer::singleShot(3000, dialog, [dialog] { dialog->done(-1); });
}

struct AboutFixture : ::testing::Test {
  RunState run;
  AboutMouseMemory mouse;
  int ends = 0;

  std::unique_ptr<AboutDialog> Make(const std::string& commandLine) {
    run.CommandLine = commandLine;
    return std::make_unique<AboutDialog>(run, mouse, [this] { ++ends; });
  }
  static void Move(AboutDialog& form, int x, int y) {
    QMouseEvent move(QEvent::MouseMove, QPointF(x, y), form.mapToGlobal(QPointF(x, y)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &move);
  }
};

TEST_F(AboutFixture, CheckBoxShowsTheFlagAndOkAppliesIt) {
  run.ShowAboutFlag = true;
  auto form = Make("/c");
  auto* check = form->findChild<QCheckBox*>("Check1");
  ASSERT_NE(check, nullptr);
  EXPECT_TRUE(check->isChecked());
  check->click();
  form->findChild<QPushButton*>("cmdOK")->click();
  EXPECT_EQ(run.ShowAboutFlag, false);
  EXPECT_EQ(form->result(), QDialog::Accepted);

  // A new load shows the flag as it now stands.
  auto again = Make("/c");
  EXPECT_FALSE(again->findChild<QCheckBox*>("Check1")->isChecked());
  again->findChild<QCheckBox*>("Check1")->click();
  again->findChild<QPushButton*>("cmdOK")->click();
  EXPECT_EQ(run.ShowAboutFlag, true);
}

TEST_F(AboutFixture, FixedFormCentredWithItsCaptions) {
  auto form = Make("/c");
  EXPECT_EQ(form->windowTitle(), "KaloSaver");
  EXPECT_EQ(form->minimumSize(), form->maximumSize());
  EXPECT_GE(form->width(), 382);
  EXPECT_GE(form->height(), 237);
  const Qt::WindowFlags flags = form->windowFlags();
  EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_NEAR(form->x() + form->width() / 2, screen.center().x(), 1);
  EXPECT_NEAR(form->y() + form->height() / 2, screen.center().y(), 1);
  EXPECT_EQ(form->findChild<QLabel*>("Label3")->text(), "The Most Fascinating ScreenSaver");
  EXPECT_EQ(form->findChild<QLabel*>("Label2")->text(), "In The World!");
  EXPECT_TRUE(form->findChild<QLabel*>("Label3")->font().bold());
  EXPECT_TRUE(form->findChild<QPushButton*>("cmdOK")->isDefault());
  // Every control stays inside the form whatever the platform's fonts.
  for (QWidget* w : form->findChildren<QWidget*>()) {
    EXPECT_TRUE(form->rect().contains(w->geometry())) << w->objectName().toStdString();
  }
}

TEST_F(AboutFixture, EnterAndEscPressOkAndApplyTheCheckBox) {
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
    run.ShowAboutFlag = true;
    auto form = Make("/c");
    bool sent = false;
    QTimer::singleShot(0, [&] {
      auto* check = form->findChild<QCheckBox*>("Check1");
      check->click();
      // From the check box as well as from the button.
      check->setFocus();
      PressKey(check, key);
      sent = true;
    });
    GuardAgainstHanging(form.get());
    EXPECT_EQ(form->exec(), QDialog::Accepted) << key;
    EXPECT_TRUE(sent);
    EXPECT_EQ(run.ShowAboutFlag, false) << key;
    EXPECT_EQ(ends, 0);
  }
}

TEST_F(AboutFixture, ConfigureModeKeysAndMouseEndNothing) {
  auto form = Make("/c /S");  // an upper-case S is not the saver switch
  form->PrepareBrief();
  form->show();
  PressKey(form.get(), Qt::Key_A);
  PressKey(form.get(), Qt::Key_Space);
  Move(*form, 10, 10);
  Move(*form, 200, 150);
  Move(*form, 20, 30);
  EXPECT_EQ(ends, 0);
  EXPECT_TRUE(form->isVisible());
  // The position is still recorded for later comparisons.
  EXPECT_EQ(mouse.LastMouseX, 20);
  EXPECT_EQ(mouse.LastMouseY, 30);
}

TEST_F(AboutFixture, SaverModeKeyOnTheFormEnds) {
  auto form = Make("/s");
  form->PrepareBrief();
  EXPECT_FALSE(form->findChild<QLabel*>("Label1")->isVisibleTo(form.get()));
  EXPECT_FALSE(form->findChild<QPushButton*>("cmdOK")->isVisibleTo(form.get()));
  EXPECT_FALSE(form->findChild<QCheckBox*>("Check1")->isEnabled());
  form->show();
  // Keys end the saver even while it is starting up or a save is pending.
  run.StartingUp = true;
  run.SavePending = true;
  PressKey(form.get(), Qt::Key_Shift);
  EXPECT_EQ(ends, 1);
}

TEST_F(AboutFixture, SaverModeKeyOnAFocusedButtonStaysWithTheButton) {
  // After a save the dialog is modal with OK: keys go to OK, not to the form.
  run.ShowAboutFlag = true;
  auto form = Make("/s");
  form->PrepareAfterSave();
  EXPECT_FALSE(form->findChild<QCheckBox*>("Check1")->isEnabled());
  QTimer::singleShot(0, [&] {
    auto* ok = form->findChild<QPushButton*>("cmdOK");
    ok->setFocus();
    PressKey(ok, Qt::Key_A);
    EXPECT_EQ(ends, 0);
    PressKey(ok, Qt::Key_Return);
  });
  GuardAgainstHanging(form.get());
  EXPECT_EQ(form->exec(), QDialog::Accepted);
  EXPECT_EQ(ends, 0);
  EXPECT_EQ(run.ShowAboutFlag, true);
}

TEST_F(AboutFixture, SaverModeMouseEndsOnlyOnARealMove) {
  auto form = Make("/s");
  form->PrepareBrief();
  // The first event in the program's life only records the position.
  Move(*form, 100, 100);
  EXPECT_EQ(ends, 0);
  // Jitter of three pixels either way keeps the dialog.
  Move(*form, 103, 97);
  Move(*form, 100, 100);
  EXPECT_EQ(ends, 0);
  // Not while starting up: nothing is compared or recorded.
  run.StartingUp = true;
  Move(*form, 300, 200);
  EXPECT_EQ(ends, 0);
  EXPECT_EQ(mouse.LastMouseX, 100);
  run.StartingUp = false;
  // Not while a save is pending, though the position moves on.
  run.SavePending = true;
  Move(*form, 150, 100);
  EXPECT_EQ(ends, 0);
  EXPECT_EQ(mouse.LastMouseX, 150);
  run.SavePending = false;
  // Four pixels in one direction end it.
  Move(*form, 150, 104);
  EXPECT_EQ(ends, 1);
}

TEST_F(AboutFixture, SaverModeMouseDisarmedAtTheEdgeAndRememberedAcrossLoads) {
  {
    auto form = Make("/s");
    Move(*form, 0, 50);  // x of 0 disarms the next comparison
    Move(*form, 200, 50);
    EXPECT_EQ(ends, 0);
  }
  // A later showing compares its first movement with the last one recorded.
  auto form = Make("/s");
  Move(*form, 210, 50);
  EXPECT_EQ(ends, 1);
}

}  // namespace
}  // namespace kalo
