// Whether a window system answers, asked before Qt is brought up: Qt ends the
// process on the spot when the display it picks cannot be opened, and a saver
// started from cron, ssh or a test harness must instead say so and end.
#pragma once

namespace kalo {

// True when the display Qt would use can be reached: the X server named by
// DISPLAY, or the Wayland compositor named by WAYLAND_DISPLAY, or a platform
// that needs neither (QT_QPA_PLATFORM=offscreen and the like).
bool DisplayAvailable();

}  // namespace kalo
