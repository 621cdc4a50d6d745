// The saver's pacing on the Qt event queue. A yield shows what was drawn and
// lets pending input run; a sleep keeps handling input while it waits. Either
// leaves the design loop with SaverEnded as soon as an input handler has
// ended the saver, after Qt's dispatch has returned.
#pragma once

#include <QElapsedTimer>
#include <functional>

#include "engine/design_window.h"

namespace kalo {

class QtPacer final : public Pacer {
 public:
  // `push` hands the part of the image changed since the last push to the
  // screen; `ended` tells whether the saver has been ended.
  QtPacer(std::function<void()> push, std::function<bool()> ended);

  void DoEvents() override;
  void Sleep(Long ms) override;

  // Yields push at most this often while no sleep comes between them, so a
  // burst of short strokes does not pay for a repaint each.
  static constexpr qint64 kPushIntervalMs = 8;

 private:
  void Push();
  void ThrowIfEnded() const;

  std::function<void()> push_;
  std::function<bool()> ended_;
  QElapsedTimer since_push_;
};

}  // namespace kalo
