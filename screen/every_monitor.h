// The saver on a desktop of several monitors. The designs are drawn in the
// DesignPic on the primary monitor; every other monitor gets a plain window
// in the background colour, so that no monitor keeps showing the desktop.
// Input on any of these windows counts as input on the design window.
// Monitors that come, go or become the primary one while the saver runs are
// followed.
#pragma once

#include <QObject>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "core/design_window.h"
#include "screen/design_pic.h"

namespace kalo {

// The plain window over one of the other monitors.
class MonitorCover final : public QWidget {
  Q_OBJECT
 public:
  MonitorCover(DesignPic& pic, QScreen* screen);
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

  DesignPic& pic_;
  QPointer<QScreen> screen_;
  PointerMemory mouse_;
};

class EveryMonitor final : public QObject, public DesignWindow {
  Q_OBJECT
 public:
  explicit EveryMonitor(DesignPic& pic);
  ~EveryMonitor() override;

  // Covers the other monitors, now and whenever the monitors change.
  void Cover();
  // Takes the covers down for good, with the design window.
  void Unload();
  // The covers shown until Unload, one a monitor.
  std::vector<MonitorCover*> covers() const;

  // DesignWindow: everything is the design window's; a new background colour
  // is every cover's as well.
  void Line(Single x1, Single y1, Single x2, Single y2, Long colour) override {
    pic_.Line(x1, y1, x2, y2, colour);
  }
  void PSet(Single x, Single y, Long colour) override { pic_.PSet(x, y, colour); }
  Long ForeColor() const override { return pic_.ForeColor(); }
  void SetForeColor(Long colour) override { pic_.SetForeColor(colour); }
  Integer DrawWidth() const override { return pic_.DrawWidth(); }
  void SetDrawWidth(Integer width) override { pic_.SetDrawWidth(width); }
  Integer DrawMode() const override { return pic_.DrawMode(); }
  void SetDrawMode(Integer mode) override { pic_.SetDrawMode(mode); }
  Long BackColor() const override { return pic_.BackColor(); }
  void SetBackColor(Long colour) override;
  void Cls() override { pic_.Cls(); }
  void Refresh() override { pic_.Refresh(); }
  Single ScaleWidth() const override { return pic_.ScaleWidth(); }
  Single ScaleHeight() const override { return pic_.ScaleHeight(); }
  void SetCaption(Control c, const std::string& text) override { pic_.SetCaption(c, text); }
  std::string Caption(Control c) const override { return pic_.Caption(c); }
  void SetVisible(Control c, bool visible) override { pic_.SetVisible(c, visible); }
  bool IsVisible(Control c) const override { return pic_.IsVisible(c); }
  void Move(Control c, Single left, Single top) override { pic_.Move(c, left, top); }
  Single Left(Control c) const override { return pic_.Left(c); }
  Single Top(Control c) const override { return pic_.Top(c); }
  Single Width(Control c) const override { return pic_.Width(c); }
  Single Height(Control c) const override { return pic_.Height(c); }
  void SetColours(Control c, Long back, Long fore) override { pic_.SetColours(c, back, fore); }

 private:
  void Follow();

  DesignPic& pic_;
  std::vector<std::unique_ptr<MonitorCover>> covers_;
  bool covering_ = false;
};

}  // namespace kalo
