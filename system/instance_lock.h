// One saver at a time: a lock file in a folder only this user can write,
// taken without waiting. Holding it means this process is the running
// instance; failing to take it means another one runs. The lock of a killed
// instance does not count: its process is gone, so the next start takes over.
#pragma once

#include <QString>
#include <memory>
#include <string>

class QLockFile;

namespace kalo {

// The folders the lock may live in, best first.
struct LockPlaces {
  std::string runtime;  // the session's runtime folder, when the session has one
  std::string temp;     // the shared temporary folder
  std::string cache;    // the user's cache folder

  static LockPlaces FromEnvironment();
};

// The first folder of places that is safe for the lock: the runtime folder
// when it is a real folder of this user that nobody else may write to;
// otherwise a folder "kalosaver-UID" in the temporary folder, or "kalosaver"
// in the cache folder, made for this user alone. "" when none is safe.
std::string PrivateLockFolder(const LockPlaces& places);

class InstanceLock {
 public:
  // The lock lives in folder, or in the private folder of the environment
  // when folder is empty.
  explicit InstanceLock(const QString& folder = QString());
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // False only while another instance holds the lock. True when this process
  // now holds it (or already held it), and also when no lock can be had at
  // all: a saver that cannot keep a lock still starts.
  bool TryLock();
  // Where the lock file is; "" when there is no safe folder for it.
  QString path() const { return path_; }

  // How old a lock that names no saver must be before it counts as left
  // behind by a saver that died while making it.
  static constexpr qint64 kUnfinishedLockSeconds = 5;

 private:
  QString path_;
  std::unique_ptr<QLockFile> lock_;
};

}  // namespace kalo
