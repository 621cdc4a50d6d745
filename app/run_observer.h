// What a program that measures the saver sees of a run: the real window the
// designs are shown in, full screen or in a host's window, and the real pacer
// that pushes its changes to the screen, or paces the loop that draws in a
// host's window on a thread of its own. Nothing watches unless such a
// program installs an observer before it calls Main; the saver never does.
#pragma once

namespace kalo {

class HostedWindow;
class Pacer;
class QtPacer;
class SurfaceWindow;
struct SaverProcess;

class RunObserver {
 public:
  virtual ~RunObserver() = default;

  // A run on a screen of the saver's own: called on the design loop's
  // thread, outside Qt's event dispatch.
  // The pacer the designs are to use instead of `real`, which it may call on;
  // null keeps `real`. Asked before anything else.
  virtual Pacer* ChoosePacer(SurfaceWindow& shown, QtPacer& real) = 0;
  // `shown` is on the screen and the designs are about to start. It may
  // yield and sleep like the loop itself; saver.End() ends the run as input
  // would.
  virtual void Started(SaverProcess& saver, SurfaceWindow& shown, QtPacer& pacer) = 0;
  // The designs have stopped for good; `shown` is still there.
  virtual void Finished(SurfaceWindow& shown, QtPacer& pacer) = 0;

  // A run in a host's window. The pacer for its loop instead of `own`, or
  // null; asked on the loop's thread.
  virtual Pacer* ChooseLoopPacer(Pacer& own) = 0;
  // On Qt's thread: the loop is about to start drawing in `shown`; it runs
  // until saver.End().
  virtual void HostedStarted(SaverProcess& saver, HostedWindow& shown) = 0;
  // The loop has stopped for good.
  virtual void HostedFinished(HostedWindow& shown) = 0;

  // Makes `observer` watch the runs from now on; null: none.
  static void Install(RunObserver* observer) { installed_ = observer; }
  static RunObserver* installed() { return installed_; }

 private:
  static inline RunObserver* installed_ = nullptr;
};

}  // namespace kalo
