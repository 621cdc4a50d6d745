// What the user is told when a file cannot be written: the word "Error", the
// operating system's error number in record text (so a blank comes between
// them), a line feed, and the system's own description of that error.
#pragma once

#include <string>

namespace kalo {

std::string FileErrorMessage(int os_error);

}  // namespace kalo
