#include "screen/every_monitor.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>
#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

#include "surface/surface.h"
#include "system/out_of_memory.h"

namespace kalo {

MonitorCover::MonitorCover(FullScreenWindow& saver_window, QScreen* screen,
                           QuietDesigns* designs)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      saver_window_(saver_window),
      screen_(screen),
      designs_(designs) {
  setWindowTitle(QStringLiteral("KaloSaver: ") + screen->name());
  if (designs_) {
    // The picture covers every pixel.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
  } else {
    setAutoFillBackground(true);
  }
  setMouseTracking(true);
  SetColour(saver_window.BackColor());
  Cover();
  // A new size means a new picture; one that memory cannot hold ends the
  // saver, from inside Qt's dispatch, which no exception may leave.
  connect(screen, &QScreen::geometryChanged, this, [this] {
    if (!RanWithinMemory([this] { Cover(); })) saver_window_.EndForLackOfMemory();
  });
}

MonitorCover::~MonitorCover() { StopDesigns(); }

void MonitorCover::Cover() {
  if (!screen_) return;
  setScreen(screen_);
  setGeometry(screen_->geometry());
  if (designs_) StartDesigns();
}

void MonitorCover::StartDesigns() {
  if (saver_window_.unloaded()) return;
  const qreal ratio = screen_->devicePixelRatio() > 0 ? screen_->devicePixelRatio() : 1.0;
  const QSize logical = screen_->geometry().size();
  double fit = 1;
  const PictureSize size =
      FitPicture(std::max(1, static_cast<int>(std::lround(logical.width() * ratio))),
                 std::max(1, static_cast<int>(std::lround(logical.height() * ratio))), &fit);
  if (front_ && front_->width() == size.width && front_->height() == size.height) return;
  StopDesigns();
  scale_ = ratio * fit;
  image_ = QImage(size.width, size.height, QImage::Format_RGB32);
  if (image_.isNull()) throw std::bad_alloc();
  front_ = std::make_unique<FrontBuffer>(size.width, size.height);
  // Comes on the loop's thread; the look is made on this one. The loop is
  // stopped before this window goes, so no call comes after.
  front_->SetWake([this] {
    QMetaObject::invokeMethod(this, [this] { ShowChanges(); }, Qt::QueuedConnection);
  });
  loop_ = std::make_unique<QuietLoop>(
      *front_, size.width, size.height, designs_->command_line, designs_->settings,
      QuietLoopSeed(designs_->seed_base, designs_->loops_started++));
  idle_looks_ = 0;
  ShowChanges();
  loop_->Start();
  show_.start(kShowIntervalMs, this);
}

void MonitorCover::RequestStop() {
  if (loop_) loop_->RequestStop();
}

void MonitorCover::StopDesigns() {
  show_.stop();
  loop_.reset();
  front_.reset();
}

void MonitorCover::ShowChanges() {
  if (!front_) return;
  const PixelRect r = front_->TakeChanges(reinterpret_cast<uint32_t*>(image_.bits()),
                                         image_.bytesPerLine() / 4);
  if (r.empty()) {
    if (++idle_looks_ >= kIdleLooks && !front_->ArmWake()) show_.stop();
    return;
  }
  if (!show_.isActive()) show_.start(kShowIntervalMs, this);
  idle_looks_ = 0;
  const int left = static_cast<int>(std::floor(r.left / scale_));
  const int top = static_cast<int>(std::floor(r.top / scale_));
  const int right = static_cast<int>(std::ceil(r.right / scale_));
  const int bottom = static_cast<int>(std::ceil(r.bottom / scale_));
  update(QRect(left, top, right - left, bottom - top));
}

void MonitorCover::timerEvent(QTimerEvent* event) {
  if (event->timerId() == show_.timerId())
    ShowChanges();
  else
    QWidget::timerEvent(event);
}

void MonitorCover::paintEvent(QPaintEvent* event) {
  if (image_.isNull()) return QWidget::paintEvent(event);
  QPainter painter(this);
  for (const QRect& r : event->region()) {
    const QRectF source(r.x() * scale_, r.y() * scale_, r.width() * scale_, r.height() * scale_);
    painter.drawImage(QRectF(r), image_, source);
  }
}

void MonitorCover::SetColour(Long colour) {
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
  setPalette(p);
}

bool MonitorCover::event(QEvent* event) {
  // Keys land here only when a window manager gave this window the focus;
  // they belong to the design window all the same.
  if (event->type() == QEvent::KeyPress) {
    QCoreApplication::sendEvent(&saver_window_, event);
    return true;
  }
  return QWidget::event(event);
}

void MonitorCover::mousePressEvent(QMouseEvent*) {
  if (!saver_window_.unloaded()) saver_window_.HandleClick();
}

void MonitorCover::wheelEvent(QWheelEvent*) {
  if (!saver_window_.unloaded()) saver_window_.HandleClick();
}

void MonitorCover::mouseMoveEvent(QMouseEvent* event) {
  // In the monitor's device pixels, as its picture is drawn: the window's
  // own ratio can lag behind the monitor it was moved to.
  const qreal ratio = screen_ && screen_->devicePixelRatio() > 0 ? screen_->devicePixelRatio()
                                                                 : devicePixelRatioF();
  const QPointF at = event->position() * ratio;
  saver_window_.MouseMoveOn(mouse_, static_cast<Single>(at.x()), static_cast<Single>(at.y()));
}

void MonitorCover::closeEvent(QCloseEvent* event) {
  // Closed from outside: the saver ends as when its design window is closed.
  saver_window_.close();
  event->accept();
}

EveryMonitor::EveryMonitor(FullScreenWindow& saver_window) : saver_window_(saver_window) {
  saver_window_.WatchBackColor([this](Long colour) {
    for (const auto& c : covers_) c->SetColour(colour);
  });
}

EveryMonitor::~EveryMonitor() { saver_window_.WatchBackColor(nullptr); }

void EveryMonitor::Cover(const QuietDesigns* designs) {
  if (covering_) return;
  covering_ = true;
  if (designs) designs_ = std::make_unique<QuietDesigns>(*designs);
  auto* app = qGuiApp;
  // Monitors change inside Qt's event dispatch, which no exception may
  // leave: a new picture that memory cannot hold ends the saver there.
  auto follow = [this] {
    if (!RanWithinMemory([this] { Follow(); })) saver_window_.EndForLackOfMemory();
  };
  connect(app, &QGuiApplication::screenAdded, this, follow);
  connect(app, &QGuiApplication::screenRemoved, this, follow);
  connect(app, &QGuiApplication::primaryScreenChanged, this, follow);
  Follow();
}

void EveryMonitor::Unload() {
  covering_ = false;
  disconnect(qGuiApp, nullptr, this, nullptr);
  // The input that ends the saver may have come to a cover whose handler is
  // still running, so the covers are only hidden here and go with this.
  for (const auto& c : covers_) c->hide();
  // Every quiet loop is told first and then waited for, so that the saver
  // ends in the time the slowest takes, not in the sum of theirs.
  for (const auto& c : covers_) c->RequestStop();
  for (const auto& c : covers_) c->StopDesigns();
  saver_window_.Unload();
}

std::vector<MonitorCover*> EveryMonitor::covers() const {
  std::vector<MonitorCover*> shown;
  if (covering_)
    for (const auto& c : covers_) shown.push_back(c.get());
  return shown;
}

void EveryMonitor::Follow() {
  if (!covering_ || saver_window_.unloaded()) return;
  // The designs go where the desktop's primary monitor is now. A monitor
  // that is going away is no longer among the screens when this runs.
  QScreen* primary = QGuiApplication::primaryScreen();
  if (!primary) return;
  if (saver_window_.screen() != primary) saver_window_.CoverScreen(primary);
  // A monitor that mirrors the primary one shows the designs already.
  auto needs_cover = [primary](QScreen* s) {
    return s && !primary->geometry().contains(s->geometry());
  };
  const QList<QScreen*> screens = QGuiApplication::screens();
  std::erase_if(covers_, [&](const std::unique_ptr<MonitorCover>& c) {
    return !needs_cover(c->covered()) || !screens.contains(c->covered());
  });
  bool overlaps = false;
  for (QScreen* screen : screens) {
    if (!needs_cover(screen) || std::any_of(covers_.begin(), covers_.end(),
                                            [&](const auto& c) { return c->covered() == screen; }))
      continue;
    overlaps = overlaps || screen->geometry().intersects(primary->geometry());
    auto cover = std::make_unique<MonitorCover>(saver_window_, screen, designs_.get());
    // Shown full screen without taking the focus, which stays with the
    // design window.
    cover->setWindowState(Qt::WindowFullScreen);
    cover->show();
    covers_.push_back(std::move(cover));
  }
  // Where a monitor overlaps the primary one, the designs stay in front.
  if (overlaps) saver_window_.raise();
}

}  // namespace kalo
