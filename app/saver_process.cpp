#include "app/saver_process.h"

#include <QCoreApplication>

#include "engine/startup_rules.h"

namespace kalo {

void SaverProcess::End() {
  if (ended) return;
  if (unload) unload();
  RestoreCursor();
  ended = true;
  if (mode == RunMode::kConfigure) QCoreApplication::quit();
}

void SaverProcess::HideCursor() {
  kalo::HideCursor(run, [this](bool show) { return cursor.ShowCursor(show); });
}

void SaverProcess::RestoreCursor() {
  kalo::RestoreCursor(run, [this](bool show) { return cursor.ShowCursor(show); });
}

}  // namespace kalo
