#include "files/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "core/ascii.h"
#include "files/whole_file.h"

namespace kalo {
namespace {

// What a blank is around names and values: the carriage return of a CRLF
// line is one of them, which is what lets LF and CRLF lines mix freely.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A value ends at a NUL, as it would in the reader's buffer.
std::string_view UpToNul(std::string_view s) {
  std::size_t nul = s.find('\0');
  return nul == std::string_view::npos ? s : s.substr(0, nul);
}

// One line of the text as the scanner sees it.
struct Line {
  enum Kind { kBlank, kHeader, kKey, kOther } kind = kBlank;
  std::size_t begin = 0;       // offset of the first byte
  std::size_t contentEnd = 0;  // offset where the line ending ("\n" or "\r\n") starts
  std::size_t end = 0;         // offset just past the line ending
  std::string_view name;       // section name of a header, key name of a key line
  std::string_view value;      // value of a key line, blanks trimmed
};

// Walks the text line by line without copying it.
class LineScanner {
 public:
  explicit LineScanner(std::string_view text) : text_(text) {
    // An editor's UTF-8 byte-order mark must not hide the first header.
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
  }

  bool Next(Line& line) {
    if (pos_ >= text_.size()) return false;
    line = Line{};
    line.begin = pos_;
    std::size_t nl = text_.find('\n', pos_);
    if (nl == std::string_view::npos) {
      line.contentEnd = line.end = text_.size();
    } else {
      line.end = nl + 1;
      line.contentEnd = (nl > pos_ && text_[nl - 1] == '\r') ? nl - 1 : nl;
    }
    pos_ = line.end;

    std::string_view content = Trim(text_.substr(line.begin, line.contentEnd - line.begin));
    if (content.empty()) {
      line.kind = Line::kBlank;
    } else if (content.front() == '[') {
      // The name runs to the first closing bracket, or to the end of the
      // line when the bracket was lost.
      line.kind = Line::kHeader;
      std::string_view inner = content.substr(1);
      line.name = Trim(inner.substr(0, inner.find(']')));
    } else if (std::size_t eq = content.find('='); eq != std::string_view::npos) {
      line.kind = Line::kKey;
      line.name = Trim(content.substr(0, eq));
      line.value = Trim(content.substr(eq + 1));
    } else {
      line.kind = Line::kOther;
    }
    return true;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

std::string ErrnoText(int err) { return std::system_category().message(err); }

// The line ending new lines get: whatever the file already uses on its first
// line, so that a file kept with CRLF stays CRLF.
std::string_view LineEndingOf(std::string_view text) {
  std::size_t nl = text.find('\n');
  if (nl != std::string_view::npos && nl > 0 && text[nl - 1] == '\r') return "\r\n";
  return "\n";
}

bool ContainsLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

ProfileSection::ProfileSection(std::string_view text, std::string_view section) {
  LineScanner scanner(text);
  Line line;
  while (scanner.Next(line)) {
    if (line.kind == Line::kHeader) {
      // Only the first section of the name counts; the next header ends it.
      if (found_) break;
      found_ = SameIgnoringCase(line.name, section);
    } else if (found_ && line.kind == Line::kKey) {
      values_.emplace(AsciiLower(line.name), line.value);
    }
  }
}

std::string ProfileSection::Get(std::string_view key, std::string_view def,
                                std::size_t bufferSize) const {
  std::string_view value = def;
  if (auto it = values_.find(AsciiLower(key)); it != values_.end()) value = it->second;
  value = UpToNul(value);
  std::size_t visible = bufferSize == 0 ? 0 : bufferSize - 1;
  return std::string(value.substr(0, visible));
}

ProfileText ReadProfileText(const std::string& path) {
  ProfileText result;
  // Non-blocking, so that a pipe put where the file should be cannot hang
  // the saver at start.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    int err = errno;
    if (err == ENOENT || err == ENOTDIR) {
      result.status = ProfileReadStatus::kMissing;
    } else {
      result.status = ProfileReadStatus::kUnreadable;
      result.error = ErrnoText(err);
    }
    return result;
  }

  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    result.status = ProfileReadStatus::kUnreadable;
    result.error = ErrnoText(errno);
    ::close(fd);
    return result;
  }
  if (!S_ISREG(st.st_mode)) {
    result.status = ProfileReadStatus::kUnreadable;
    result.error = S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file";
    ::close(fd);
    return result;
  }

  // Read no further than the limit, even from a file that grows meanwhile.
  std::string text;
  const bool tooLarge = static_cast<unsigned long long>(st.st_size) > kProfileFileLimit;
  if (!tooLarge) text.reserve(static_cast<std::size_t>(st.st_size));
  char chunk[1 << 16];
  while (!tooLarge && text.size() <= kProfileFileLimit) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n > 0) {
      text.append(chunk, static_cast<std::size_t>(n));
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      result.status = ProfileReadStatus::kUnreadable;
      result.error = ErrnoText(errno);
      ::close(fd);
      return result;
    }
  }
  if (tooLarge || text.size() > kProfileFileLimit) {
    result.status = ProfileReadStatus::kTooLarge;
    result.error =
        "it is larger than " + std::to_string(kProfileFileLimit >> 20) + " MB, which no profile is";
    ::close(fd);
    return result;
  }
  ::close(fd);
  result.status = ProfileReadStatus::kRead;
  result.text = std::move(text);
  return result;
}

std::string ApplyProfileWrites(std::string_view text, std::string_view section,
                               const std::vector<std::pair<std::string, std::string>>& writes) {
  if (writes.empty()) return std::string(text);

  // The keys to set, once each; a later write of the same key wins.
  struct Pending {
    std::string name, value, folded;
    bool placed = false;
  };
  std::vector<Pending> pending;
  for (const auto& [name, value] : writes) {
    std::string folded = AsciiLower(name);
    auto same = [&](const Pending& p) { return p.folded == folded; };
    if (auto it = std::find_if(pending.begin(), pending.end(), same); it != pending.end()) {
      it->value = value;
    } else {
      pending.push_back({name, value, std::move(folded)});
    }
  }

  // First pass: which lines to replace and where new keys go.
  struct Replacement {
    std::size_t begin, end;  // the line's content, its ending excluded
    std::size_t pendingIndex;
  };
  std::vector<Replacement> replacements;
  bool inSection = false, sectionFound = false;
  std::size_t insertAt = 0;            // just past the section's last non-blank line
  bool insertNeedsLineEnding = false;  // that line is the last of the file and has no ending
  LineScanner scanner(text);
  Line line;
  while (scanner.Next(line)) {
    if (line.kind == Line::kHeader) {
      if (inSection) break;
      if (SameIgnoringCase(line.name, section)) inSection = sectionFound = true;
    } else if (inSection && line.kind == Line::kKey) {
      std::string folded = AsciiLower(line.name);
      for (std::size_t i = 0; i < pending.size(); ++i) {
        if (!pending[i].placed && pending[i].folded == folded) {
          pending[i].placed = true;
          replacements.push_back({line.begin, line.contentEnd, i});
          break;
        }
      }
    }
    if (inSection && line.kind != Line::kBlank) {
      insertAt = line.end;
      insertNeedsLineEnding = line.end == line.contentEnd;
    }
  }

  const std::string_view eol = LineEndingOf(text);
  std::string added;
  for (const Pending& p : pending) {
    if (p.placed) continue;
    added.append(p.name).append("=").append(p.value).append(eol);
  }

  std::string out;
  out.reserve(text.size() + added.size() + section.size() + 16);
  std::size_t copied = 0;
  for (const Replacement& r : replacements) {
    out.append(text.substr(copied, r.begin - copied));
    out.append(pending[r.pendingIndex].name).append("=").append(pending[r.pendingIndex].value);
    copied = r.end;
  }

  if (added.empty()) {
    out.append(text.substr(copied));
  } else if (sectionFound) {
    out.append(text.substr(copied, insertAt - copied));
    if (insertNeedsLineEnding) out.append(eol);
    out.append(added);
    out.append(text.substr(insertAt));
  } else {
    // A new section goes at the end, set off from what precedes it by a
    // blank line.
    out.append(text.substr(copied));
    if (!out.empty()) {
      if (out.back() != '\n') out.append(eol);
      std::string_view body = std::string_view(out).substr(0, out.size() - 1);
      std::size_t lastNewline = body.rfind('\n');
      std::string_view lastLine =
          lastNewline == std::string_view::npos ? body : body.substr(lastNewline + 1);
      if (!Trim(lastLine).empty()) out.append(eol);
    }
    out.append("[").append(section).append("]").append(eol);
    out.append(added);
  }
  return out;
}

bool WriteProfileStrings(const std::string& path, std::string_view section,
                         const std::vector<std::pair<std::string, std::string>>& writes,
                         std::string* error) {
  auto fail = [&](const std::string& reason) {
    if (error) *error = "The settings could not be saved to " + path + ": " + reason + ".";
    return false;
  };

  // A name or value that breaks a line would smuggle foreign lines into the
  // file, and a name with "=" or "[" could never be read back.
  if (ContainsLineBreakOrNul(section) || section.find(']') != std::string_view::npos) {
    return fail("the section name contains a line break, a NUL or \"]\"");
  }
  for (const auto& [name, value] : writes) {
    if (ContainsLineBreakOrNul(name) || name.find('=') != std::string::npos || Trim(name).empty() ||
        Trim(name).front() == '[' || ContainsLineBreakOrNul(value)) {
      return fail("the setting \"" + name + "\" contains a line break or a NUL");
    }
  }

  ProfileText old = ReadProfileText(path);
  if (old.status == ProfileReadStatus::kUnreadable || old.status == ProfileReadStatus::kTooLarge) {
    // Writing over a file we cannot read would throw away every other
    // section in it.
    return fail("the file already there cannot be read (" + old.error + ")");
  }
  std::string text = ApplyProfileWrites(old.text, section, writes);
  if (old.status == ProfileReadStatus::kRead && text == old.text) return true;

  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) return fail("the folder " + folder.string() + " cannot be made (" + ec.message() + ")");
  }

  // A linked profile stays linked: the file it points to is the one replaced.
  if (const int err = WriteWholeFile(path, text, LinkAtName::kFollow)) return fail(ErrnoText(err));
  return true;
}

}  // namespace kalo
