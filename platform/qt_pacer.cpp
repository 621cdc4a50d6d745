#include "platform/qt_pacer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace kalo {

QtPacer::QtPacer(std::function<void()> push, std::function<bool()> ended)
    : push_(std::move(push)), ended_(std::move(ended)) {}

void QtPacer::Push() {
  if (push_) push_();
  since_push_.start();
}

void QtPacer::ThrowIfEnded() const {
  if (ended_ && ended_()) throw SaverEnded{};
}

void QtPacer::DoEvents() {
  ThrowIfEnded();
  if (!since_push_.isValid() || since_push_.elapsed() >= kPushIntervalMs) Push();
  QCoreApplication::processEvents();
  ThrowIfEnded();
}

void QtPacer::Sleep(Long ms) {
  ThrowIfEnded();
  Push();
  if (ms <= 0) {
    QCoreApplication::processEvents();
    ThrowIfEnded();
    return;
  }
  // Block on the event queue until the deadline, so input is handled the
  // moment it arrives and the processor rests meanwhile. The timer only
  // wakes the wait at the deadline; it is re-armed after every wake-up
  // because input may have woken the wait early.
  const QDeadlineTimer deadline(ms, Qt::PreciseTimer);
  QTimer wake;
  wake.setSingleShot(true);
  wake.setTimerType(Qt::PreciseTimer);
  for (;;) {
    const qint64 left_ns = deadline.remainingTimeNSecs();
    if (left_ns <= 0) break;
    wake.start(static_cast<int>((left_ns + 999999) / 1000000));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    ThrowIfEnded();
  }
}

}  // namespace kalo
