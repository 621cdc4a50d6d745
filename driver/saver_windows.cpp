#include "driver/saver_windows.h"

#include "driver/saver_main.h"

namespace kalo {

SaverWindows::SaverWindows(SaverProcess& saver)
    : saver_(saver), pic_(saver.run, [] { EndSaver(); }), window_(pic_), grab_(&pic_) {
  saver_.unload = [this] {
    if (saver_.about) saver_.about->reject();
    grab_.Release();
    window_.Unload();
  };
  pic_.CoverScreen();
}

SaverWindows::~SaverWindows() { saver_.unload = nullptr; }

void SaverWindows::Show() {
  HideCursor();
  // Full-screen state on top of the screen's geometry, so that a window
  // manager keeps its panels beneath the saver.
  pic_.showFullScreen();
  pic_.raise();
  pic_.activateWindow();
  pic_.setFocus();
  window_.Cover();
  grab_.Take();
}

}  // namespace kalo
