// The program's start and its one way out. Main decides the run mode from the
// command line, reads the settings, brings up the saver window or the
// settings dialog, and runs the designs until an input handler calls
// EndSaver.
#pragma once

#include "app/hosted_saver.h"

namespace kalo {

class DesignPic;

// Hooks for measuring a full-screen run, and a run in a host's window.
struct SaverRunHooks : RunHooks<DesignPic> {
  HostedRunHooks hosted;
};

// The whole program; returns the exit status (1 when memory ran out).
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
