// The saver window: a borderless window over the whole primary screen that
// shows the persistent image every design is drawn into, the three buttons
// and the footer drawn over it, and the input handlers that end the saver or
// mark the design being drawn for saving.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <chrono>
#include <functional>

#include "common/run_state.h"
#include "common/design_window.h"
#include "platform/surface.h"

class QScreen;

namespace kalo {

// A push button whose caption wraps onto several lines when it is too long
// for the button, as the long hints over the designs need.
class CaptionButton final : public QPushButton {
  Q_OBJECT
 public:
  explicit CaptionButton(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// The last pointer position one window saw, which its next move is measured
// against.
struct PointerMemory {
  Integer x = 0;
  Integer y = 0;
};

// Plain counts of what the window drew and showed, for measuring the saver;
// keeping them costs an integer increment a stroke.
struct ScreenFigures {
  long long strokes = 0;        // Line and PSet calls
  long long pushes = 0;         // paints of the image onto the screen
  long long pixels_pushed = 0;  // image pixels those paints copied
  // When a paint first showed a stroke; the clock's epoch until then.
  std::chrono::steady_clock::time_point first_stroke_shown{};
};

class DesignPic final : public QWidget, public DesignWindow {
  Q_OBJECT
 public:
  // `end_saver` ends the saver; the handlers call it and then return at once.
  DesignPic(RunState& run, std::function<void()> end_saver, QWidget* parent = nullptr);
  ~DesignPic() override;

  // Covers `screen` (the primary screen when null) and keeps covering it when
  // its size changes. The image takes the screen's size in device pixels;
  // what is drawn keeps its place, and the controls move to theirs.
  void CoverScreen(QScreen* screen = nullptr);
  // Hands the part of the image changed since the last push to the screen.
  void PushChanges();
  // Paints the image's changes and the controls now, however recently the
  // last push went out: for the moments before the user is asked anything.
  void RefreshNow();
  // Closes the window for good: after this nothing is drawn and no input is
  // handled, wherever the design loop stands.
  void Unload();
  bool unloaded() const { return unloaded_; }

  Surface& surface() { return surface_; }
  const Surface& surface() const { return surface_; }
  // Window units are device pixels: this many per logical pixel.
  qreal scale() const { return scale_; }
  Integer LastMouseX() const { return mouse_.x; }
  Integer LastMouseY() const { return mouse_.y; }
  QPushButton* button(Control c) const;
  QLabel* footer() const { return label3_; }
  const ScreenFigures& figures() const { return figures_; }

  // Input handlers, as the event dispatch delivers them. The key code is
  // passed by reference: a handled space bar press comes back changed.
  void Form_KeyDown(int& key_code);
  void Command2_KeyDown(int key_code);
  void Form_MouseDown();
  void Form_MouseMove(Single x, Single y);
  // A move over another of the saver's windows, in that window's pixels and
  // measured against its own memory: it ends the saver by the same rule.
  void MouseMoveOn(PointerMemory& memory, Single x, Single y);

  // DesignWindow.
  void Line(Single x1, Single y1, Single x2, Single y2, Long colour) override;
  void PSet(Single x, Single y, Long colour) override;
  Long ForeColor() const override { return fore_colour_; }
  void SetForeColor(Long colour) override { fore_colour_ = colour; }
  Integer DrawWidth() const override { return draw_width_; }
  void SetDrawWidth(Integer width) override;
  Integer DrawMode() const override { return draw_mode_; }
  void SetDrawMode(Integer mode) override;
  Long BackColor() const override { return back_colour_; }
  // A new background colour repaints the whole window in it, as the saver's
  // background switches expect of a freshly created window.
  void SetBackColor(Long colour) override;
  void Cls() override;
  void Refresh() override;
  Single ScaleWidth() const override { return static_cast<Single>(surface_.width()); }
  Single ScaleHeight() const override { return static_cast<Single>(surface_.height()); }
  void SetCaption(Control c, const std::string& text) override;
  std::string Caption(Control c) const override;
  void SetVisible(Control c, bool visible) override;
  bool IsVisible(Control c) const override;
  void Move(Control c, Single left, Single top) override;
  Single Left(Control c) const override;
  Single Top(Control c) const override;
  Single Width(Control c) const override;
  Single Height(Control c) const override;
  void SetColours(Control c, Long back, Long fore) override;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* control(Control c) const;
  void FitImage();
  void PlaceControls();
  void EndSaver();

  RunState& run_;
  std::function<void()> end_saver_;
  Surface surface_;
  QImage view_;  // the surface's pixels as the paint events read them
  qreal scale_ = 1;
  Long fore_colour_ = 0;
  Long back_colour_ = 0;
  Integer draw_width_ = 1;
  Integer draw_mode_ = 13;
  PointerMemory mouse_;
  QMetaObject::Connection follow_screen_;
  bool unloaded_ = false;
  ScreenFigures figures_;
  // When the image's changes last went to the screen, so that refreshes in
  // quick succession share one push.
  QElapsedTimer push_clock_;
  qint64 last_push_ns_ = -1;

  CaptionButton* command1_;
  CaptionButton* command2_;
  CaptionButton* command5_;
  QLabel* label3_;
};

}  // namespace kalo
