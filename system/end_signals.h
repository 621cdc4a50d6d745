// The signals that ask a saver to go -- SIGTERM from a screen-saver host or
// the session, SIGINT from a terminal, SIGHUP when the terminal goes -- turned
// into an ordinary event on the Qt event queue, so the saver ends through its
// one way out: windows closed, pointer restored, lock file removed. That way
// out is bounded: a saver still there kGraceSeconds after the first signal,
// or asked a second time, ends at once by the signal it was sent.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace kalo {

class EndSignals final : public QObject {
  Q_OBJECT
 public:
  // `end` runs on the event queue each time one of the signals arrives.
  // One watcher a process; the signals go back to their defaults when it goes.
  explicit EndSignals(std::function<void()> end);
  ~EndSignals() override;

  static constexpr unsigned kGraceSeconds = 2;

 private:
  std::function<void()> end_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace kalo
