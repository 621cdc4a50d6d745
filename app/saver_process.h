// What one saver process holds while it runs, whichever way it shows its
// designs: the run state, the design state, the random source, the pointer's
// display count, and how to take the windows down when the saver ends. Each
// way of running (full screen, in a host's window, a canvas file drawn again)
// fills in `unload` and runs the design loop through RunDesigns.
#pragma once

#include <QPointer>
#include <functional>

#include "app/command_line.h"
#include "app/run_observer.h"
#include "core/random.h"
#include "core/run_state.h"
#include "dialogs/about_dialog.h"
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
  QPointer<AboutDialog> about;
  AboutMouseMemory about_mouse;
  // Closes the windows of the running mode for good; called once, by End.
  std::function<void()> unload;
  bool ended = false;

  // Ends the saver from any event handler: closes the windows, brings the
  // pointer back and marks the end, which the next yield or sleep acts on
  // (configure mode leaves its event loop instead). Harmless when called
  // twice.
  void End();
  // Hide the pointer while designs are drawn, and bring it back before any
  // question to the user.
  void HideCursor();
  void RestoreCursor();
};

// Runs the design loop on `shown` and `overlay` until the saver is ended,
// paced by the real pacer that pushes `shown`'s changes to the screen (or by
// the installed observer's pacer).
template <class Window>
void RunDesigns(SaverProcess& saver, Window& shown, Overlay& overlay, SaverServices& services) {
  QtPacer qt_pacer([&shown] { shown.PushChanges(); }, [&saver] { return saver.ended; });
  RunObserver* observer = RunObserver::installed();
  Pacer* pacer = observer ? observer->ChoosePacer(shown, qt_pacer) : nullptr;
  if (!pacer) pacer = &qt_pacer;
  LoopContext ctx{EngineContext{saver.design, shown, overlay, *pacer, saver.rnd}, saver.run,
                  services};
  try {
    if (observer) observer->Started(saver, shown, qt_pacer);
    RunDesignLoop(ctx);
  } catch (const SaverEnded&) {
  }
  if (observer) observer->Finished(shown, qt_pacer);
}

}  // namespace kalo
