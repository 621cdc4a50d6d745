// One saver at a time: a lock file in the user's runtime folder, taken
// without waiting. Holding it means this process is the running instance;
// failing to take it means another one runs. The lock of a killed instance
// does not count: its process is gone, so the next start takes over.
#pragma once

#include <QString>
#include <memory>

class QLockFile;

namespace kalo {

class InstanceLock {
 public:
  // The default folder is the runtime folder, or the temporary folder when
  // there is none.
  explicit InstanceLock(const QString& folder = QString());
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // True when this process now holds the lock (or already held it).
  bool TryLock();
  QString path() const { return path_; }

 private:
  QString path_;
  std::unique_ptr<QLockFile> lock_;
};

}  // namespace kalo
