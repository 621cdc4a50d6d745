// Running inside a screen-saver host (XScreenSaver, Xfce's or MATE's saver,
// xsecurelock): the designs go into the window the host gives us, and the
// host keeps the screen, the input and the say over when the saver ends.
#pragma once

#include <cstdint>

#include "app/saver_process.h"

namespace kalo {

// Draws designs in window `window` (0: the screen's virtual root, else its
// root) from a quiet loop on a thread of its own, until a signal ends the
// saver or the window is destroyed. Returns the exit status: 0, or 1 with a
// line on stderr when the window cannot be drawn in.
int RunHosted(SaverProcess& saver, uint32_t window);

}  // namespace kalo
