// What the user is told when a file cannot be written: the word "Error", the
// operating system's error number in record text (so a blank comes between
// them), a line feed, and the system's own description of that error.
#pragma once

#include <string>

namespace kalo {

std::string FileErrorMessage(int os_error);

// A file name as messages show it: on one line, whatever bytes it holds.
std::string ShownFileName(const std::string& name);

// The same for the file at path. Where the system's description would leave
// the user guessing -- "Invalid argument" for a device or a pipe where a file
// was to go -- the description names the file and says what is wrong.
std::string FileErrorMessage(int os_error, const std::string& path);

}  // namespace kalo
