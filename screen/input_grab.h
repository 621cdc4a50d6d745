// Keeps the keyboard and the pointer with the saver while it runs, so that a
// key or a hand on the mouse always reaches it, even when another program's
// window holds the focus or lies above the saver. Events over the saver's own
// windows still go to the window under them; everything else goes to the
// window the grab was taken for.
#pragma once

#include <QBasicTimer>
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace kalo {

enum class InputDevice { kKeyboard, kPointer };

class InputGrab final : public QObject {
 public:
  // Takes (true) or gives back (false) one device. Taking answers whether the
  // device is now held; another program's grab makes it fail.
  using Grabber = std::function<bool(InputDevice, bool take)>;
  // Nanoseconds on a clock that never steps back.
  using Clock = std::function<qint64()>;

  // Grabs on the X server for `window`, through Qt's own connection. Other
  // window systems let no program grab, and there the grab does nothing.
  explicit InputGrab(QWidget* window);
  // The retries are timed on `clock`, the system's steady clock when none is
  // given.
  explicit InputGrab(Grabber grabber, Clock clock = {});
  ~InputGrab() override;
  InputGrab(const InputGrab&) = delete;
  InputGrab& operator=(const InputGrab&) = delete;

  // Takes both devices. What another program holds is tried again every
  // kRetryMs for up to kRetryForMs; after that the saver runs without it.
  void Take();
  // Gives back whatever is held, and stops trying to take the rest.
  void Release();
  bool holds(InputDevice device) const { return held_[static_cast<int>(device)]; }
  bool retrying() const { return retry_.isActive(); }

  static constexpr int kRetryMs = 50;
  static constexpr int kRetryForMs = 1000;

 protected:
  void timerEvent(QTimerEvent* event) override;

 private:
  bool TakeMissing();

  Grabber grabber_;
  bool held_[2] = {false, false};
  QBasicTimer retry_;
  Clock clock_;
  qint64 since_ns_ = 0;
};

}  // namespace kalo
