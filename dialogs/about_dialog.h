// The about dialog: names the program, says what its designs are good for and
// carries the one setting without a control in the settings dialog, whether
// the saver shows this dialog now and then (ShowAboutFlag).
//
// While the saver runs ("/s" on the command line) a key that reaches the form
// itself, or a real mouse movement over it, ends the program just as over the
// drawing window; in configure mode keys and mouse do only what the controls
// do.
#pragma once

#include <QDialog>
#include <functional>

#include "core/run_state.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace kalo {

// The last mouse position seen over the about dialog. It belongs to the
// program, not to one showing of the dialog: a later showing compares the
// first movement against the position recorded during the previous one.
struct AboutMouseMemory {
  int LastMouseX = 0;
  int LastMouseY = 0;
};

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  // Construction is the form's load: it centres itself on the screen and shows
  // the current ShowAboutFlag in its check box. end_saver is called when an
  // input event ends the saver; the caller must not expect the dialog to
  // survive that call.
  AboutDialog(RunState& run, AboutMouseMemory& mouse, std::function<void()> end_saver,
           QWidget* parent = nullptr);

  // The occasional display while the saver runs: no description line, no OK
  // button, the check box shown but not changeable.
  void PrepareBrief();
  // Shown modal after a design was saved: the check box cannot be changed.
  void PrepareAfterSave();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  // The program runs as the saver when its command line holds "/s" (case
  // matters), looked at afresh on every event.
  bool SaverRunning() const;
  // True while one of the form's own controls holds the keyboard focus; keys
  // then belong to that control, not to the form.
  bool ControlHasFocus() const;
  // OK takes the check box into ShowAboutFlag and closes the dialog.
  void ApplyAndClose();
  // Ends the saver on a real movement of the mouse to (x, y) over the form.
  void MouseMovedTo(double x, double y);

  RunState& run_;
  AboutMouseMemory& mouse_;
  std::function<void()> end_saver_;

  QLabel* description_;
  QCheckBox* show_occasionally_;
  QPushButton* ok_;
};

}  // namespace kalo
