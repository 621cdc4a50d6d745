#include "screen/every_monitor.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>
#include <utility>

#include "system/out_of_memory.h"

namespace kalo {

MonitorCover::MonitorCover(FullScreenWindow& saver_window, QScreen* screen)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      saver_window_(saver_window),
      screen_(screen) {
  setWindowTitle(QStringLiteral("KaloSaver: ") + screen->name());
  setAutoFillBackground(true);
  setMouseTracking(true);
  SetColour(saver_window.BackColor());
  Cover();
  connect(screen, &QScreen::geometryChanged, this, &MonitorCover::Cover);
}

void MonitorCover::Cover() {
  if (!screen_) return;
  setScreen(screen_);
  setGeometry(screen_->geometry());
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
  const QPointF at = event->position() * devicePixelRatioF();
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

void EveryMonitor::Cover() {
  if (covering_) return;
  covering_ = true;
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
    auto cover = std::make_unique<MonitorCover>(saver_window_, screen);
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
