// What one saver process holds while it runs, whichever way it shows its
// designs: the run state, the design state, the random source, the pointer's
// display count, and how to take the windows down when the saver ends. Each
// way of running (full screen, in a host's window, a canvas file drawn again)
// fills in `unload` and runs the design loop through RunDesigns.
#pragma once

#include <QPointer>
#include <functional>

#include "about/frm_about.h"
#include "common/run_state.h"
#include "driver/command_line.h"
#include "driver/design_loop.h"
#include "engine/design_state.h"
#include "platform/cursor_count.h"
#include "platform/random.h"

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

// Runs the design loop on `win` until the saver is ended; `started` and
// `finished` (either may be empty) are called around it, on the loop's side.
void RunDesigns(SaverProcess& saver, DesignWindow& win, Pacer& pacer, SaverServices& services,
                const std::function<void()>& started = {},
                const std::function<void()>& finished = {});

}  // namespace kalo
