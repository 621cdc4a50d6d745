// The program's start and its one way out. Main decides the run mode from the
// command line, reads the settings, brings up the saver window or the
// settings dialog, and runs the designs until an input handler or a signal
// ends the saver.
#pragma once

namespace kalo {

// The whole program; returns the exit status:
//  2 when the command line is wrong: an unknown option or a bad option value,
//    or, for a hosted run, an $XSCREENSAVER_WINDOW that names no window;
//  1 when memory ran out (in any mode, after "kalosaver: out of memory"), no
//    display could be opened, the screen shows fewer than 15 bits of colour,
//    the host's window cannot be drawn in, a canvas file to open cannot be
//    read or drawn, a render fails (RenderCanvas says how), or the settings
//    dialog could not save the settings;
//  0 otherwise: the saver, the canvas file shown or the settings dialog was
//    ended, the help or the version was shown, the command line asked for
//    nothing, or another saver or settings dialog was already running.
int Main(int argc, char** argv);

}  // namespace kalo
