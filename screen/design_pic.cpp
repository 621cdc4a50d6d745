#include "screen/design_pic.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QWheelEvent>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/numbers.h"
#include "engine/design_state.h"
#include "screen/form_layout.h"
#include "screen/qt_pacer.h"
#include "screen/surface_image.h"
#include "screen/twips.h"
#include "system/out_of_memory.h"

namespace kalo {

namespace {

constexpr int kSpaceBar = 32;
// What a space bar press that marked the design becomes: any key but the
// space bar, so that the same press is not also taken as the press that
// cancels the save.
constexpr int kSpaceBarUsedUp = 69;
// Pointer moves up to this far (pixels, either axis) between two move events
// are a trembling hand on the desk, not someone back at the screen.
constexpr Single kMouseSlack = 3;

const char* const kFooterText =
    "KaloSaver  -  press the space bar to keep a design, any other key to leave";

QColor ToQColor(Long colour) {
  return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

}  // namespace

CaptionButton::CaptionButton(QWidget* parent) : QPushButton(parent) {
  // The buttons only show messages over the designs; a hand on the mouse
  // over them must end the saver like anywhere else on the screen.
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  setAutoDefault(false);
  // The caption keeps clear of the bevel.
  setContentsMargins(4, 2, 4, 2);
  setProperty("wordWrap", true);
}

void CaptionButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();
  painter.drawControl(QStyle::CE_PushButtonBevel, option);
  painter.setPen(palette().color(QPalette::ButtonText));
  painter.drawText(contentsRect(), Qt::AlignCenter | Qt::TextWordWrap, text());
}

DesignPic::DesignPic(RunState& run, std::function<void()> end_saver, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      SurfaceWindow(469, 302),
      run_(run),
      end_saver_(std::move(end_saver)),
      command1_(new CaptionButton(this)),
      command2_(new CaptionButton(this)),
      command5_(new CaptionButton(this)),
      label3_(new QLabel(this)) {
  setWindowTitle("SCRNSAVE: KaloSaver");
  // The image covers every pixel, so Qt need not paint a background first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  resize(469, 302);

  // Each button is as large as the form draws it, or as its captions need in
  // the desktop's font.
  command1_->setText("Save of current design is pending.  Hit the  <SPACEBAR> to cancel...");
  command1_->setGeometry(
      FitWrappedCaptions(command1_, TwipsRect(-855, 2010, 7605, 420),
                         {command1_->text(), kSavePendingBanner, kCompanionHint}));
  command1_->hide();
  // A click on the banner is taken and does nothing; moves over it are
  // measured as over the window.
  command1_->setAttribute(Qt::WA_TransparentForMouseEvents, false);
  command1_->setMouseTracking(true);
  command1_->installEventFilter(this);
  command2_->setText(
      "Hit the  <SPACEBAR>  while a design is being drawn to save it as a Wallpaper/Bitmap "
      "(.bmp) file.");
  command2_->setGeometry(
      FitWrappedCaptions(command2_, TwipsRect(1065, 510, 3855, 735), {command2_->text()}));
  command2_->installEventFilter(this);
  command5_->setText("KaloSpiral");
  QStringList names;
  for (const char* name : kDesignTypeNames) names << QString::fromLatin1(name);
  command5_->setGeometry(FitWrappedCaptions(command5_, TwipsRect(2280, 2880, 1215, 375), names));
  command5_->hide();
  label3_->setAttribute(Qt::WA_TransparentForMouseEvents);
  label3_->setText(kFooterText);
  label3_->setAutoFillBackground(true);
  label3_->setAlignment(Qt::AlignCenter);
  // The footer hangs one pixel below the screen's edge. That pixel is margin,
  // and so are two more, so that the descenders of g, y and p stand clear of
  // the edge instead of touching it, however far the font's glyphs reach
  // below its nominal descent.
  const QFontMetrics metrics(label3_->font());
  const int ink_below_baseline = metrics.tightBoundingRect(kFooterText).bottom() + 1;
  label3_->setContentsMargins(0, 0, 0, 1 + 2 + std::max(0, ink_below_baseline - metrics.descent()));
  label3_->adjustSize();
  label3_->move((width() - label3_->width()) / 2, height() - label3_->height() + 1);
}

DesignPic::~DesignPic() = default;

void DesignPic::CoverScreen(QScreen* screen) {
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (screen) {
    setScreen(screen);
    setGeometry(screen->geometry());
    // Without a window manager nobody else resizes a full-screen window when
    // the screen's resolution changes.
    disconnect(follow_screen_);
    follow_screen_ = connect(screen, &QScreen::geometryChanged, this, [this, screen] {
      if (!unloaded_ && !RanWithinMemory([this, screen] { CoverScreen(screen); })) EndSaver();
    });
  }
  FitImage();
}

void DesignPic::FitImage() {
  const qreal ratio = devicePixelRatioF() > 0 ? devicePixelRatioF() : 1.0;
  // A screen beyond the picture limit gets the largest picture of its shape,
  // shown enlarged over the whole screen: window units stay the picture's
  // pixels, so the controls and the pointer keep their places on the screen.
  double fit = 1;
  const PictureSize size =
      FitPicture(std::max(1, static_cast<int>(std::lround(width() * ratio))),
                 std::max(1, static_cast<int>(std::lround(height() * ratio))), &fit);
  scale_ = ratio * fit;
  if (!ResizeKeeping(size.width, size.height)) return;
  // Before the window is first shown, start-up lays the controls out itself.
  if (isVisible()) LayOut();
  update();
}

void DesignPic::LayOut() {
  const Single sw = ScaleWidth(), sh = ScaleHeight();
  auto centred_left = [&](Control c) { return (sw - Width(c)) / 2; };
  Move(Control::Label3, centred_left(Control::Label3), sh - Height(Control::Label3) + 1);
  Move(Control::Command2, centred_left(Control::Command2), (sh - Height(Control::Command2)) / 2);
  const bool banner_centred = run_.CompanionMode() && run_.SavePending;
  Move(Control::Command1, centred_left(Control::Command1),
       banner_centred ? (sh - Height(Control::Command1)) / 2 : 5);
}

void DesignPic::PushChanges() {
  const PixelRect r = surface_.TakeDirty();
  if (r.empty() || unloaded_) return;
  NotePush();
  const int left = static_cast<int>(std::floor(r.left / scale_));
  const int top = static_cast<int>(std::floor(r.top / scale_));
  const int right = static_cast<int>(std::ceil(r.right / scale_));
  const int bottom = static_cast<int>(std::ceil(r.bottom / scale_));
  update(QRect(left, top, right - left, bottom - top));
}

void DesignPic::Unload() {
  unloaded_ = true;
  hide();
}

void DesignPic::EndSaver() {
  if (!unloaded_ && end_saver_) end_saver_();
}

// ---- Input ----------------------------------------------------------------

void DesignPic::Form_KeyDown(int& key_code) {
  if (run_.StartingUp) return;
  if (!run_.KeysActive) return EndSaver();
  if (!run_.SavePending) {
    if (key_code != kSpaceBar) return EndSaver();
    run_.SavePending = true;
    if (run_.CompanionMode())
      Move(Control::Command1, Left(Control::Command1),
           (ScaleHeight() - Height(Control::Command1)) / 2);
    SetCaption(Control::Command1, kSavePendingBanner);
    SetVisible(Control::Command1, true);
    Refresh();
    key_code = kSpaceBarUsedUp;
  }
  if (key_code == kSpaceBar && run_.SavePending) {
    SetVisible(Control::Command1, false);
    if (run_.CompanionMode()) {
      Move(Control::Command1, Left(Control::Command1), 5);
      SetCaption(Control::Command1, kCompanionHint);
      SetVisible(Control::Command1, true);
    }
    Refresh();
    run_.SavePending = false;
  }
}

void DesignPic::Command2_KeyDown(int) {
  if (run_.StartingUp) return;
  EndSaver();
}

void DesignPic::Form_MouseDown() {
  if (run_.StartingUp || run_.SavePending) return;
  EndSaver();
}

void DesignPic::Form_MouseMove(Single x, Single y) { MouseMoveOn(mouse_, x, y); }

void DesignPic::MouseMoveOn(PointerMemory& memory, Single x, Single y) {
  if (run_.StartingUp || unloaded_) return;
  // Measured from the previous move event; a stored 0 (the start, or a move
  // along the screen's top or left edge) means there is nothing to compare.
  if (memory.x >= 1 && memory.y >= 1) {
    const Single dx = std::fabs(x - static_cast<Single>(memory.x));
    const Single dy = std::fabs(y - static_cast<Single>(memory.y));
    if ((dx > kMouseSlack || dy > kMouseSlack) && !run_.SavePending) return EndSaver();
  }
  memory.x = CInt(x);
  memory.y = CInt(y);
}

bool DesignPic::event(QEvent* event) {
  // Every key reaches the key handler, Tab included, rather than moving the
  // focus among the controls.
  if (event->type() == QEvent::KeyPress) {
    keyPressEvent(static_cast<QKeyEvent*>(event));
    return true;
  }
  return QWidget::event(event);
}

bool DesignPic::eventFilter(QObject* watched, QEvent* event) {
  if (watched == command2_ && event->type() == QEvent::KeyPress) {
    if (!unloaded_) Command2_KeyDown(static_cast<QKeyEvent*>(event)->key());
    return true;
  }
  if (watched == command1_) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
        return true;  // Command1_Click: nothing
      case QEvent::MouseMove:
        if (!unloaded_) {
          const QPointF at =
              command1_->mapTo(this, static_cast<QMouseEvent*>(event)->position()) * scale_;
          Form_MouseMove(static_cast<Single>(at.x()), static_cast<Single>(at.y()));
        }
        return true;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void DesignPic::keyPressEvent(QKeyEvent* event) {
  if (unloaded_) return;
  int key_code = event->key() == Qt::Key_Space ? kSpaceBar : event->key();
  Form_KeyDown(key_code);
}

void DesignPic::mousePressEvent(QMouseEvent*) {
  if (!unloaded_) Form_MouseDown();
}

void DesignPic::mouseMoveEvent(QMouseEvent* event) {
  if (unloaded_) return;
  const QPointF at = event->position() * scale_;
  Form_MouseMove(static_cast<Single>(at.x()), static_cast<Single>(at.y()));
}

void DesignPic::wheelEvent(QWheelEvent*) {
  // A turn of the wheel is a hand on the mouse like a click.
  if (!unloaded_) Form_MouseDown();
}

void DesignPic::closeEvent(QCloseEvent* event) {
  // Closed from outside (a window manager's close): end like any other input.
  if (!unloaded_) EndSaver();
  event->accept();
}

// ---- Drawing ----------------------------------------------------------------

void DesignPic::paintEvent(QPaintEvent* event) {
  if (!RanWithinMemory([this, event] { Paint(event->region()); })) EndSaver();
}

void DesignPic::Paint(const QRegion& region) {
  QPainter painter(this);
  // The view over the pixels is made once per size of the image, not once a
  // paint, so that a push costs no more than Qt's own painting.
  if (view_.constBits() != reinterpret_cast<const uchar*>(surface_.bits()) ||
      view_.width() != surface_.width() || view_.height() != surface_.height())
    view_ = SurfaceImage(std::as_const(surface_));
  const QImage& image = view_;
  ++figures_.pushes;
  for (const QRect& r : region) {
    const QRectF source(r.x() * scale_, r.y() * scale_, r.width() * scale_, r.height() * scale_);
    painter.drawImage(QRectF(r), image, source);
    figures_.pixels_pushed += static_cast<long long>(source.width() * source.height());
  }
  if (figures_.strokes > 0 &&
      figures_.first_stroke_shown == std::chrono::steady_clock::time_point{})
    figures_.first_stroke_shown = std::chrono::steady_clock::now();
}

void DesignPic::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!RanWithinMemory([this] { FitImage(); })) EndSaver();
}

void DesignPic::RefreshNow() {
  if (unloaded_) return;
  // What is on the screen already is left alone: only the image's changes and
  // the controls' are painted, but they are painted now.
  PushChanges();
  QCoreApplication::sendPostedEvents(this, QEvent::UpdateRequest);
}

// ---- Controls -----------------------------------------------------------------

void DesignPic::ShowCompanionHint() {
  SetCaption(Control::Command1, kCompanionHint);
  SetVisible(Control::Command1, true);
}

void DesignPic::CentreDesignName(Single x, Single y) {
  const double width = Width(Control::Command5), height = Height(Control::Command5);
  Move(Control::Command5, static_cast<Single>(x - width / 2), static_cast<Single>(y - height / 2));
}

QWidget* DesignPic::control(Control c) const {
  switch (c) {
    case Control::Command1:
      return command1_;
    case Control::Command2:
      return command2_;
    case Control::Command5:
      return command5_;
    case Control::Label3:
      return label3_;
  }
  return label3_;
}

QPushButton* DesignPic::button(Control c) const { return qobject_cast<QPushButton*>(control(c)); }

void DesignPic::SetCaption(Control c, const std::string& text) {
  const QString caption = QString::fromStdString(text);
  if (c == Control::Label3)
    label3_->setText(caption);
  else
    button(c)->setText(caption);
}

std::string DesignPic::Caption(Control c) const {
  return (c == Control::Label3 ? label3_->text() : button(c)->text()).toStdString();
}

void DesignPic::SetVisible(Control c, bool visible) { control(c)->setVisible(visible); }

bool DesignPic::IsVisible(Control c) const { return !control(c)->isHidden(); }

void DesignPic::Move(Control c, Single left, Single top) {
  control(c)->move(static_cast<int>(std::lround(left / scale_)),
                   static_cast<int>(std::lround(top / scale_)));
}

Single DesignPic::Left(Control c) const { return static_cast<Single>(control(c)->x() * scale_); }
Single DesignPic::Top(Control c) const { return static_cast<Single>(control(c)->y() * scale_); }
Single DesignPic::Width(Control c) const {
  return static_cast<Single>(control(c)->width() * scale_);
}
Single DesignPic::Height(Control c) const {
  return static_cast<Single>(control(c)->height() * scale_);
}

void DesignPic::SetColours(Control c, Long back, Long fore) {
  QWidget* w = control(c);
  QPalette palette = w->palette();
  palette.setColor(QPalette::Window, ToQColor(back));
  palette.setColor(QPalette::Button, ToQColor(back));
  palette.setColor(QPalette::WindowText, ToQColor(fore));
  palette.setColor(QPalette::ButtonText, ToQColor(fore));
  w->setPalette(palette);
}

}  // namespace kalo
