#include "app/saver_windows.h"

#include <QApplication>
#include <QDialog>
#include <chrono>
#include <cstdint>

namespace kalo {

namespace {

// A question or dialog still open when the end comes (a signal from the
// session) goes too, as if cancelled, rather than keep the saver alive; the
// about dialog is one of them.
void CloseOpenDialogs() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible()) dialog->reject();
  }
}

}  // namespace

SaverWindows::SaverWindows(SaverProcess& saver, bool every_monitor)
    : saver_(saver),
      every_monitor_(every_monitor),
      window_(saver.run, [&saver] { saver.End(); }),
      monitors_(window_),
      grab_(&window_) {
  saver_.unload = [this] {
    CloseOpenDialogs();
    grab_.Release();
    monitors_.Unload();
  };
  window_.CoverScreen();
}

SaverWindows::~SaverWindows() { saver_.unload = nullptr; }

void SaverWindows::Show() {
  saver_.HideCursor();
  // Full-screen state on top of the screen's geometry, so that a window
  // manager keeps its panels beneath the saver.
  window_.showFullScreen();
  window_.raise();
  window_.activateWindow();
  window_.setFocus();
  if (every_monitor_) {
    QuietDesigns designs;
    designs.command_line = saver_.run.CommandLine;
    designs.settings = saver_.run.Settings;
    designs.seed_base = static_cast<uint64_t>(
        std::chrono::system_clock::now().time_since_epoch().count());
    monitors_.Cover(&designs);
  } else {
    monitors_.Cover();
  }
  grab_.Take();
}

}  // namespace kalo
