// Whether a window system answers, asked before Qt is brought up: Qt ends the
// process on the spot when the display it picks cannot be opened, and a saver
// started from cron, ssh or a test harness must instead say so and end.
#pragma once

#include <string>

namespace kalo {

// True when the display Qt would use can be reached: the X server named by
// DISPLAY, or the Wayland compositor named by WAYLAND_DISPLAY, or a platform
// that needs neither (QT_QPA_PLATFORM=offscreen and the like).
bool DisplayAvailable();

// Why the saver's windows could not show its pictures on the screens Qt
// opened, or "" when they can. A colour-mapped screen (8 bits or fewer) takes
// none of Qt's painting: every stroke would be lost. Asked once the
// QGuiApplication is made, before any window is shown.
std::string ScreenColourProblem();

}  // namespace kalo
