// The clock the saver's pacing, input grabs and refreshes are timed on,
// unless a test hands them one of its own.
#pragma once

#include <QtGlobal>
#include <chrono>

namespace kalo {

// Nanoseconds on the system's steady clock, which never steps back.
inline qint64 SteadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace kalo
