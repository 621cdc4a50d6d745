// How the saver starts: which run mode a command line asks for, and how the
// switches and the settings texts shape the canvas, the overlay, the run
// flags and the first design before the design loop takes over. No Qt here,
// so every rule can be checked against a recording canvas and overlay.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/canvas.h"
#include "core/overlay.h"
#include "core/random.h"
#include "core/run_state.h"
#include "engine/design_state.h"

namespace kalo {

// The colour number written right after the first "/c", rounded and taken
// into the range of colours, so that a huge or negative number still gives a
// colour rather than an overflow. No number gives black.
Long ColourSwitchValue(std::string_view command_line);

// Everything between reading the settings and hiding the cursor, in order:
// the look-changing switches, the footer's colours, which design types are
// enabled, the background mode, the stretch, the stroke delay, the window
// layout, the first design's defaults and lines or dots. The canvas must
// already cover the screen: the "DI" stretch is the screen's proportions.
void PrepareSaver(RunState& run, DesignState& s, Canvas& canvas, Overlay& overlay,
                  RandomSource& rnd);

// What follows once the window is shown: the state the design loop starts
// from, and the companion-mode hint.
void FinishStartup(RunState& run, DesignState& s, Canvas& canvas, Overlay& overlay);

// The footer takes the background colour, with black text on any background
// but the two darkest and white text on those.
void ColourFooter(const Canvas& canvas, Overlay& overlay);

// The cursor routines, run against the platform's display count: `show_cursor`
// shows (true) or hides (false) once and returns the new count.
using ShowCursorFn = std::function<int(bool show)>;
// Hides however many times the cursor had been shown, and remembers the count
// to come back to.
void HideCursor(RunState& run, const ShowCursorFn& show_cursor);
// Shows the cursor until the remembered count is reached again.
void RestoreCursor(RunState& run, const ShowCursorFn& show_cursor);

}  // namespace kalo
