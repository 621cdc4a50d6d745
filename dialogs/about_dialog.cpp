#include "dialogs/about_dialog.h"

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
#include <climits>
#include <cmath>
#include <string>
#include <utility>

#include "core/numbers.h"
#include "screen/form_layout.h"

namespace kalo {

namespace {

constexpr int kFormWidth = 5730;
constexpr int kFormHeight = 3555;
constexpr int kMargin = 90;  // where the rule starts: text keeps the same distance from the border

// A check box whose caption wraps onto as many lines as its width needs: the
// caption of Check1 is a sentence, and the platform's check box would clip it.
class WrappingCheckBox : public QCheckBox {
 public:
  explicit WrappingCheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {
    setProperty("wordWrap", true);
  }

  // The height the caption needs at the given width.
  int HeightFor(int width) const {
    const QRect caption = fontMetrics().boundingRect(CaptionRect(QRect(0, 0, width, INT_MAX / 4)),
                                                     kCaptionFlags, text());
    return std::max(caption.height() + 2,
                    style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this));
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QStylePainter p(this);
    QStyleOptionButton opt;
    initStyleOption(&opt);
    opt.text.clear();
    p.drawControl(QStyle::CE_CheckBox, opt);
    p.drawItemText(CaptionRect(rect()), kCaptionFlags, palette(), isEnabled(), text(),
                   QPalette::WindowText);
  }
  // The whole box answers the mouse, not only the first line of the caption.
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

 private:
  static constexpr int kCaptionFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;

  // Where the style puts the caption of a check box of the given size.
  QRect CaptionRect(const QRect& box) const {
    QStyleOptionButton opt;
    initStyleOption(&opt);
    opt.rect = box;
    return style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, this);
  }
};

// The double rule above the bottom row: a grey line with a lighter one under
// it, like an etched groove.
class EtchedRule : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setPen(QColor(128, 128, 128));
    p.drawLine(0, 0, width() - 1, 0);
    p.setPen(QColor(192, 192, 192));
    p.drawLine(1, height() - 1, width() - 1, height() - 1);
  }
};

// A centred label at its designed box. Where the font is wider than the box,
// the box grows evenly on both sides, so the text stays centred where it was
// meant to be, and wraps once it would pass the form's margins.
Placement Centred(QLabel* label, QRect box, int formWidth, int margin) {
  label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  const int widest = formWidth - 2 * margin;
  const int needed = label->sizeHint().width();
  if (needed > box.width()) {
    const int width = std::min(needed, widest);
    const int left = std::clamp(box.center().x() - width / 2, margin, formWidth - margin - width);
    box = QRect(left, box.top(), width, box.height());
  }
  QSize need(box.width(), label->sizeHint().height());
  if (needed > widest) {
    label->setWordWrap(true);
    need.setHeight(label->heightForWidth(box.width()));
  }
  return {label, box, need};
}

}  // namespace

AboutDialog::AboutDialog(RunState& run, AboutMouseMemory& mouse, std::function<void()> end_saver,
                   QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      run_(run),
      mouse_(mouse),
      end_saver_(std::move(end_saver)) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QStringLiteral("KaloSaver"));
  // Movement over the bare form must reach the handler without a button held.
  setMouseTracking(true);

  // The title lines stand out from the dialog's font as much as the form
  // drew them: bold, 9.75 points against 8.
  QFont titleFont = font();
  titleFont.setBold(true);
  titleFont.setPointSizeF(font().pointSizeF() * 9.75 / 8);

  auto* title = new QLabel(QStringLiteral("The Most Fascinating ScreenSaver"), this);
  title->setObjectName(QStringLiteral("Label3"));
  title->setFont(titleFont);
  auto* subtitle = new QLabel(QStringLiteral("In The World!"), this);
  subtitle->setObjectName(QStringLiteral("Label2"));
  subtitle->setFont(titleFont);
  description_ = new QLabel(
      QStringLiteral("Save designs from this screen saver and load them into 'KaloDraw'"), this);
  description_->setObjectName(QStringLiteral("Label1"));
  auto* rule = new EtchedRule(this);
  rule->setObjectName(QStringLiteral("Rule"));
  auto* check = new WrappingCheckBox(
      QStringLiteral("Show this form occasionally when 'KaloSaver' is running"), this);
  show_occasionally_ = check;
  show_occasionally_->setObjectName(QStringLiteral("Check1"));
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setObjectName(QStringLiteral("cmdOK"));
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &AboutDialog::ApplyAndClose);

  // The form drawn in twips, fitted to its font.
  const FormUnits u(font());
  const int formWidth = u.X(kFormWidth);
  const int margin = u.X(kMargin);
  const QRect checkBox = u.Rect(2745, 2880, 2415, 435);
  const QSize grown = Reflow({
      Centred(title, u.Rect(1065, 405, 3765, 240), formWidth, margin),
      Centred(subtitle, u.Rect(1410, 645, 2955, 240), formWidth, margin),
      Centred(description_, u.Rect(615, 1770, 4740, 240), formWidth, margin),
      {rule, u.Rect(90, 2625, 5565, 45), {}},
      {check, checkBox, {checkBox.width(), check->HeightFor(checkBox.width())}},
      {ok_, u.Rect(975, 2940, 1260, 345), Needed(ok_)},
  });
  setFixedSize(formWidth + grown.width(), u.Y(kFormHeight) + grown.height());

  setTabOrder(ok_, show_occasionally_);
  ok_->setFocus();

  // Centred on the screen, the check box showing the flag.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect s = screen->geometry();
    move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2);
  }
  show_occasionally_->setChecked(run_.ShowAboutFlag);
}

void AboutDialog::PrepareBrief() {
  description_->hide();
  // A hidden button must not keep the focus, or the form would never see keys.
  ok_->clearFocus();
  ok_->hide();
  show_occasionally_->setEnabled(false);
}

void AboutDialog::PrepareAfterSave() { show_occasionally_->setEnabled(false); }

void AboutDialog::ApplyAndClose() {
  run_.ShowAboutFlag = show_occasionally_->isChecked();
  accept();
}

bool AboutDialog::SaverRunning() const { return run_.CommandLine.find("/s") != std::string::npos; }

bool AboutDialog::ControlHasFocus() const {
  const QWidget* f = focusWidget();
  return f && f != this && f->isVisible() && f->isEnabled() && f->focusPolicy() != Qt::NoFocus;
}

void AboutDialog::keyPressEvent(QKeyEvent* event) {
  if (!ControlHasFocus() && SaverRunning()) {
    // Ends the program: the dialog may be gone once this returns.
    if (end_saver_) end_saver_();
    return;
  }
  // OK is both the default and the cancel button: Enter and Esc press it
  // whenever it can be pressed, whichever control holds the focus.
  const int key = event->key();
  const bool enterOrEsc = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
  if (enterOrEsc && ok_->isVisible() && ok_->isEnabled()) {
    ok_->click();
    return;
  }
  event->ignore();
}

void AboutDialog::mouseMoveEvent(QMouseEvent* event) {
  MouseMovedTo(event->position().x(), event->position().y());
}

void AboutDialog::MouseMovedTo(double x, double y) {
  if (run_.StartingUp) return;
  if (mouse_.LastMouseX >= 1 && mouse_.LastMouseY >= 1) {
    const Single dx = static_cast<Single>(std::fabs(x - mouse_.LastMouseX));
    const Single dy = static_cast<Single>(std::fabs(y - mouse_.LastMouseY));
    if ((dx > 3 || dy > 3) && !run_.SavePending && SaverRunning()) {
      if (end_saver_) end_saver_();
      return;
    }
  }
  mouse_.LastMouseX = CInt(x);
  mouse_.LastMouseY = CInt(y);
}

}  // namespace kalo
