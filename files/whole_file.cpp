#include "files/whole_file.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <new>
#include <utility>
#include <vector>

namespace kalo {
namespace {

// Links are followed no deeper than the system itself follows them.
constexpr int kMaxLinkDepth = 40;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether the system would follow the link at path, whatever the machine's
// setting for it: in a folder anyone may write to but only owners may delete
// from (such as /tmp), a link is followed only when it is ours or the
// folder owner's. Anyone else's link there may have been planted to steer
// our write onto a file of ours.
bool MayFollow(const std::string& path, const struct stat& link) {
  struct stat folder {};
  if (::stat(FolderOf(path).c_str(), &folder) != 0) return false;
  const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
  return !shared || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

// The name at the end of the chain of links that starts at path: where the
// new file must go so that the links keep pointing at it. A name that does
// not exist yet, or cannot be looked at, is its own end; the steps that
// follow report what is wrong with it.
int FollowLinks(std::string& path) {
  std::vector<char> target(PATH_MAX);
  for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
    if (!MayFollow(path, st)) return EACCES;
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0) return errno;
    if (static_cast<size_t>(n) == target.size()) return ENAMETOOLONG;
    std::string next(target.data(), static_cast<size_t>(n));
    if (next.empty()) return ENOENT;
    if (next.front() != '/' && path.find('/') != std::string::npos)
      next = FolderOf(path) + "/" + next;
    path = std::move(next);
  }
  return ELOOP;
}

// A file that outgrows the user's size limit would otherwise kill the saver
// outright; ignored, the write fails with EFBIG and the user is told.
class FileSizeSignalIgnored {
 public:
  FileSizeSignalIgnored() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &previous_);
  }
  ~FileSizeSignalIgnored() { ::sigaction(SIGXFSZ, &previous_, nullptr); }
  FileSizeSignalIgnored(const FileSizeSignalIgnored&) = delete;
  FileSizeSignalIgnored& operator=(const FileSizeSignalIgnored&) = delete;

 private:
  struct sigaction previous_ {};
};

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closes now and says whether the system took every byte; errors the disk
  // reports late show up here on some file systems.
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 || errno == EINTR ? 0 : errno;
  }

 private:
  int fd_;
};

// Creates a new, empty file beside the target under a name nobody else has
// taken; never opens anything that was there before, link or file.
int CreateTemporary(int folder, const std::string& name, int& fd, std::string& temporary) {
  static unsigned sequence = 0;
  std::string stem = ".";
  stem.append(name, 0, 200);
  stem += '.';
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "%08x",
                  static_cast<unsigned>(now ^ (now >> 32)) ^
                      (static_cast<unsigned>(::getpid()) << 12) ^ (++sequence * 2654435761u));
    temporary = stem + suffix;
    fd = ::openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  0666);
    if (fd >= 0) return 0;
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

int WriteAll(int fd, std::string_view contents) {
  while (!contents.empty()) {
    const ssize_t n = ::write(fd, contents.data(), std::min<size_t>(contents.size(), 1u << 30));
    if (n > 0) {
      contents.remove_prefix(static_cast<size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return n < 0 ? errno : EIO;
    }
  }
  return 0;
}

// Gathers small pieces into writes of a useful size; large ones go straight
// through. Counts every byte, so that a producer that falls short is caught.
class PieceWriter {
 public:
  explicit PieceWriter(int fd) : fd_(fd) { buffer_.reserve(kBufferSize); }
  int Put(std::string_view piece) {
    count_ += piece.size();
    if (buffer_.size() + piece.size() <= kBufferSize) {
      buffer_.append(piece);
      return 0;
    }
    if (const int error = Flush()) return error;
    if (piece.size() >= kBufferSize) return WriteAll(fd_, piece);
    buffer_.append(piece);
    return 0;
  }
  int Flush() {
    const int error = WriteAll(fd_, buffer_);
    buffer_.clear();
    return error;
  }
  std::uint64_t count() const { return count_; }

 private:
  static constexpr size_t kBufferSize = 1 << 16;
  int fd_;
  std::string buffer_;
  std::uint64_t count_ = 0;
};

// Writes what produce makes, and checks that the file holds exactly the
// promised bytes: a producer that stops short must not leave a short file
// in the user's name.
int WriteContents(int fd, std::uint64_t size, const FileProducer& produce) {
  int error = 0;
  std::uint64_t count = 0;
  try {
    PieceWriter writer(fd);
    error = produce([&writer](std::string_view piece) { return writer.Put(piece); });
    if (!error) error = writer.Flush();
    count = writer.count();
  } catch (const std::bad_alloc&) {
    // The temporary file must still go; the caller hears ENOMEM.
    error = ENOMEM;
  }
  if (!error && count != size) error = EIO;
  struct stat written {};
  if (!error && ::fstat(fd, &written) != 0) error = errno;
  if (!error && static_cast<std::uint64_t>(written.st_size) != size) error = EIO;
  return error;
}

// The new name must reach the disk too, or a crash could bring back the old
// file after the user was told the new one was saved. A folder that cannot
// be opened for reading, or a file system that cannot sync folders, is left
// to the file system.
int SyncFolder(int folder) {
  Fd dir(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0) return 0;
  if (::fsync(dir.get()) != 0 && errno != EINVAL) return errno;
  return 0;
}

}  // namespace

int WriteWholeFile(const std::string& path, std::string_view contents, LinkAtName links) {
  return WriteWholeFile(
      path, contents.size(), [contents](const FilePieceSink& sink) { return sink(contents); },
      links);
}

int WriteWholeFile(const std::string& path, std::uint64_t size, const FileProducer& produce,
                   LinkAtName links) {
  std::string target = path;
  if (links == LinkAtName::kFollow) {
    if (const int error = FollowLinks(target)) return error;
  }
  const std::string name = NameOf(target);
  if (name.empty() || name == "." || name == "..") return EISDIR;

  Fd folder(::open(FolderOf(target).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() < 0) return errno;

  struct stat old {};
  const bool replacing = ::fstatat(folder.get(), name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
  if (replacing && S_ISDIR(old.st_mode)) return EISDIR;
  // A pipe or a device where the user's file should be is never swapped for
  // a plain file; a planted one among the hand-off files is.
  if (replacing && links == LinkAtName::kFollow && !S_ISREG(old.st_mode)) return EINVAL;
  // Renaming over a file needs only the folder's permission; a file the user
  // may not write to stays, as editors and cp leave it. The system answers
  // for our effective ids, so root keeps root's rights.
  if (replacing && links == LinkAtName::kFollow &&
      ::faccessat(folder.get(), name.c_str(), W_OK, AT_EACCESS) != 0)
    return errno;

  const FileSizeSignalIgnored no_kill;
  int fd = -1;
  std::string temporary;
  if (const int error = CreateTemporary(folder.get(), name, fd, temporary)) return error;
  Fd file(fd);
  // Whoever could read the old file can read the new one, and nobody more;
  // set-user and set-group bits are not carried over to what we write.
  if (replacing && S_ISREG(old.st_mode)) ::fchmod(file.get(), old.st_mode & 0777);

  int error = WriteContents(file.get(), size, produce);
  if (!error && ::fsync(file.get()) != 0) error = errno;
  if (const int closed = file.Close(); !error) error = closed;
  if (!error && ::renameat(folder.get(), temporary.c_str(), folder.get(), name.c_str()) != 0)
    error = errno;
  if (error) {
    ::unlinkat(folder.get(), temporary.c_str(), 0);
    return error;
  }
  return SyncFolder(folder.get());
}

}  // namespace kalo
