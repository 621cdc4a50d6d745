// The settings dialog: what it shows for a profile, what OK writes, that
// Cancel writes nothing, and that a failed write is reported.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <string>

#include "dialogs/settings_dialog.h"
#include "support/file_text.h"
#include "support/press_key.h"

namespace kalo {
namespace {

using test::PressKey;

using test::ReadFile;
using test::WriteFile;

struct SettingsFixture : ::testing::Test {
  QTemporaryDir dir;
  std::string profile = dir.filePath("CONTROL.INI").toStdString();
  RunState run;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    run.CommandLine = "/c";
  }

  // A profile holding the given lines in the saver's section.
  void Store(const std::string& lines) { WriteFile(profile, "[Screen Saver.KaloShare]\n" + lines); }

  template <typename T>
  static T* Get(SettingsDialog& s, const char* name) {
    T* w = s.findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  static QScrollBar* Bar(SettingsDialog& s, const char* name) { return Get<QScrollBar>(s, name); }
  static QRadioButton* Opt(SettingsDialog& s, const char* name) { return Get<QRadioButton>(s, name); }
  static QString Text(SettingsDialog& s, const char* label) { return Get<QLabel>(s, label)->text(); }
  static bool BrightnessEnabled(SettingsDialog& s) {
    const bool on = Get<QGroupBox>(s, "Frame3")->isEnabled();
    EXPECT_EQ(Bar(s, "HScroll2")->isEnabled(), on);
    EXPECT_EQ(Get<QLabel>(s, "Label3")->isEnabled(), on);
    EXPECT_EQ(Get<QLabel>(s, "Label4")->isEnabled(), on);
    return on;
  }
  static void Click(SettingsDialog& s, const char* button) { Get<QPushButton>(s, button)->click(); }
};

const char* const kFreshProfileWritten =
    "[Screen Saver.KaloShare]\n"
    "KaloSpiral=TRUE\n"
    "KaloYarn=FALSE\n"
    "KaloStar=FALSE\n"
    "KaloGons=TRUE\n"
    "KaloAngle=FALSE\n"
    "KaloBoxes=FALSE\n"
    "DrawDelay=0\n"
    "Brightness=255\n"
    "MaxDrawWidth=80\n"
    "MaxLayers=24\n"
    "LinesDots=LD\n"
    "SolidMix=SM\n"
    "BgColor=Black\n"
    "Roundness=Both\n"
    "ShowAbout=TRUE\n";

TEST_F(SettingsFixture, FreshProfileFillsTheControlsWithTheDefaults) {
  SettingsDialog s(run, profile);
  const bool expected[] = {true, false, false, true, false, false};
  const char* const checks[] = {"Check1", "Check2", "Check3", "Check4", "Check5", "Check6"};
  for (int i = 0; i < 6; ++i) {
    auto* c = Get<QCheckBox>(s, checks[i]);
    EXPECT_EQ(c->isChecked(), expected[i]) << checks[i];
    EXPECT_EQ(c->text().toStdString(), kSettingNames[i]);
  }
  EXPECT_EQ(Bar(s, "HScroll1")->value(), 1000);
  EXPECT_EQ(Text(s, "Label11"), "(1000)");
  EXPECT_EQ(Bar(s, "HScroll2")->value(), 255);
  EXPECT_EQ(Get<QGroupBox>(s, "Frame3")->title(), " Brightness = 255");
  EXPECT_EQ(Bar(s, "HScroll3")->value(), 80);
  EXPECT_EQ(Text(s, "Label12"), "(80)");
  EXPECT_EQ(Bar(s, "HScroll4")->value(), 24);  // the driver's 32 does not fit
  EXPECT_EQ(Text(s, "Label9"), "(24)");
  EXPECT_TRUE(Opt(s, "Option1")->isChecked());
  EXPECT_TRUE(Opt(s, "Option4")->isChecked());
  EXPECT_FALSE(BrightnessEnabled(s));
  EXPECT_TRUE(Opt(s, "Option7")->isChecked());
  EXPECT_TRUE(Opt(s, "Option9")->isChecked());
  EXPECT_EQ(run.ShowAboutFlag, true);
  EXPECT_EQ(s.windowTitle(), "KaloSaver Settings");
  // Fixed, and never smaller than drawn; a larger font makes it larger.
  EXPECT_EQ(s.minimumSize(), s.maximumSize());
  EXPECT_GE(s.width(), 387);
  EXPECT_GE(s.height(), 335);
  EXPECT_FALSE(s.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(s.focusWidget(), Get<QPushButton>(s, "cmdOK"));
}

TEST_F(SettingsFixture, OkOnAFreshProfileWritesTheFifteenKeysInOrder) {
  SettingsDialog s(run, profile);
  Click(s, "cmdOK");
  EXPECT_EQ(s.result(), QDialog::Accepted);
  EXPECT_FALSE(s.SaveFailed());
  EXPECT_EQ(ReadFile(profile), kFreshProfileWritten);
}

TEST_F(SettingsFixture, StoredProfileIsShownAndWrittenBackInTheLongForms) {
  Store(
      "KaloSpiral=false\nKaloYarn=true\nKaloStar=TRUE\nKaloGons=yes\nKaloAngle=True\n"
      "KaloBoxes=TRUEISH\nDrawDelay=250\nBrightness=180.5\nMaxDrawWidth=12ms\nMaxLayers=7\n"
      "LinesDots=Dots\nSolidMix=Solid\nBgColor=random\nRoundness=Circular\nShowAbout=no\n");
  SettingsDialog s(run, profile);
  EXPECT_EQ(Bar(s, "HScroll1")->value(), 750);
  EXPECT_EQ(Bar(s, "HScroll2")->value(), 180);  // halves go to even
  EXPECT_EQ(Get<QGroupBox>(s, "Frame3")->title(), " Brightness = 180.5");
  EXPECT_EQ(Text(s, "Label12"), "(12)");
  EXPECT_EQ(Text(s, "Label9"), "(7)");
  EXPECT_TRUE(Opt(s, "Option3")->isChecked());
  EXPECT_TRUE(Opt(s, "Option5")->isChecked());
  EXPECT_TRUE(BrightnessEnabled(s));
  EXPECT_TRUE(Opt(s, "Option8")->isChecked());
  EXPECT_TRUE(Opt(s, "Option11")->isChecked());
  EXPECT_EQ(run.ShowAboutFlag, false);

  Click(s, "cmdOK");
  EXPECT_EQ(ReadFile(profile),
            "[Screen Saver.KaloShare]\n"
            "KaloSpiral=FALSE\nKaloYarn=TRUE\nKaloStar=TRUE\nKaloGons=FALSE\nKaloAngle=TRUE\n"
            "KaloBoxes=TRUE\nDrawDelay=250\nBrightness=180\nMaxDrawWidth=12\nMaxLayers=7\n"
            "LinesDots=Dots\nSolidMix=Solid\nBgColor=Random\nRoundness=Circular\n"
            "ShowAbout=FALSE\n");
}

TEST_F(SettingsFixture, OutOfRangeNumbersAndUnknownCodes) {
  Store(
      "Brightness=50\nMaxLayers=0\nDrawDelay=5000\nMaxDrawWidth=200\nSolidMix=XX\n"
      "LinesDots=??\nRoundness=\nBgColor=R\n");
  SettingsDialog s(run, profile);
  // Brightness and layers go to their maximum, not the nearer end; the frame
  // keeps the stored value until the slider changes.
  EXPECT_EQ(Bar(s, "HScroll2")->value(), 255);
  EXPECT_EQ(Get<QGroupBox>(s, "Frame3")->title(), " Brightness = 50");
  EXPECT_EQ(Text(s, "Label9"), "(24)");
  // Delay and pen width land at the nearer end of their sliders.
  EXPECT_EQ(Bar(s, "HScroll1")->value(), 1);
  EXPECT_EQ(Text(s, "Label11"), "(1)");
  EXPECT_EQ(Text(s, "Label12"), "(128)");
  // Unknown codes, and a code's first letter alone, keep the initial
  // selection; the Brightness group stays enabled.
  EXPECT_TRUE(Opt(s, "Option1")->isChecked());
  EXPECT_TRUE(Opt(s, "Option4")->isChecked());
  EXPECT_TRUE(Opt(s, "Option7")->isChecked());
  EXPECT_TRUE(Opt(s, "Option9")->isChecked());
  EXPECT_TRUE(BrightnessEnabled(s));

  Bar(s, "HScroll2")->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(Get<QGroupBox>(s, "Frame3")->title(), " Brightness = 254");

  Store("DrawDelay=-40\nMaxDrawWidth=1\nMaxLayers=25\nBrightness=99\n");
  SettingsDialog low(run, profile);
  EXPECT_EQ(Text(low, "Label11"), "(1000)");
  EXPECT_EQ(Text(low, "Label12"), "(3)");
  EXPECT_EQ(Text(low, "Label9"), "(24)");
  EXPECT_EQ(Get<QGroupBox>(low, "Frame3")->title(), " Brightness = 99");
}

TEST_F(SettingsFixture, SpeedSliderIsTheInverseOfTheDelay) {
  SettingsDialog s(run, profile);
  auto* speed = Bar(s, "HScroll1");
  speed->setValue(1);
  EXPECT_EQ(Text(s, "Label11"), "(1)");
  EXPECT_EQ(s.TextsFromControls()[kDrawDelay], "999");
  speed->setValue(1000);
  EXPECT_EQ(s.TextsFromControls()[kDrawDelay], "0");
  // While the thumb is dragged the label stays; it follows on release.
  speed->setSliderDown(true);
  speed->setSliderPosition(400);
  EXPECT_EQ(Text(s, "Label11"), "(1000)");
  speed->setSliderDown(false);
  EXPECT_EQ(Text(s, "Label11"), "(400)");
  Click(s, "cmdOK");
  EXPECT_NE(ReadFile(profile).find("\nDrawDelay=600\n"), std::string::npos);
}

TEST_F(SettingsFixture, OnlySolidOnlyEnablesBrightnessWhichIsWrittenInEveryMode) {
  SettingsDialog s(run, profile);
  Opt(s, "Option5")->click();
  EXPECT_TRUE(BrightnessEnabled(s));
  Bar(s, "HScroll2")->setValue(120);
  Opt(s, "Option6")->click();
  EXPECT_FALSE(BrightnessEnabled(s));
  EXPECT_EQ(s.TextsFromControls()[kBrightness], "120");
  EXPECT_EQ(s.TextsFromControls()[kSolidMix], "Mix");
  Opt(s, "Option5")->click();
  Opt(s, "Option4")->click();
  EXPECT_FALSE(BrightnessEnabled(s));
  // The four frames are independent choices.
  Opt(s, "Option2")->click();
  Opt(s, "Option10")->click();
  EXPECT_TRUE(Opt(s, "Option4")->isChecked());
  EXPECT_TRUE(Opt(s, "Option7")->isChecked());
  const SettingsTexts t = s.TextsFromControls();
  EXPECT_EQ(t[kLinesDots], "Lines");
  EXPECT_EQ(t[kRoundness], "Display");
  EXPECT_EQ(t[kBrightness], "120");
}

TEST_F(SettingsFixture, OkWithNoTypeCheckedStillEnablesSpiral) {
  SettingsDialog s(run, profile);
  for (const char* c : {"Check1", "Check2", "Check3", "Check4", "Check5", "Check6"}) {
    Get<QCheckBox>(s, c)->setChecked(false);
  }
  EXPECT_EQ(s.TextsFromControls()[kKaloSpiral], "TRUE");
  Click(s, "cmdOK");
  const std::string text = ReadFile(profile);
  EXPECT_NE(text.find("KaloSpiral=TRUE\nKaloYarn=FALSE\nKaloStar=FALSE\nKaloGons=FALSE\n"
                      "KaloAngle=FALSE\nKaloBoxes=FALSE\n"),
            std::string::npos)
      << text;
  // The check box itself is left as the user set it.
  EXPECT_FALSE(Get<QCheckBox>(s, "Check1")->isChecked());
}

// Opens the about dialog from the settings dialog, unticks its check box and
// closes it with the given key on the focused control.
void ToggleShowAboutInTheAboutDialog(SettingsDialog& s, Qt::Key closeWith, bool* seen) {
  QTimer::singleShot(0, [closeWith, seen] {
    auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(about, nullptr);
    *seen = true;
    about->findChild<QCheckBox*>("Check1")->click();
    auto* ok = about->findChild<QPushButton*>("cmdOK");
    // Keys over the dialog end nothing in configure mode.
    PressKey(ok, Qt::Key_A);
    QMouseEvent far(QEvent::MouseMove, QPointF(5, 5), about->mapToGlobal(QPointF(5, 5)),
                    Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(about, &far);
    QMouseEvent farther(QEvent::MouseMove, QPointF(300, 200), about->mapToGlobal(QPointF(300, 200)),
                        Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(about, &farther);
    EXPECT_TRUE(about->isVisible());
    PressKey(ok, closeWith);
  });
  // Should the keys fail to close the about dialog, fail instead of hanging.
  QTimer::singleShot(3000, &s, [] {
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->done(-1);
  });
  s.findChild<QPushButton*>("cmdAbout")->click();
}

TEST_F(SettingsFixture, CancelWritesNothingEvenAfterTheAboutDialogChangedTheFlag) {
  const std::string before = "[Screen Saver.KaloShare]\r\nShowAbout=TRUE\r\nDrawDelay=3\r\n";
  WriteFile(profile, before);
  SettingsDialog s(run, profile);
  bool seen = false;
  ToggleShowAboutInTheAboutDialog(s, Qt::Key_Escape, &seen);
  EXPECT_TRUE(seen);
  EXPECT_EQ(run.ShowAboutFlag, false);
  EXPECT_TRUE(s.findChild<QPushButton*>("cmdOK")->hasFocus() ||
              s.focusWidget() == s.findChild<QPushButton*>("cmdOK"));
  EXPECT_FALSE(s.isVisible() && s.result() == QDialog::Accepted);
  Click(s, "cmdCancel");
  EXPECT_EQ(s.result(), QDialog::Rejected);
  EXPECT_EQ(ReadFile(profile), before);
}

TEST_F(SettingsFixture, AboutDialogChangeReachesTheProfileThroughOk) {
  SettingsDialog s(run, profile);
  bool seen = false;
  ToggleShowAboutInTheAboutDialog(s, Qt::Key_Return, &seen);
  EXPECT_TRUE(seen);
  Click(s, "cmdOK");
  EXPECT_NE(ReadFile(profile).find("\nShowAbout=FALSE\n"), std::string::npos);
}

TEST_F(SettingsFixture, EnterAndEscOnlyActOnTheFocusedControl) {
  SettingsDialog s(run, profile);
  s.show();
  auto* check = Get<QCheckBox>(s, "Check2");
  check->setFocus();
  PressKey(check, Qt::Key_Return);
  PressKey(check, Qt::Key_Escape);
  EXPECT_TRUE(s.isVisible());
  EXPECT_FALSE(QFile::exists(QString::fromStdString(profile)));
  auto* cancel = Get<QPushButton>(s, "cmdCancel");
  cancel->setFocus();
  PressKey(cancel, Qt::Key_Return);
  EXPECT_FALSE(s.isVisible());
  EXPECT_EQ(s.result(), QDialog::Rejected);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(profile)));
}

TEST_F(SettingsFixture, FailedWriteIsReportedBeforeTheDialogCloses) {
  // A folder that is a regular file cannot hold the profile, even for root.
  const std::string blocker = dir.filePath("blocker").toStdString();
  WriteFile(blocker, "not a folder");
  SettingsDialog s(run, blocker + "/CONTROL.INI");
  QString shown;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shown = box->text();
      box->accept();
    }
  });
  poll.start(10);
  Click(s, "cmdOK");
  poll.stop();
  EXPECT_FALSE(shown.isEmpty());
  EXPECT_TRUE(shown.contains("could not be saved")) << shown.toStdString();
  EXPECT_EQ(s.result(), QDialog::Accepted);
  EXPECT_TRUE(s.SaveFailed()) << "the program must not end as if all went well";
  EXPECT_EQ(ReadFile(blocker), "not a folder");
}

}  // namespace
}  // namespace kalo
