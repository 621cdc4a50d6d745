// Every file the saver writes is written whole or not at all: the bytes go to
// a fresh file beside the target, reach the disk, and only then does that
// file take the target's name. A full disk, a size limit or a failing device
// leaves the old file exactly as it was and is reported, never hidden.
#pragma once

#include <cstdint>
#include <functional>
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
//
// With kFollow, links are followed only where the system's own protection of
// shared folders would follow them: a link in a world-writable folder with
// the sticky bit (such as /tmp) that belongs neither to us nor to the
// folder's owner gives EACCES, as does an existing file we could not open
// for writing. Something other than a regular file at the name gives EINVAL.
int WriteWholeFile(const std::string& path, std::string_view contents,
                   LinkAtName links = LinkAtName::kFollow);

// Takes the next piece of a file; returns 0 or an error number.
using FilePieceSink = std::function<int(std::string_view piece)>;
// Hands the whole contents to the sink, piece by piece, in order; returns 0
// or an error number (its own, or the sink's).
using FileProducer = std::function<int(const FilePieceSink& sink)>;

// The same for contents too large to hold twice in memory: produce makes
// them as they are written. size is how many bytes it promises; a file of
// any other length on disk is never put in place (EIO).
int WriteWholeFile(const std::string& path, std::uint64_t size, const FileProducer& produce,
                   LinkAtName links = LinkAtName::kFollow);

}  // namespace kalo
