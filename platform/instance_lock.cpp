#include "platform/instance_lock.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace kalo {

namespace {

QString DefaultFolder() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::tempPath();
  return folder;
}

}  // namespace

InstanceLock::InstanceLock(const QString& folder)
    : path_(QDir(folder.isEmpty() ? DefaultFolder() : folder).filePath("kalosaver.lock")),
      lock_(std::make_unique<QLockFile>(path_)) {
  // A running saver never refreshes its lock, so age must not make the lock
  // look stale; a lock whose process has died is stale whatever its age.
  lock_->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::TryLock() {
  if (lock_->isLocked()) return true;
  if (lock_->tryLock(0)) return true;
  // The holder may have been killed: its lock names a process that no
  // longer exists, and removing it lets this start go ahead.
  if (lock_->error() == QLockFile::LockFailedError && lock_->removeStaleLockFile())
    return lock_->tryLock(0);
  return false;
}

}  // namespace kalo
