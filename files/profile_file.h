// The profile file: a plain INI text of "[Section]" headers and "Key=Value"
// lines, read and written with the rules the saver's settings have always
// lived by.
//
// Reading: section and key names match without regard to case; blanks
// around names and values do not count; lines before the first header belong
// to no section; the first of duplicate sections, and the first of duplicate
// keys within it, wins; a NUL ends a value; a value is seen through an
// eight-character buffer, so at most seven characters of it show. A header
// whose closing bracket is missing still opens a section, named by the rest of
// its line, so a hand-edited file with a lost bracket keeps its settings.
//
// Writing: a key's line is replaced where it stands, a missing key is added
// after the last non-blank line of its section, a missing section is added at
// the end of the file; every other byte of the file stays as it was, and the
// file is replaced in one atomic step.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kalo {

// The size of the buffer the saver reads every value into, its terminating
// NUL included.
inline constexpr std::size_t kProfileBufferSize = 8;

// One section of a profile text, located and indexed by a single pass over
// the text, so that looking up many keys costs one scan, not one per key.
class ProfileSection {
 public:
  ProfileSection(std::string_view text, std::string_view section);

  bool found() const { return found_; }

  // The key's value, or def when the section or key is absent, cut to what a
  // buffer of bufferSize characters shows.
  std::string Get(std::string_view key, std::string_view def,
                  std::size_t bufferSize = kProfileBufferSize) const;

 private:
  bool found_ = false;
  // Folded key name -> value, first occurrence only. Views into the text
  // given to the constructor, which must outlive this object.
  std::unordered_map<std::string, std::string_view> values_;
};

// The largest profile read: far above any real one, and small enough that a
// huge or sparse file in its place costs next to nothing.
inline constexpr std::size_t kProfileFileLimit = 1 << 20;

// What the read of a profile file found.
enum class ProfileReadStatus { kRead, kMissing, kUnreadable, kTooLarge };

struct ProfileText {
  ProfileReadStatus status = ProfileReadStatus::kMissing;
  std::string text;   // the whole file when status is kRead
  std::string error;  // why the file could not be read, when kUnreadable or kTooLarge
};

// Reads the whole file in one go. A missing file (or missing folder) is
// kMissing; a folder, a pipe or a file the user may not read is kUnreadable;
// a file of more than kProfileFileLimit bytes is kTooLarge and not read.
ProfileText ReadProfileText(const std::string& path);

// The text after setting each key of section to its value: in place, at the
// end of the section, or in a new section at the end of the text.
// Every other line keeps its bytes, line endings included.
std::string ApplyProfileWrites(std::string_view text, std::string_view section,
                               const std::vector<std::pair<std::string, std::string>>& writes);

// Sets the keys in the file at path in one atomic replacement, creating the
// folder and the file when needed. On failure returns false, fills error with
// a reason fit for the user, and leaves any existing file untouched; a file
// too large to read is never rewritten.
bool WriteProfileStrings(const std::string& path, std::string_view section,
                         const std::vector<std::pair<std::string, std::string>>& writes,
                         std::string* error);

}  // namespace kalo
