// What one saver process holds while it runs, whichever way it shows its
// designs: the run state, the design state, the random source, the pointer's
// display count, and how to take the windows down when the saver ends. Each
// way of running (full screen, in a host's window, a canvas file drawn again)
// fills in `unload` and runs the design loop through RunDesigns.
#pragma once

#include <QPointer>
#include <functional>

#include "app/command_line.h"
#include "core/random.h"
#include "core/run_state.h"
#include "dialogs/frm_about.h"
#include "engine/design_loop.h"
#include "engine/design_state.h"
#include "screen/cursor_count.h"
#include "screen/qt_pacer.h"

namespace kalo {

struct SaverProcess {
  RunMode mode = RunMode::kNone;
  RunState run;
  DesignState design;
  SystemRandom rnd;  // seeded from the time of day
  CursorCount cursor;
  // The about dialog while it is shown.
  QPointer<FrmAbout> about;
  AboutMouseMemory about_mouse;
  // Closes the windows of the running mode for good; called once, by EndSaver.
  std::function<void()> unload;
  bool ended = false;
};

// The process's one saver, for the handlers that end it; null outside Main.
SaverProcess* CurrentSaver();

class QtPacer;

// Lets a program that measures the saver watch the real window and pacer of a
// run. The hooks are called on the design loop's own thread, outside Qt's
// event dispatch; `started` may yield and sleep like the loop itself.
template <class Window>
struct RunHooks {
  // The window is shown and the designs are about to start.
  std::function<void(Window&, QtPacer&)> started;
  // The designs have stopped for good; the window is still there.
  std::function<void(Window&, QtPacer&)> finished;
  // The pacer the designs are to use instead of the real one, which it may
  // call on; the real one when unset or when it gives null.
  std::function<Pacer*(Window&, QtPacer&)> pacer;
};

// Runs the design loop on `shown` and `overlay` until the saver is ended,
// paced by the real pacer that pushes `shown`'s changes to the screen (or by
// the hooks' pacer).
template <class Window>
void RunDesigns(SaverProcess& saver, Window& shown, Overlay& overlay, SaverServices& services,
                const RunHooks<Window>& hooks) {
  QtPacer qt_pacer([&shown] { shown.PushChanges(); }, [&saver] { return saver.ended; });
  Pacer* pacer = hooks.pacer ? hooks.pacer(shown, qt_pacer) : nullptr;
  if (!pacer) pacer = &qt_pacer;
  LoopContext ctx{EngineContext{saver.design, shown, overlay, *pacer, saver.rnd}, saver.run,
                  services};
  try {
    if (hooks.started) hooks.started(shown, qt_pacer);
    RunDesignLoop(ctx);
  } catch (const SaverEnded&) {
  }
  if (hooks.finished) hooks.finished(shown, qt_pacer);
}

}  // namespace kalo
