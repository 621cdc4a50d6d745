// The forms are drawn in twips for a small dialog font. Shown in the
// desktop's font, which is usually larger, a form grows with that font the
// way dialog units do, and every control then gets at least the room its
// caption needs, pushing whatever lies beyond it further out, so that nothing
// overlaps or is cut off whatever the font and the screen's resolution.
#pragma once

#include <QFont>
#include <QRect>
#include <QStringList>
#include <vector>

class QGroupBox;
class QWidget;

namespace kalo {

// Twips to pixels for a form shown in a given font: fifteen twips a pixel for
// the font the forms were drawn for, proportionally fewer for a larger font
// (never more), separately across and down.
class FormUnits {
 public:
  explicit FormUnits(const QFont& font);

  int X(int twips) const;
  int Y(int twips) const;
  QRect Rect(int left, int top, int width, int height) const;

 private:
  double across_ = 1;
  double down_ = 1;
};

// One control of a form: where the form draws it and how much room it needs
// at least. Both in pixels, relative to the control's parent.
struct Placement {
  QWidget* widget = nullptr;
  QRect design;
  QSize need;
};

// Puts every control at its designed place, at least as large as it needs.
// A control that grows pushes the controls beside it to the right and those
// under it down by as much as it grew, so controls drawn apart stay apart;
// controls drawn in one row or column stay in it, and controls drawn alike
// in size stay alike. Designs that overlap a little (a row drawn taller than
// the gap to the next) are first trimmed to meet. Returns how far the
// controls now reach beyond their designed extent, across and down.
QSize Reflow(std::vector<Placement> controls);

// Lays out the controls of a frame (designed relative to the frame's top left
// corner, for a border along the middle of the title) within the frame's
// contents, and gives the frame's own placement at `design`, grown by what
// its title and contents need.
Placement FrameWithContents(QGroupBox* frame, QRect design, std::vector<Placement> contents,
                            const FormUnits& units);

// The least size that shows a control whole: its caption, indicator and
// frame, as its style draws them.
QSize Needed(const QWidget* control);

// `design` grown until every caption, wrapped at blanks, fits inside the
// control's contents (the control's own margins kept): wider for the longest
// word, taller for the lines. For buttons whose caption changes as they are
// used, so that each caption fits the one size.
QRect FitWrappedCaptions(const QWidget* control, QRect design, const QStringList& captions);

}  // namespace kalo
