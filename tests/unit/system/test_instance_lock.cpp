#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <string>
#include <utility>
#include <vector>

#include "system/instance_lock.h"

namespace kalo {
namespace {

TEST(InstanceLockFolder, OnlyAFolderNobodyElseCanWriteHoldsTheLock) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string base = dir.path().toStdString();
  const std::string own_temp = base + "/tmp/kalosaver-" + std::to_string(geteuid());
  const LockPlaces shared{"", base + "/tmp", base + "/cache/new"};
  for (const char* folder : {"/tmp", "/run", "/shared", "/theirs"})
    ASSERT_EQ(mkdir((base + folder).c_str(), 0700), 0);
  chmod((base + "/shared").c_str(), 0770);
  ASSERT_EQ(symlink("run", (base + "/link").c_str()), 0);
  // Only root can make a folder that belongs to someone else.
  const bool theirs = chown((base + "/theirs").c_str(), 65534, 65534) == 0;

  for (const auto& [runtime, expected] : std::vector<std::pair<std::string, std::string>>{
           {base + "/run", base + "/run"},
           {base + "/run//", base + "/run"},
           {base + "/link", own_temp},
           {base + "/shared", own_temp},
           {"", own_temp},
           {theirs ? base + "/theirs" : "", own_temp}}) {
    EXPECT_EQ(PrivateLockFolder({runtime, shared.temp, shared.cache}), expected) << runtime;
  }
  struct stat st {};
  ASSERT_EQ(lstat(own_temp.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0700u);

  // Someone else took the name in the shared folder first: the cache folder,
  // made even when the cache itself is missing. Nowhere safe: no lock, and
  // the saver still starts.
  ASSERT_EQ(rmdir(own_temp.c_str()), 0);
  ASSERT_EQ(symlink(base.c_str(), own_temp.c_str()), 0);
  EXPECT_EQ(PrivateLockFolder(shared), base + "/cache/new/kalosaver");
  EXPECT_EQ(PrivateLockFolder({base + "/link/x", base + "/missing", "/proc/none"}), "");
  EXPECT_TRUE(InstanceLock(QString::fromStdString(base + "/missing")).TryLock());
}

TEST(InstanceLock, OfSaversStartedInPairsExactlyOneOfEachPairRuns) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  constexpr int kPairs = 100;
  int gate[2], results[2];
  ASSERT_EQ(pipe(gate), 0);
  ASSERT_EQ(pipe(results), 0);
  std::vector<pid_t> savers;
  for (int i = 0; i < 2 * kPairs; ++i) {
    const QString folder = dir.filePath(QString::number(i / 2));
    QDir().mkpath(folder);
    const pid_t pid = fork();
    if (pid == 0) {
      // Every saver waits at the gate; closing it lets them all go at once.
      close(gate[1]);
      char c;
      while (read(gate[0], &c, 1) > 0) {
      }
      InstanceLock lock(folder);
      const char running = lock.TryLock() ? static_cast<char>(i / 2) : -1;
      if (write(results[1], &running, 1) != 1) _exit(1);
      pause();  // holds what it got until killed
    }
    if (pid > 0) savers.push_back(pid);
  }
  close(gate[1]);
  close(results[1]);
  std::vector<int> running(kPairs, 0);
  int reported = 0;
  pollfd ready{results[0], POLLIN, 0};
  char pair;
  while (reported < 2 * kPairs && poll(&ready, 1, 20000) > 0 && read(results[0], &pair, 1) == 1) {
    if (pair >= 0) ++running[pair];
    ++reported;
  }
  for (pid_t pid : savers) kill(pid, SIGKILL);
  for (pid_t pid : savers) waitpid(pid, nullptr, 0);
  EXPECT_EQ(reported, 2 * kPairs);
  EXPECT_EQ(running, std::vector<int>(kPairs, 1));

  // The killed savers' locks are stale: the next start takes each one over,
  // and holds it against the start after.
  for (int p = 0; p < kPairs; ++p) {
    InstanceLock next(dir.filePath(QString::number(p)));
    EXPECT_TRUE(next.TryLock()) << p;
    EXPECT_FALSE(InstanceLock(dir.filePath(QString::number(p))).TryLock()) << p;
  }
  // The moment a race turns on: another saver has just made its lock and not
  // yet written its name in it. That lock is its own, never removed.
  const std::string fresh = dir.filePath("0/kalosaver.lock").toStdString();
  close(open(fresh.c_str(), O_CREAT | O_WRONLY, 0644));
  EXPECT_FALSE(InstanceLock(dir.filePath("0")).TryLock());
  EXPECT_EQ(access(fresh.c_str(), F_OK), 0);
  // The same lock long after: its saver died before writing in it, and the
  // next start takes it over, then holds it against the start after.
  const time_t then = time(nullptr) - InstanceLock::kUnfinishedLockSeconds - 2;
  const timeval times[2] = {{then, 0}, {then, 0}};
  ASSERT_EQ(utimes(fresh.c_str(), times), 0);
  InstanceLock next(dir.filePath("0"));
  EXPECT_TRUE(next.TryLock());
  EXPECT_FALSE(InstanceLock(dir.filePath("0")).TryLock());
}

}  // namespace
}  // namespace kalo
