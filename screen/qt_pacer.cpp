#include "screen/qt_pacer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <utility>

#include "system/steady_clock.h"

namespace kalo {

QtPacer::QtPacer(std::function<void()> push, std::function<bool()> ended, Clock clock)
    : push_(std::move(push)), ended_(std::move(ended)), clock_(std::move(clock)) {
  if (!clock_) clock_ = SteadyNs;
}

QtPacer::~QtPacer() { wake_.stop(); }

void QtPacer::Push() {
  ++figures_.pushes;
  if (push_) push_();
  last_push_ns_ = clock_();
}

void QtPacer::PassEvents() {
  ++figures_.event_passes;
  QCoreApplication::processEvents();
  last_pass_ns_ = clock_();
}

void QtPacer::ThrowIfEnded() const {
  if (ended_ && ended_()) throw SaverEnded{};
}

void QtPacer::DoEvents() {
  ThrowIfEnded();
  ++figures_.yields;
  const qint64 now = clock_();
  if (last_push_ns_ < 0 || now - last_push_ns_ >= kPushIntervalMs * 1000000) {
    // The push is painted by the pass that follows it.
    Push();
    PassEvents();
  } else if (last_pass_ns_ < 0 || now - last_pass_ns_ >= kInputIntervalNs) {
    PassEvents();
  } else {
    QCoreApplication::sendPostedEvents();
  }
  ThrowIfEnded();
}

void QtPacer::Sleep(Long ms) {
  ThrowIfEnded();
  Push();
  if (ms <= 0) {
    PassEvents();
    ThrowIfEnded();
    return;
  }
  ++figures_.sleeps;
  const qint64 waited_from = clock_();
  const qint64 cpu_before = ProcessCpuNs();
  // Block on the event queue until the deadline, so input is handled the
  // moment it arrives and the processor rests meanwhile. Input that does not
  // end the saver wakes the wait without shortening it: the timer is re-armed
  // for what is left after every wake-up.
  const qint64 deadline_ns = clock_() + static_cast<qint64>(ms) * 1000000;
  for (;;) {
    const qint64 left_ns = deadline_ns - clock_();
    if (left_ns <= 0) break;
    wake_.start(static_cast<int>((left_ns + 999999) / 1000000), Qt::PreciseTimer, &waker_);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (ended_ && ended_()) {
      wake_.stop();
      throw SaverEnded{};
    }
  }
  wake_.stop();
  last_pass_ns_ = clock_();
  figures_.sleep_ns += last_pass_ns_ - waited_from;
  figures_.sleep_cpu_ns += ProcessCpuNs() - cpu_before;
}

}  // namespace kalo
