#include "screen/full_screen_window.h"

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

FullScreenWindow::FullScreenWindow(RunState& run, std::function<void()> end_saver, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      SurfaceWindow(469, 302),
      run_(run),
      end_saver_(std::move(end_saver)),
      banner_(new CaptionButton(this)),
      hint_(new CaptionButton(this)),
      design_name_(new CaptionButton(this)),
      footer_(new QLabel(this)) {
  setWindowTitle("SCRNSAVE: KaloSaver");
  // The image covers every pixel, so Qt need not paint a background first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  resize(469, 302);

  // Each button is as large as the form draws it, or as its captions need in
  // the desktop's font.
  banner_->setText("Save of current design is pending.  Hit the  <SPACEBAR> to cancel...");
  banner_->setGeometry(FitWrappedCaptions(banner_, TwipsRect(-855, 2010, 7605, 420),
                                          {banner_->text(), kSavePendingBanner, kCompanionHint}));
  banner_->hide();
  // A click on the banner is taken and does nothing; moves over it are
  // measured as over the window.
  banner_->setAttribute(Qt::WA_TransparentForMouseEvents, false);
  banner_->setMouseTracking(true);
  banner_->installEventFilter(this);
  hint_->setText(
      "Hit the  <SPACEBAR>  while a design is being drawn to save it as a Wallpaper/Bitmap "
      "(.bmp) file.");
  hint_->setGeometry(FitWrappedCaptions(hint_, TwipsRect(1065, 510, 3855, 735), {hint_->text()}));
  hint_->installEventFilter(this);
  design_name_->setText("KaloSpiral");
  QStringList names;
  for (const char* name : kDesignTypeNames) names << QString::fromLatin1(name);
  design_name_->setGeometry(
      FitWrappedCaptions(design_name_, TwipsRect(2280, 2880, 1215, 375), names));
  design_name_->hide();
  footer_->setAttribute(Qt::WA_TransparentForMouseEvents);
  footer_->setText(kFooterText);
  footer_->setAutoFillBackground(true);
  footer_->setAlignment(Qt::AlignCenter);
  // The footer hangs one pixel below the screen's edge. That pixel is margin,
  // and so are two more, so that the descenders of g, y and p stand clear of
  // the edge instead of touching it, however far the font's glyphs reach
  // below its nominal descent.
  const QFontMetrics metrics(footer_->font());
  const int ink_below_baseline = metrics.tightBoundingRect(kFooterText).bottom() + 1;
  footer_->setContentsMargins(0, 0, 0, 1 + 2 + std::max(0, ink_below_baseline - metrics.descent()));
  footer_->adjustSize();
  footer_->move((width() - footer_->width()) / 2, height() - footer_->height() + 1);
}

FullScreenWindow::~FullScreenWindow() = default;

void FullScreenWindow::CoverScreen(QScreen* screen) {
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

void FullScreenWindow::FitImage() {
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

void FullScreenWindow::LayOut() {
  const Single sw = ScaleWidth(), sh = ScaleHeight();
  auto centred_left = [&](Control c) { return (sw - Width(c)) / 2; };
  Move(Control::Footer, centred_left(Control::Footer), sh - Height(Control::Footer) + 1);
  Move(Control::Hint, centred_left(Control::Hint), (sh - Height(Control::Hint)) / 2);
  const bool banner_centred = run_.CompanionMode() && run_.SavePending;
  Move(Control::Banner, centred_left(Control::Banner),
       banner_centred ? (sh - Height(Control::Banner)) / 2 : 5);
}

void FullScreenWindow::PushChanges() {
  const PixelRect r = surface_.TakeDirty();
  if (r.empty() || unloaded_) return;
  NotePush();
  const int left = static_cast<int>(std::floor(r.left / scale_));
  const int top = static_cast<int>(std::floor(r.top / scale_));
  const int right = static_cast<int>(std::ceil(r.right / scale_));
  const int bottom = static_cast<int>(std::ceil(r.bottom / scale_));
  update(QRect(left, top, right - left, bottom - top));
}

void FullScreenWindow::Unload() {
  unloaded_ = true;
  hide();
}

void FullScreenWindow::EndSaver() {
  if (!unloaded_ && end_saver_) end_saver_();
}

// ---- Input ----------------------------------------------------------------

void FullScreenWindow::HandleKey(int& key_code) {
  if (run_.StartingUp) return;
  if (!run_.KeysActive) return EndSaver();
  if (!run_.SavePending) {
    if (key_code != kSpaceBar) return EndSaver();
    run_.SavePending = true;
    if (run_.CompanionMode())
      Move(Control::Banner, Left(Control::Banner), (ScaleHeight() - Height(Control::Banner)) / 2);
    SetCaption(Control::Banner, kSavePendingBanner);
    SetVisible(Control::Banner, true);
    Refresh();
    key_code = kSpaceBarUsedUp;
  }
  if (key_code == kSpaceBar && run_.SavePending) {
    SetVisible(Control::Banner, false);
    if (run_.CompanionMode()) {
      Move(Control::Banner, Left(Control::Banner), 5);
      SetCaption(Control::Banner, kCompanionHint);
      SetVisible(Control::Banner, true);
    }
    Refresh();
    run_.SavePending = false;
  }
}

void FullScreenWindow::HandleKeyOnHint(int) {
  if (run_.StartingUp) return;
  EndSaver();
}

void FullScreenWindow::HandleClick() {
  if (run_.StartingUp || run_.SavePending) return;
  EndSaver();
}

void FullScreenWindow::HandleMouseMove(Single x, Single y) { MouseMoveOn(mouse_, x, y); }

void FullScreenWindow::MouseMoveOn(PointerMemory& memory, Single x, Single y) {
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

bool FullScreenWindow::event(QEvent* event) {
  // Every key reaches the key handler, Tab included, rather than moving the
  // focus among the controls.
  if (event->type() == QEvent::KeyPress) {
    keyPressEvent(static_cast<QKeyEvent*>(event));
    return true;
  }
  return QWidget::event(event);
}

bool FullScreenWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == hint_ && event->type() == QEvent::KeyPress) {
    if (!unloaded_) HandleKeyOnHint(static_cast<QKeyEvent*>(event)->key());
    return true;
  }
  if (watched == banner_) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
        return true;  // a click on the banner does nothing
      case QEvent::MouseMove:
        if (!unloaded_) {
          const QPointF at =
              banner_->mapTo(this, static_cast<QMouseEvent*>(event)->position()) * scale_;
          HandleMouseMove(static_cast<Single>(at.x()), static_cast<Single>(at.y()));
        }
        return true;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void FullScreenWindow::keyPressEvent(QKeyEvent* event) {
  if (unloaded_) return;
  int key_code = event->key() == Qt::Key_Space ? kSpaceBar : event->key();
  HandleKey(key_code);
}

void FullScreenWindow::mousePressEvent(QMouseEvent*) {
  if (!unloaded_) HandleClick();
}

void FullScreenWindow::mouseMoveEvent(QMouseEvent* event) {
  if (unloaded_) return;
  const QPointF at = event->position() * scale_;
  HandleMouseMove(static_cast<Single>(at.x()), static_cast<Single>(at.y()));
}

void FullScreenWindow::wheelEvent(QWheelEvent*) {
  // A turn of the wheel is a hand on the mouse like a click.
  if (!unloaded_) HandleClick();
}

void FullScreenWindow::closeEvent(QCloseEvent* event) {
  // Closed from outside (a window manager's close): end like any other input.
  if (!unloaded_) EndSaver();
  event->accept();
}

// ---- Drawing ----------------------------------------------------------------

void FullScreenWindow::paintEvent(QPaintEvent* event) {
  if (!RanWithinMemory([this, event] { Paint(event->region()); })) EndSaver();
}

void FullScreenWindow::Paint(const QRegion& region) {
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

void FullScreenWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!RanWithinMemory([this] { FitImage(); })) EndSaver();
}

void FullScreenWindow::RefreshNow() {
  if (unloaded_) return;
  // What is on the screen already is left alone: only the image's changes and
  // the controls' are painted, but they are painted now.
  PushChanges();
  QCoreApplication::sendPostedEvents(this, QEvent::UpdateRequest);
}

// ---- Controls -----------------------------------------------------------------

void FullScreenWindow::ShowCompanionHint() {
  SetCaption(Control::Banner, kCompanionHint);
  SetVisible(Control::Banner, true);
}

void FullScreenWindow::CentreDesignName(Single x, Single y) {
  const double width = Width(Control::DesignName), height = Height(Control::DesignName);
  Move(Control::DesignName, static_cast<Single>(x - width / 2),
       static_cast<Single>(y - height / 2));
}

QWidget* FullScreenWindow::control(Control c) const {
  switch (c) {
    case Control::Banner:
      return banner_;
    case Control::Hint:
      return hint_;
    case Control::DesignName:
      return design_name_;
    case Control::Footer:
      return footer_;
  }
  return footer_;
}

QPushButton* FullScreenWindow::button(Control c) const {
  return qobject_cast<QPushButton*>(control(c));
}

void FullScreenWindow::SetCaption(Control c, const std::string& text) {
  const QString caption = QString::fromStdString(text);
  if (c == Control::Footer)
    footer_->setText(caption);
  else
    button(c)->setText(caption);
}

std::string FullScreenWindow::Caption(Control c) const {
  return (c == Control::Footer ? footer_->text() : button(c)->text()).toStdString();
}

void FullScreenWindow::SetVisible(Control c, bool visible) { control(c)->setVisible(visible); }

bool FullScreenWindow::IsVisible(Control c) const { return !control(c)->isHidden(); }

void FullScreenWindow::Move(Control c, Single left, Single top) {
  control(c)->move(static_cast<int>(std::lround(left / scale_)),
                   static_cast<int>(std::lround(top / scale_)));
}

Single FullScreenWindow::Left(Control c) const {
  return static_cast<Single>(control(c)->x() * scale_);
}
Single FullScreenWindow::Top(Control c) const {
  return static_cast<Single>(control(c)->y() * scale_);
}
Single FullScreenWindow::Width(Control c) const {
  return static_cast<Single>(control(c)->width() * scale_);
}
Single FullScreenWindow::Height(Control c) const {
  return static_cast<Single>(control(c)->height() * scale_);
}

void FullScreenWindow::SetColours(Control c, Long back, Long fore) {
  QWidget* w = control(c);
  QPalette palette = w->palette();
  palette.setColor(QPalette::Window, ToQColor(back));
  palette.setColor(QPalette::Button, ToQColor(back));
  palette.setColor(QPalette::WindowText, ToQColor(fore));
  palette.setColor(QPalette::ButtonText, ToQColor(fore));
  w->setPalette(palette);
}

}  // namespace kalo
