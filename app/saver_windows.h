// The windows of a saver on the desktop: the design window on the primary
// monitor, a plain cover over every other monitor (or, on request, a window
// with designs of its own), and the keyboard and pointer held for them. The
// saver and a canvas file drawn again come up the same way, and go the same
// way when the saver ends.
#pragma once

#include "app/saver_process.h"
#include "screen/every_monitor.h"
#include "screen/full_screen_window.h"
#include "screen/input_grab.h"

namespace kalo {

class SaverWindows {
 public:
  // The design window covers the primary monitor, not yet shown; ending the
  // saver takes all of them down from now on. With `every_monitor` the other
  // monitors draw designs of their own instead of a plain background.
  explicit SaverWindows(SaverProcess& saver, bool every_monitor = false);
  ~SaverWindows();
  SaverWindows(const SaverWindows&) = delete;
  SaverWindows& operator=(const SaverWindows&) = delete;

  // Hides the pointer, shows every window full screen over the panels, and
  // takes the keyboard and pointer, so that a key always reaches the saver
  // even when another program keeps the focus.
  void Show();

  // What the designs are drawn on, the covers following its background.
  FullScreenWindow& window() { return window_; }
  InputGrab& grab() { return grab_; }

 private:
  SaverProcess& saver_;
  bool every_monitor_;
  FullScreenWindow window_;
  EveryMonitor monitors_;
  InputGrab grab_;
};

}  // namespace kalo
