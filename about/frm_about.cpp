#include "about/frm_about.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/numbers.h"
#include "platform/twips.h"

namespace kalo {

namespace {

constexpr int kFormWidth = 5730;
constexpr int kFormHeight = 3555;
constexpr int kMargin = 90;  // where the rule starts: text keeps the same distance from the border

// A check box whose caption wraps onto as many lines as its width needs: the
// caption of Check1 is a sentence, and the platform's check box would clip it.
class WrappingCheckBox : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;

  // The height the caption needs at the given width.
  int HeightFor(int width) const {
    const QString wrapped = Wrapped(width);
    const int lines = static_cast<int>(wrapped.count(QLatin1Char('\n'))) + 1;
    return std::max(lines * fontMetrics().lineSpacing() + 2,
                    style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this));
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QStylePainter p(this);
    QStyleOptionButton opt;
    initStyleOption(&opt);
    opt.text = Wrapped(width());
    p.drawControl(QStyle::CE_CheckBox, opt);
  }
  // The whole box answers the mouse, not only the first line of the caption.
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

 private:
  QString Wrapped(int width) const {
    const int room = width - style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this) -
                     style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, this) - 4;
    const QFontMetrics fm = fontMetrics();
    QString out;
    QString line;
    for (const QString& word : text().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
      const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
      if (!line.isEmpty() && fm.horizontalAdvance(candidate) > room) {
        out += line + QLatin1Char('\n');
        line = word;
      } else {
        line = candidate;
      }
    }
    return out + line;
  }
};

// Places a centred label at its designed box. Where the platform's font is
// wider than the box, the box grows evenly on both sides, so the text stays
// centred where it was meant to be, and wraps once it would pass the margins.
void PlaceCentred(QLabel* label, QRect box) {
  const int widest = Px(kFormWidth) - 2 * Px(kMargin);
  const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 4;
  if (needed > box.width()) {
    const int width = std::min(needed, widest);
    int left = box.center().x() - width / 2;
    left = std::clamp(left, Px(kMargin), Px(kFormWidth) - Px(kMargin) - width);
    box.setLeft(left);
    box.setWidth(width);
    if (needed > widest) {
      label->setWordWrap(true);
      box.setHeight(std::max(box.height(), label->heightForWidth(width)));
    }
  }
  label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  label->setGeometry(box);
}

}  // namespace

FrmAbout::FrmAbout(RunState& run, AboutMouseMemory& mouse, std::function<void()> endSaver,
                   QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      run_(run),
      mouse_(mouse),
      endSaver_(std::move(endSaver)) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QStringLiteral("KaloSaver"));
  setFixedSize(Px(kFormWidth), Px(kFormHeight));
  // Movement over the bare form must reach the handler without a button held.
  setMouseTracking(true);
  // The form is laid out for an eight-point dialog font; larger desktop
  // fonts would spill out of the fixed positions.
  QFont dialogFont = font();
  dialogFont.setPointSizeF(8);
  setFont(dialogFont);

  QFont titleFont = font();
  titleFont.setBold(true);
  titleFont.setPointSizeF(9.75);

  Label3_ = new QLabel(QStringLiteral("The Most Fascinating ScreenSaver"), this);
  Label3_->setObjectName(QStringLiteral("Label3"));
  Label3_->setFont(titleFont);
  PlaceCentred(Label3_, TwipsRect(1065, 405, 3765, 240));

  Label2_ = new QLabel(QStringLiteral("In The World!"), this);
  Label2_->setObjectName(QStringLiteral("Label2"));
  Label2_->setFont(titleFont);
  PlaceCentred(Label2_, TwipsRect(1410, 645, 2955, 240));

  Label1_ = new QLabel(
      QStringLiteral("Save designs from this screen saver and load them into 'KaloDraw'"), this);
  Label1_->setObjectName(QStringLiteral("Label1"));
  PlaceCentred(Label1_, TwipsRect(615, 1770, 4740, 240));

  auto* check = new WrappingCheckBox(
      QStringLiteral("Show this form occasionally when 'KaloSaver' is running"), this);
  Check1_ = check;
  Check1_->setObjectName(QStringLiteral("Check1"));
  QRect checkBox = TwipsRect(2745, 2880, 2415, 435);
  checkBox.setHeight(std::min(std::max(checkBox.height(), check->HeightFor(checkBox.width())),
                              Px(kFormHeight) - checkBox.top()));
  Check1_->setGeometry(checkBox);
  Check1_->setChecked(true);

  cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
  cmdOK_->setObjectName(QStringLiteral("cmdOK"));
  cmdOK_->setGeometry(TwipsRect(975, 2940, 1260, 345));
  cmdOK_->setDefault(true);
  connect(cmdOK_, &QPushButton::clicked, this, &FrmAbout::cmdOK_Click);

  setTabOrder(cmdOK_, Check1_);
  cmdOK_->setFocus();

  // Form_Load: centred on the screen, the check box showing the flag.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect s = screen->geometry();
    move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2);
  }
  Check1_->setChecked(IsTrue(run_.ShowAboutFlag));
}

void FrmAbout::PrepareBrief() {
  Label1_->hide();
  // A hidden button must not keep the focus, or the form would never see keys.
  cmdOK_->clearFocus();
  cmdOK_->hide();
  Check1_->setEnabled(false);
  Label3_->setText(QStringLiteral("The Most Fascinating ScreenSaver"));
  Label2_->setText(QStringLiteral("In The World!"));
}

void FrmAbout::PrepareAfterSave() { Check1_->setEnabled(false); }

void FrmAbout::cmdOK_Click() {
  run_.ShowAboutFlag = ToBoolean(Check1_->isChecked());
  accept();
}

bool FrmAbout::SaverRunning() const { return run_.CommandLine.find("/s") != std::string::npos; }

bool FrmAbout::ControlHasFocus() const {
  const QWidget* f = focusWidget();
  return f && f != this && f->isVisible() && f->isEnabled() && f->focusPolicy() != Qt::NoFocus;
}

void FrmAbout::keyPressEvent(QKeyEvent* event) {
  if (!ControlHasFocus() && SaverRunning()) {
    // Ends the program: the dialog may be gone once this returns.
    Form_KeyDown();
    return;
  }
  // OK is both the default and the cancel button: Enter and Esc press it
  // whenever it can be pressed, whichever control holds the focus.
  const int key = event->key();
  const bool enterOrEsc = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
  if (enterOrEsc && cmdOK_->isVisible() && cmdOK_->isEnabled()) {
    cmdOK_->click();
    return;
  }
  event->ignore();
}

void FrmAbout::Form_KeyDown() {
  if (SaverRunning() && endSaver_) endSaver_();
}

void FrmAbout::mouseMoveEvent(QMouseEvent* event) {
  Form_MouseMove(event->position().x(), event->position().y());
}

void FrmAbout::Form_MouseMove(double x, double y) {
  if (IsTrue(run_.StartingUp)) return;
  if (mouse_.LastMouseX >= 1 && mouse_.LastMouseY >= 1) {
    const Single dx = static_cast<Single>(std::fabs(x - mouse_.LastMouseX));
    const Single dy = static_cast<Single>(std::fabs(y - mouse_.LastMouseY));
    if ((dx > 3 || dy > 3) && run_.SavePending == False && SaverRunning()) {
      if (endSaver_) endSaver_();
      return;
    }
  }
  mouse_.LastMouseX = CInt(x);
  mouse_.LastMouseY = CInt(y);
}

void FrmAbout::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  // The double rule above the bottom row: a grey line with a lighter one
  // under it, like an etched groove.
  QPainter p(this);
  p.setPen(QColor(128, 128, 128));
  p.drawLine(Px(90), Px(2625), Px(5654), Px(2625));
  p.setPen(QColor(192, 192, 192));
  p.drawLine(Px(105), Px(2655), Px(5654), Px(2655));
}

}  // namespace kalo
