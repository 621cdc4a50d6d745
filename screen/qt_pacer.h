// The saver's pacing on the Qt event queue. A yield shows what was drawn and
// lets pending input run; a sleep keeps handling input while it waits. Either
// leaves the design loop with SaverEnded as soon as an input handler has
// ended the saver, after Qt's dispatch has returned.
#pragma once

#include <QBasicTimer>
#include <QObject>
#include <functional>

#include "core/canvas.h"

namespace kalo {

class QtPacer final : public Pacer {
 public:
  // Nanoseconds on a clock that never steps back.
  using Clock = std::function<qint64()>;

  // `push` hands the part of the image changed since the last push to the
  // screen; `ended` tells whether the saver has been ended. Intervals and
  // sleeps are timed on `clock`, the system's steady clock when none is given.
  QtPacer(std::function<void()> push, std::function<bool()> ended, Clock clock = {});
  ~QtPacer() override;

  void DoEvents() override;
  void Sleep(Long ms) override;

  // Yields push at most this often while no sleep comes between them, so a
  // burst of short strokes does not pay for a repaint each.
  static constexpr qint64 kPushIntervalMs = 8;
  // Yields look for input from the window system at most this often. A look
  // costs several times a short stroke; a key still ends the saver within
  // this time. What the program posted to itself is handled at every yield.
  static constexpr qint64 kInputIntervalNs = 1000000;

  const PacerFigures& figures() const { return figures_; }

 private:
  void Push();
  void PassEvents();
  void ThrowIfEnded() const;

  std::function<void()> push_;
  std::function<bool()> ended_;
  Clock clock_;
  qint64 last_push_ns_ = -1;
  qint64 last_pass_ns_ = -1;
  // Wakes a sleep at its deadline; kept for the pacer's life so a sleep
  // makes no timer object of its own.
  QObject waker_;
  QBasicTimer wake_;
  PacerFigures figures_;
};

}  // namespace kalo
