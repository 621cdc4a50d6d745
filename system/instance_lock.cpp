#include "system/instance_lock.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QLockFile>
#include <cerrno>
#include <cstdlib>

namespace kalo {

namespace {

std::string AbsoluteEnv(const char* name) {
  const char* value = std::getenv(name);
  return value && value[0] == '/' ? value : "";
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// A folder is this user's own when it is a real folder (a link could be
// pointed elsewhere at any time), belongs to the user, and nobody else may
// add or remove files in it: then nobody else can plant, hold or delete the
// lock. `shut` asks for no access by others at all.
bool OwnFolder(const std::string& path, mode_t shut) {
  struct stat st {};
  const std::string bare = WithoutTrailingSlashes(path);
  return !bare.empty() && ::lstat(bare.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         st.st_uid == ::geteuid() && (st.st_mode & shut) == 0;
}

// Makes folder for this user alone unless it exists, then checks it: a
// folder someone else made first under the same name is refused.
bool MadeOwnFolder(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  return OwnFolder(folder, S_IRWXG | S_IRWXO);
}

}  // namespace

LockPlaces LockPlaces::FromEnvironment() {
  LockPlaces places;
  places.runtime = AbsoluteEnv("XDG_RUNTIME_DIR");
  places.temp = AbsoluteEnv("TMPDIR");
  if (places.temp.empty()) places.temp = "/tmp";
  places.cache = AbsoluteEnv("XDG_CACHE_HOME");
  if (places.cache.empty())
    places.cache = QFile::encodeName(QDir::homePath()).toStdString() + "/.cache";
  return places;
}

std::string PrivateLockFolder(const LockPlaces& places) {
  if (!places.runtime.empty() && OwnFolder(places.runtime, S_IWGRP | S_IWOTH))
    return WithoutTrailingSlashes(places.runtime);
  if (!places.temp.empty()) {
    const std::string folder =
        WithoutTrailingSlashes(places.temp) + "/kalosaver-" + std::to_string(::geteuid());
    if (MadeOwnFolder(folder)) return folder;
  }
  if (!places.cache.empty()) {
    // The cache folder itself may not exist yet on a fresh account.
    QDir().mkpath(QFile::decodeName(places.cache.c_str()));
    const std::string folder = WithoutTrailingSlashes(places.cache) + "/kalosaver";
    if (MadeOwnFolder(folder)) return folder;
  }
  return "";
}

InstanceLock::InstanceLock(const QString& folder) {
  const QString where =
      folder.isEmpty() ? QFile::decodeName(PrivateLockFolder(LockPlaces::FromEnvironment()).c_str())
                       : folder;
  if (where.isEmpty()) return;
  path_ = QDir(where).filePath("kalosaver.lock");
  lock_ = std::make_unique<QLockFile>(path_);
  // A running saver never refreshes its lock, so age must not make the lock
  // look stale; a lock whose process has died is stale whatever its age, and
  // the lock file takes that one over by itself.
  lock_->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::TryLock() {
  if (!lock_ || lock_->isLocked()) return true;
  if (lock_->tryLock(0)) return true;
  if (lock_->error() != QLockFile::LockFailedError) return true;
  // Never remove a lock that is not stale by the lock file's own test: it may
  // have been taken a moment ago by a saver started at the same time. The one
  // exception is a lock that names no saver although it is old enough to
  // have been finished long ago: its saver died between making it and writing
  // in it, and nothing else would ever take it over. The lock file still
  // leaves it alone while any process holds it.
  qint64 pid = 0;
  QString host, app;
  if (lock_->getLockInfo(&pid, &host, &app)) return false;
  const QFileInfo info(path_);
  const QDateTime made = info.lastModified();
  if (!made.isValid() || made.secsTo(QDateTime::currentDateTime()) < kUnfinishedLockSeconds)
    return false;
  return lock_->removeStaleLockFile() && lock_->tryLock(0);
}

}  // namespace kalo
