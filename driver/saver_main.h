// The program's start and its one way out. Main decides the run mode from the
// command line, reads the settings, brings up the saver window or the
// settings dialog, and runs the designs until an input handler calls
// EndSaver.
#pragma once

#include <functional>

#include "driver/hosted_saver.h"

namespace kalo {

class DesignPic;
class Pacer;
class QtPacer;

// Lets a program that measures the saver watch the real window and pacer of a
// run. The hooks are called on the design loop's own thread, outside Qt's
// event dispatch; `started` may yield and sleep like the loop itself.
struct SaverRunHooks {
  // The window is shown and the designs are about to start.
  std::function<void(DesignPic&, QtPacer&)> started;
  // The designs have stopped for good; the window is still there.
  std::function<void(DesignPic&, QtPacer&)> finished;
  // The pacer the designs are to use instead of the real one, which it may
  // call on; the real one when unset or when it gives null.
  std::function<Pacer*(DesignPic&, QtPacer&)> pacer;
  // The same for a run in a screen-saver host's window.
  HostedRunHooks hosted;
};

// The whole program; returns the exit status (always 0).
int Main(int argc, char** argv);
// The same, with `hooks` called around the designs of a saver run.
int Main(int argc, char** argv, const SaverRunHooks& hooks);

// Ends the program from any event handler: closes the forms, brings the
// pointer back and marks the end, which the next yield or sleep acts on
// (configure mode leaves its event loop instead). Harmless when called twice
// or when no saver runs.
void EndSaver();
// Whether EndSaver has run in this process.
bool HasSaverEnded();

// Hide the pointer while designs are drawn, and bring it back before any
// question to the user.
void HideCursor();
void RestoreCursor();

}  // namespace kalo
