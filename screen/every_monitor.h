// The saver on a desktop of several monitors. The designs are drawn in the
// FullScreenWindow on the primary monitor; every other monitor gets a plain window
// in the background colour, which follows the design window's, so that no
// monitor keeps showing the desktop.
// Input on any of these windows counts as input on the design window.
// Monitors that come, go or become the primary one while the saver runs are
// followed.
#pragma once

#include <QObject>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <memory>
#include <vector>

#include "screen/full_screen_window.h"

namespace kalo {

// The plain window over one of the other monitors.
class MonitorCover final : public QWidget {
  Q_OBJECT
 public:
  MonitorCover(FullScreenWindow& saver_window, QScreen* screen);
  QScreen* covered() const { return screen_; }
  void SetColour(Long colour);

 protected:
  bool event(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Cover();

  FullScreenWindow& saver_window_;
  QPointer<QScreen> screen_;
  PointerMemory mouse_;
};

class EveryMonitor final : public QObject {
  Q_OBJECT
 public:
  explicit EveryMonitor(FullScreenWindow& saver_window);
  ~EveryMonitor() override;

  // Covers the other monitors, now and whenever the monitors change.
  void Cover();
  // Takes the covers down for good, with the design window.
  void Unload();
  // The covers shown until Unload, one a monitor.
  std::vector<MonitorCover*> covers() const;

 private:
  void Follow();

  FullScreenWindow& saver_window_;
  std::vector<std::unique_ptr<MonitorCover>> covers_;
  bool covering_ = false;
};

}  // namespace kalo
