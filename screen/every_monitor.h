// The saver on a desktop of several monitors. The designs are drawn in the
// FullScreenWindow on the primary monitor; every other monitor gets a plain window
// in the background colour, which follows the design window's, so that no
// monitor keeps showing the desktop -- or, when asked, a window of its own
// designs, drawn by a quiet loop on a thread of its own at that monitor's
// size in device pixels.
// Input on any of these windows counts as input on the design window.
// Monitors that come, go or become the primary one while the saver runs are
// followed.
#pragma once

#include <QBasicTimer>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/settings_texts.h"
#include "screen/full_screen_window.h"
#include "screen/quiet_loop.h"

namespace kalo {

// What the other monitors draw with when each has designs of its own: the
// primary's switches and settings, and where their random sequences start.
struct QuietDesigns {
  std::string command_line;
  SettingsTexts settings;
  uint64_t seed_base = 0;
  unsigned loops_started = 0;  // every loop gets a sequence of its own
};

// The window over one of the other monitors: plain, or showing its own
// quiet loop's designs.
class MonitorCover final : public QWidget {
  Q_OBJECT
 public:
  // With `designs` the cover draws designs of its own; it must outlive the
  // cover.
  MonitorCover(FullScreenWindow& saver_window, QScreen* screen, QuietDesigns* designs = nullptr);
  ~MonitorCover() override;
  QScreen* covered() const { return screen_; }
  void SetColour(Long colour);
  // The quiet loop's picture, while the cover has a loop.
  const FrontBuffer* front() const { return front_.get(); }
  // Tells the quiet loop to end, without waiting for it.
  void RequestStop();
  // Ends the quiet loop and waits for its thread.
  void StopDesigns();

  // The designs are shown at most this often while they are drawn; after
  // this many looks that found nothing new (a rest between pictures) the
  // window stops looking until the loop hands something over, so that a
  // rest does not wake the program.
  static constexpr int kShowIntervalMs = 16;
  static constexpr int kIdleLooks = 30;

 protected:
  bool event(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  void Cover();
  // A quiet loop at the monitor's present size, unless it has one already.
  void StartDesigns();
  // Shows what the quiet loop drew since the last look.
  void ShowChanges();

  FullScreenWindow& saver_window_;
  QPointer<QScreen> screen_;
  PointerMemory mouse_;
  QuietDesigns* designs_;
  std::unique_ptr<FrontBuffer> front_;  // before the loop, which hands to it
  std::unique_ptr<QuietLoop> loop_;
  QImage image_;  // the quiet loop's picture as this window last took it
  qreal scale_ = 1;  // picture pixels per logical pixel
  QBasicTimer show_;
  int idle_looks_ = 0;
};

class EveryMonitor final : public QObject {
  Q_OBJECT
 public:
  explicit EveryMonitor(FullScreenWindow& saver_window);
  ~EveryMonitor() override;

  // Covers the other monitors, now and whenever the monitors change; with
  // `designs`, each draws its own designs with these switches and settings.
  void Cover(const QuietDesigns* designs = nullptr);
  // Takes the covers down for good, with the design window.
  void Unload();
  // The covers shown until Unload, one a monitor.
  std::vector<MonitorCover*> covers() const;

 private:
  void Follow();

  FullScreenWindow& saver_window_;
  // Before the covers, which point at it, so that it outlives them.
  std::unique_ptr<QuietDesigns> designs_;
  std::vector<std::unique_ptr<MonitorCover>> covers_;
  bool covering_ = false;
};

}  // namespace kalo
