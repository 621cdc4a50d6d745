// A disk with no room left, as far as this process can tell: a file-size
// limit of zero makes every write fail with EFBIG, for root too, just where
// a full disk fails with ENOSPC (and kills a writer that lets the limit's
// signal through).
#pragma once

#include <sys/resource.h>

namespace kalo::test {

class FullDisk {
 public:
  FullDisk() {
    getrlimit(RLIMIT_FSIZE, &saved_);
    struct rlimit none = saved_;
    none.rlim_cur = 0;
    setrlimit(RLIMIT_FSIZE, &none);
  }
  ~FullDisk() { setrlimit(RLIMIT_FSIZE, &saved_); }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

 private:
  struct rlimit saved_ {};
};

}  // namespace kalo::test
