// What the design engine and the design loop need of the world outside:
// the drawing window (pen, strokes, controls), the pacer that yields to the
// event queue and sleeps, and the source of random numbers. Production code
// plugs in the Qt window; tests plug in recording and scripted stand-ins.
#pragma once

#include <string>

#include "core/basic_types.h"

namespace kalo {

// The controls drawn over the saver window.
enum class Control {
  Command1,  // top banner: save pending / companion hint
  Command2,  // centred hint shown now and then between pictures
  Command5,  // the design type's name, centred on the design
  Label3,    // one-line footer along the bottom edge
};

// The banner captions of Command1.
inline constexpr const char* kSavePendingBanner =
    "Save of current design is pending.       Hit <SPACEBAR> to cancel...";
inline constexpr const char* kCompanionHint =
    "Hit <SPACEBAR> while a design is being drawn to save for KaloDraw";

class DesignWindow {
 public:
  virtual ~DesignWindow() = default;

  // Strokes, in window units (pixels, origin top left, y down), drawn with the
  // current DrawWidth and DrawMode. Any finite coordinate is accepted.
  virtual void Line(Single x1, Single y1, Single x2, Single y2, Long colour) = 0;
  virtual void PSet(Single x, Single y, Long colour) = 0;

  virtual Long ForeColor() const = 0;
  virtual void SetForeColor(Long colour) = 0;
  virtual Integer DrawWidth() const = 0;
  virtual void SetDrawWidth(Integer width) = 0;
  virtual Integer DrawMode() const = 0;
  virtual void SetDrawMode(Integer mode) = 0;
  virtual Long BackColor() const = 0;
  virtual void SetBackColor(Long colour) = 0;

  // Clears the persistent image to the background colour.
  virtual void Cls() = 0;
  // Pushes everything drawn so far to the screen now, controls included.
  virtual void Refresh() = 0;

  virtual Single ScaleWidth() const = 0;
  virtual Single ScaleHeight() const = 0;

  // Controls, positions and sizes in pixels.
  virtual void SetCaption(Control c, const std::string& text) = 0;
  virtual std::string Caption(Control c) const = 0;
  virtual void SetVisible(Control c, bool visible) = 0;
  virtual bool IsVisible(Control c) const = 0;
  virtual void Move(Control c, Single left, Single top) = 0;
  virtual Single Left(Control c) const = 0;
  virtual Single Top(Control c) const = 0;
  virtual Single Width(Control c) const = 0;
  virtual Single Height(Control c) const = 0;
  // Background and text colour of a control (Label3 follows the background).
  virtual void SetColours(Control c, Long back, Long fore) = 0;
};

// Thrown out of a yield or sleep once the saver has been told to end; the
// design loop and every renderer unwind through it to Main. It is never
// thrown from inside the event dispatch itself.
struct SaverEnded {};

class Pacer {
 public:
  virtual ~Pacer() = default;
  // Lets pending input run (it may end the saver: then SaverEnded is thrown).
  virtual void DoEvents() = 0;
  // Waits ms milliseconds while input keeps being handled; throws SaverEnded
  // when the saver is ended during the wait.
  virtual void Sleep(Long ms) = 0;
};

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // A uniform Single in [0, 1), never 1.
  virtual Single Rnd() = 0;
};

}  // namespace kalo
