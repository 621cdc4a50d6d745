// Every file the saver writes is written whole or not at all: the bytes go to
// a fresh file beside the target, reach the disk, and only then does that
// file take the target's name. A full disk, a size limit or a failing device
// leaves the old file exactly as it was and is reported, never hidden.
#pragma once

#include <string>
#include <string_view>

namespace kalo {

// What a symbolic link standing at the target's name means.
enum class LinkAtName {
  // The file the link points to is replaced and the link stays: users link
  // their profile on purpose, and a name picked in the save dialog is the
  // user's own choice.
  kFollow,
  // The link itself is replaced by the new file, whatever it points to: the
  // hand-off files live in a folder others may write to, and a link planted
  // there must not steer the write to someone else's file.
  kReplace,
};

// Writes contents to path. Returns 0 once every byte is on disk under that
// name, otherwise the operating system's error number; on failure the old
// file is untouched and nothing else is left behind. A file that is replaced
// keeps its permissions; a new one gets the usual ones less the umask.
int WriteWholeFile(const std::string& path, std::string_view contents,
                   LinkAtName links = LinkAtName::kFollow);

}  // namespace kalo
