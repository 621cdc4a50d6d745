// What the user is told when a file cannot be written: the word "Error", the
// operating system's error number in record text (so a blank comes between
// them), a line feed, and the system's own description of that error.
#pragma once

#include <string>

namespace kalo {

std::string FileErrorMessage(int os_error);

// The error number left by the file operation that has just failed; EIO when
// the library failed without leaving one, so the user still sees a reason.
int LastOsError();

}  // namespace kalo
