#include "app/open_canvas.h"

#include <QFileInfo>
#include <QMessageBox>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>

#include "app/render_canvas.h"
#include "app/saver_main.h"
#include "app/saver_windows.h"
#include "canvas/canvas_replay.h"
#include "canvas/canvas_scale.h"
#include "core/numbers.h"
#include "files/file_error.h"
#include "screen/qt_pacer.h"

namespace kalo {

namespace {

void TellOnStderr(const Invocation& inv, const std::string& why) {
  std::fprintf(stderr, "kalosaver: %s: %s\n", ShownFileName(inv.canvas_file).c_str(), why.c_str());
}

// The file could not be drawn, however the box goes: by OK, or closed by a
// signal that ends the saver, as the saver's own questions are.
int Refuse(SaverProcess& saver, const Invocation& inv, const std::string& why) {
  QMessageBox box(
      QMessageBox::Warning, QStringLiteral("KaloSaver"),
      QStringLiteral("%1 cannot be drawn:\n\n%2")
          .arg(QString::fromStdString(ShownFileName(inv.canvas_file)), QString::fromStdString(why)),
      QMessageBox::Ok);
  std::function<void()> before = std::move(saver.unload);
  saver.unload = [&box, &before] {
    box.reject();
    if (before) before();
  };
  if (!saver.ended) box.exec();
  saver.unload = std::move(before);
  return 1;
}

}  // namespace

CanvasRead ReadCanvasToOpen(const Invocation& inv) {
  CanvasRead read = ReadCanvasFile(inv.canvas_file);
  if (!read.ok()) TellOnStderr(inv, read.error);
  return read;
}

int OpenCanvas(SaverProcess& saver, const Invocation& inv, const CanvasRead& read) {
  if (!read.ok()) return Refuse(saver, inv, read.error);
  RunState& run = saver.run;
  SaverWindows windows(saver, inv.every_monitor);
  FullScreenWindow& window = windows.window();
  window.setWindowTitle(QFileInfo(QString::fromStdString(inv.canvas_file)).fileName() +
                        QStringLiteral(" - KaloSaver"));
  const int width = window.surface().width(), height = window.surface().height();
  const CanvasScale scale = ChooseCanvasScale(read.design, width, height, RequestedScale(inv));
  const std::string why = CheckCanvasWork(read.design, width, height, scale);
  if (!why.empty()) {
    TellOnStderr(inv, why);
    return Refuse(saver, inv, why);
  }
  // Nothing here is saved and there are no hints: the picture alone, and
  // every key ends the showing, the space bar too.
  for (Control c : {Control::Banner, Control::Hint, Control::DesignName, Control::Footer})
    window.SetVisible(c, false);
  run.KeysActive = false;
  windows.Show();
  QtPacer pacer([&window] { window.PushChanges(); }, [&saver] { return saver.ended; });
  DesignState& s = saver.design;
  s.StrokeDelay = static_cast<Single>(Val(run.Settings[kDrawDelay]));
  NullOverlay overlay;
  // On the screen it was saved on the design is drawn as it was, stroke for
  // stroke; on another it is scaled to it.
  ScaledCanvas scaled(window, scale);
  Canvas& canvas = scale.Plain(width, height) ? static_cast<Canvas&>(window) : scaled;
  PrepareCanvasReplay(s, canvas);
  EngineContext e{s, canvas, overlay, pacer, saver.rnd};
  run.StartingUp = false;
  try {
    DrawCanvas(e, read.design);
    for (;;) pacer.Sleep(250);
  } catch (const SaverEnded&) {
  }
  return 0;
}

}  // namespace kalo
