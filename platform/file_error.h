// What the user is told when a file cannot be written: the word "Error", the
// operating system's error number in record text (so a blank comes between
// them), a line feed, and the system's own description of that error.
#pragma once

#include <functional>
#include <string>

class QIODevice;

namespace kalo {

std::string FileErrorMessage(int os_error);

// The error number left by the file operation that has just failed; EIO when
// the library failed without leaving one, so the user still sees a reason.
int LastOsError();

// Writes a file whole or not at all: `write` fills a temporary file beside
// `path`, which then replaces it, so a reader never meets half a file and a
// failure leaves the old one as it was. Returns "" on success, otherwise the
// message for the user.
std::string WriteWholeFile(const std::string& path, const std::function<bool(QIODevice&)>& write);

}  // namespace kalo
