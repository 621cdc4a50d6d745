// The saver window: a borderless window over the whole primary screen that
// shows the persistent image every design is drawn into, the three buttons
// and the footer drawn over it, and the input handlers that end the saver or
// mark the design being drawn for saving.
#pragma once

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <string>

#include "core/overlay.h"
#include "core/run_state.h"
#include "screen/surface_window.h"

class QScreen;

namespace kalo {

// The controls drawn over the designs.
enum class Control {
  Banner,      // top banner: save pending / companion hint
  Hint,        // centred hint shown now and then between pictures
  DesignName,  // the design type's name, centred on the design
  Footer,      // one-line footer along the bottom edge
};

// The banner's captions.
inline constexpr const char* kSavePendingBanner =
    "Save of current design is pending.       Hit <SPACEBAR> to cancel...";
inline constexpr const char* kCompanionHint =
    "Hit <SPACEBAR> while a design is being drawn to save for KaloDraw";

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

class FullScreenWindow final : public QWidget, public SurfaceWindow, public Overlay {
  Q_OBJECT
 public:
  // `end_saver` ends the saver; the handlers call it and then return at once.
  FullScreenWindow(RunState& run, std::function<void()> end_saver, QWidget* parent = nullptr);
  ~FullScreenWindow() override;

  // Covers `screen` (the primary screen when null) and keeps covering it when
  // its size changes. The image takes the screen's size in device pixels;
  // what is drawn keeps its place, and the controls move to theirs.
  void CoverScreen(QScreen* screen = nullptr);
  // Hands the part of the image changed since the last push to the screen.
  void PushChanges();
  // Paints the image's changes and the controls now, however recently the
  // last push went out: for the moments before the user is asked anything.
  void RefreshNow() override;
  // Closes the window for good: after this nothing is drawn and no input is
  // handled, wherever the design loop stands.
  void Unload();
  // Ends the saver from an event handler whose allocation failed.
  void EndForLackOfMemory() { EndSaver(); }

  // Window units are device pixels (fewer on a screen beyond the picture
  // limit): this many per logical pixel.
  qreal scale() const { return scale_; }
  Integer LastMouseX() const { return mouse_.x; }
  Integer LastMouseY() const { return mouse_.y; }
  QPushButton* button(Control c) const;
  QLabel* footer() const { return footer_; }

  // Input handlers, as the event dispatch delivers them. The key code is
  // passed by reference: a handled space bar press comes back changed.
  void HandleKey(int& key_code);
  void HandleKeyOnHint(int key_code);
  void HandleClick();
  void HandleMouseMove(Single x, Single y);
  // A move over another of the saver's windows, in that window's pixels and
  // measured against its own memory: it ends the saver by the same rule.
  void MouseMoveOn(PointerMemory& memory, Single x, Single y);

  // Overlay: the banner, the hint, the design's name and the footer.
  void LayOut() override;
  void ColourFooter(Long back, Long fore) override { SetColours(Control::Footer, back, fore); }
  void ShowCompanionHint() override;
  void ShowHint() override { SetVisible(Control::Hint, true); }
  void HideHint() override { SetVisible(Control::Hint, false); }
  bool HintShown() const override { return IsVisible(Control::Hint); }
  void NameDesign(const std::string& name) override { SetCaption(Control::DesignName, name); }
  void CentreDesignName(Single x, Single y) override;
  void ShowDesignName() override { SetVisible(Control::DesignName, true); }
  void HideDesignName() override { SetVisible(Control::DesignName, false); }

  // The controls, positions and sizes in window units.
  void SetCaption(Control c, const std::string& text);
  std::string Caption(Control c) const;
  void SetVisible(Control c, bool visible);
  bool IsVisible(Control c) const;
  void Move(Control c, Single left, Single top);
  Single Left(Control c) const;
  Single Top(Control c) const;
  Single Width(Control c) const;
  Single Height(Control c) const;
  // Background and text colour of a control.
  void SetColours(Control c, Long back, Long fore);

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
  void Paint(const QRegion& region);
  void FitImage();
  void EndSaver();

  RunState& run_;
  std::function<void()> end_saver_;
  QImage view_;  // the surface's pixels as the paint events read them
  qreal scale_ = 1;
  PointerMemory mouse_;
  QMetaObject::Connection follow_screen_;

  CaptionButton* banner_;
  CaptionButton* hint_;
  CaptionButton* design_name_;
  QLabel* footer_;
};

}  // namespace kalo
