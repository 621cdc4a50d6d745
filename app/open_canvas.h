// "--open": a saved canvas file drawn again full screen, on its saved
// background, layer by layer and stroke by stroke at the saver's own pace.
// Input ends it as it ends the saver; after the last layer the picture stays
// until then.
#pragma once

#include "app/command_line.h"
#include "app/saver_process.h"
#include "canvas/canvas_reader.h"

namespace kalo {

// Reads the file before Qt starts, so that a file that cannot be drawn is
// told on stderr whether or not a display is there.
CanvasRead ReadCanvasToOpen(const Invocation& inv);

// Shows the design, or tells in a message box why it cannot be shown. The
// settings (the stroke delay among them) must already be in `saver`.
// Returns the exit status: 0 when input or a signal ended it, 1 when it
// could not be drawn (whether OK or a signal closed the message box).
int OpenCanvas(SaverProcess& saver, const Invocation& inv, const CanvasRead& read);

}  // namespace kalo
