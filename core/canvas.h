// What the design engine and the design loop draw on and pace themselves by:
// the canvas the designs are drawn on (pen, strokes, size, background), and
// the pacer that yields to the event queue and sleeps. Production code plugs
// in the Qt window or an image; tests plug in recording and scripted
// stand-ins. What is shown over the designs is core/overlay.h, and the
// random numbers come from core/random.h.
#pragma once

#include <ctime>

#include "core/basic_types.h"

namespace kalo {

// The sixteen raster modes a stroke combines with what is under it (the pen
// P, the picture D), numbered as canvas files store them and as the surface's
// raster code indexes them.
enum class RasterMode : Integer {
  Black = 1,         // 0
  NotMergePen = 2,   // ~(D | P)
  MaskNotPen = 3,    // D & ~P
  NotCopyPen = 4,    // ~P
  MaskPenNot = 5,    // P & ~D
  Invert = 6,        // ~D
  XorPen = 7,        // D ^ P
  NotMaskPen = 8,    // ~(D & P)
  MaskPen = 9,       // D & P
  NotXorPen = 10,    // ~(D ^ P)
  Nop = 11,          // D
  MergeNotPen = 12,  // D | ~P
  CopyPen = 13,      // P
  MergePenNot = 14,  // P | ~D
  MergePen = 15,     // D | P
  White = 16,        // 1
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  // Strokes, in canvas units (pixels, origin top left, y down), drawn with the
  // current DrawWidth and DrawMode. Any finite coordinate is accepted.
  virtual void Line(Single x1, Single y1, Single x2, Single y2, Long colour) = 0;
  virtual void PSet(Single x, Single y, Long colour) = 0;

  virtual Long ForeColor() const = 0;
  virtual void SetForeColor(Long colour) = 0;
  virtual Integer DrawWidth() const = 0;
  virtual void SetDrawWidth(Integer width) = 0;
  virtual RasterMode DrawMode() const = 0;
  virtual void SetDrawMode(RasterMode mode) = 0;
  virtual Long BackColor() const = 0;
  virtual void SetBackColor(Long colour) = 0;

  // Clears the persistent image to the background colour.
  virtual void Cls() = 0;
  // Pushes everything drawn so far to the screen now, with what is shown
  // over it.
  virtual void Refresh() = 0;

  virtual Single ScaleWidth() const = 0;
  virtual Single ScaleHeight() const = 0;
};

// Thrown out of a yield or sleep once the saver has been told to end; the
// design loop and every renderer unwind through it to Main. It is never
// thrown from inside the event dispatch itself.
struct SaverEnded {};

// Plain counts of a pacer's work, for measuring the saver.
struct PacerFigures {
  long long yields = 0;
  long long pushes = 0;        // times yields and sleeps handed the changes to the screen
  long long event_passes = 0;  // times a yield worked through the whole event queue
  long long sleeps = 0;
  long long sleep_ns = 0;      // wall time spent waiting in sleeps, after their push
  long long sleep_cpu_ns = 0;  // processor time the process used meanwhile
};

// Processor time the whole process has used, in nanoseconds: what a sleep's
// sleep_cpu_ns is measured on.
inline long long ProcessCpuNs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<long long>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

class Pacer {
 public:
  virtual ~Pacer() = default;
  // Lets pending input run (it may end the saver: then SaverEnded is thrown).
  virtual void DoEvents() = 0;
  // Waits ms milliseconds while input keeps being handled; throws SaverEnded
  // when the saver is ended during the wait.
  virtual void Sleep(Long ms) = 0;
};

}  // namespace kalo
