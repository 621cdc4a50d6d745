// A folder on a disk that fills up on request. Where the test may mount (as
// root), it is a small file system of its own in a mount namespace private to
// the test process, filled to the last block, so writes fail with "No space
// left on device" as on a real full disk. Elsewhere a file-size limit of zero
// fails every write the same way (and kills a writer that lets it).
#pragma once

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "support/file_text.h"

namespace kalo::test {

class FullDisk {
 public:
  explicit FullDisk(const std::string& root) : root_(root), folder_(root + "/files") {
    ::mkdir(root_.c_str(), 0700);
    mounted_ = ::unshare(CLONE_NEWNS) == 0 &&
               ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               ::mount("tmpfs", root_.c_str(), "tmpfs", 0, "size=256k") == 0;
    ::mkdir(folder_.c_str(), 0700);
  }
  ~FullDisk() {
    if (mounted_) ::umount2(root_.c_str(), MNT_DETACH);
    if (limited_) ::setrlimit(RLIMIT_FSIZE, &saved_);
  }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

  // Where the files under test go.
  const std::string& folder() const { return folder_; }
  // The error a write on the full disk meets.
  int error() const { return mounted_ ? ENOSPC : EFBIG; }

  // From now on not one more byte fits.
  void Fill() {
    if (mounted_) {
      std::string block(4096, 'f');
      std::ofstream filler(root_ + "/filler", std::ios::binary);
      while (filler.write(block.data(), block.size()).flush()) {
      }
      return;
    }
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    struct rlimit none = saved_;
    none.rlim_cur = 0;
    limited_ = ::setrlimit(RLIMIT_FSIZE, &none) == 0;
  }

 private:
  std::string root_, folder_;
  bool mounted_ = false, limited_ = false;
  struct rlimit saved_ {};
};

}  // namespace kalo::test
