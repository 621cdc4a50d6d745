// Every form fits its font at 96, 120 and 192 dots an inch: no two shown
// controls of one parent overlap, every control lies inside its parent's
// contents (a frame's below its title), and every caption fits its control.
// A higher resolution is given as a larger desktop font (p points at d dots
// an inch are p * d / 96 points at 96), so each form really has more text to
// place, rather than the same layout drawn larger.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "dialogs/about_dialog.h"
#include "dialogs/settings_dialog.h"
#include "engine/startup_rules.h"
#include "screen/full_screen_window.h"
#include "support/scripted_random.h"

namespace kalo {
namespace {

std::string Name(const QWidget* w) {
  const QString name = w->objectName();
  return (name.isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : name).toStdString();
}

// The caption of a control, where its style draws it and how.
QString Caption(const QWidget* w, QRect& room, int& flags) {
  flags = Qt::TextShowMnemonic | (w->property("wordWrap").toBool() ? Qt::TextWordWrap : 0);
  if (auto* label = qobject_cast<const QLabel*>(w)) {
    flags |= static_cast<int>(label->alignment());
    room = label->contentsRect();
    return label->text();
  }
  auto* button = qobject_cast<const QAbstractButton*>(w);
  if (!button) return {};
  QStyleOptionButton opt;
  opt.initFrom(w);
  QStyle::SubElement e = QStyle::SE_PushButtonContents;
  if (qobject_cast<const QCheckBox*>(w)) e = QStyle::SE_CheckBoxContents;
  if (qobject_cast<const QRadioButton*>(w)) e = QStyle::SE_RadioButtonContents;
  flags |= e == QStyle::SE_PushButtonContents ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter;
  room = w->style()->subElementRect(e, &opt, w) & w->contentsRect();
  return button->text();
}

void ExpectCaptionFits(const QWidget* w, const std::string& where) {
  QRect room;
  int flags = 0;
  const QString caption = Caption(w, room, flags);
  if (caption.isEmpty()) return;
  const QRect text = w->fontMetrics().boundingRect(room, flags, caption);
  EXPECT_TRUE(room.contains(text))
      << where << Name(w) << ": \"" << caption.toStdString() << "\" needs " << text.width() << "x"
      << text.height() << ", has " << room.width() << "x" << room.height();
  // Nor may the parent cut it off.
  const QRect shown(w->mapToParent(text.topLeft()), text.size());
  EXPECT_TRUE(w->parentWidget()->rect().contains(shown)) << where << Name(w) << " cut off";
}

void ExpectTitleFits(const QGroupBox* box, const std::string& where) {
  QStyleOptionGroupBox opt;
  opt.initFrom(box);
  opt.text = box->title();
  opt.textAlignment = box->alignment();
  opt.lineWidth = 1;
  opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
  const QRect label =
      box->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, box);
  EXPECT_TRUE(box->rect().contains(label)) << where << Name(box) << " title";
}

void ExpectFits(const QWidget* parent, const std::string& where) {
  const QList<QWidget*> kids = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  for (qsizetype i = 0; i < kids.size(); ++i) {
    const QWidget* a = kids[i];
    for (qsizetype j = i + 1; j < kids.size(); ++j) {
      const QWidget* b = kids[j];
      if (a->isHidden() || b->isHidden()) continue;
      EXPECT_FALSE(a->geometry().intersects(b->geometry()))
          << where << Name(a) << " overlaps " << Name(b);
    }
    // The saver window lets its footer hang over the screen's edge; only
    // its caption must stay on the screen.
    if (qobject_cast<const QGroupBox*>(parent) || qobject_cast<const QDialog*>(parent)) {
      EXPECT_TRUE(parent->contentsRect().contains(a->geometry()))
          << where << Name(a) << " outside " << Name(parent);
    }
    if (auto* box = qobject_cast<const QGroupBox*>(a)) ExpectTitleFits(box, where);
    ExpectCaptionFits(a, where);
    ExpectFits(a, where);
  }
}

// The saver window's controls as they stand during the first design, with
// a save pending.
struct SaverWindow {
  RunState run;
  DesignState design;
  test::ScriptedRandom rnd{0.5f};
  FullScreenWindow pic{run, [] {}};

  // A 1024 x 768 screen at 96 dots an inch has `dpi` / 96 times the pixels
  // each way at `dpi`.
  explicit SaverWindow(int dpi) {
    run.CommandLine = "/s";
    for (int k = 0; k < kSettingCount; ++k) run.Settings.text[k] = kSettingDefaults[k];
    pic.setGeometry(0, 0, 1024 * dpi / 96, 768 * dpi / 96);
    pic.show();  // takes the new size into the image
    PrepareSaver(run, design, pic, pic, rnd);
    FinishStartup(run, design, pic, pic);
    pic.SetCaption(Control::Banner, kSavePendingBanner);
    pic.SetVisible(Control::Banner, true);
  }
};

TEST(FormFit, NothingOverlapsOrIsCutOffAtAnyResolution) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string profile = dir.filePath("CONTROL.INI").toStdString();
  const QFont desktop = QApplication::font();
  for (const std::string form : {"settings", "about", "saver"}) {
    for (const int dpi : {96, 120, 192}) {
      QFont font = desktop;
      font.setPointSizeF(desktop.pointSizeF() * dpi / 96);
      QApplication::setFont(font);
      const std::string where = form + " at " + std::to_string(dpi) + ": ";
      RunState run;
      AboutMouseMemory mouse;
      if (form == "settings") {
        ExpectFits(std::make_unique<kalo::SettingsDialog>(run, profile).get(), where);
      } else if (form == "about") {
        ExpectFits(std::make_unique<AboutDialog>(run, mouse, [] {}).get(), where);
      } else {
        SaverWindow saver(dpi);
        ExpectFits(&saver.pic, where);
        // The banner's other caption and every design name fit as well.
        saver.pic.SetCaption(Control::Banner, kCompanionHint);
        ExpectCaptionFits(saver.pic.button(Control::Banner), where);
        for (const char* name : kDesignTypeNames) {
          saver.pic.SetCaption(Control::DesignName, name);
          ExpectCaptionFits(saver.pic.button(Control::DesignName), where);
        }
      }
    }
  }
  QApplication::setFont(desktop);
}

}  // namespace
}  // namespace kalo
