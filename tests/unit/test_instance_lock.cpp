#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "platform/instance_lock.h"

namespace kalo {
namespace {

TEST(InstanceLockFolder, OnlyAFolderNobodyElseCanWriteHoldsTheLock) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string base = dir.path().toStdString();
  const std::string own_temp = base + "/tmp/kalosaver-" + std::to_string(geteuid());
  const std::string own_cache = base + "/cache/new/kalosaver";
  const LockPlaces shared{"", base + "/tmp", base + "/cache/new"};
  for (const char* folder : {"/tmp", "/run", "/shared", "/theirs"})
    ASSERT_EQ(mkdir((base + folder).c_str(), 0700), 0);
  chmod((base + "/tmp").c_str(), 01777);
  chmod((base + "/shared").c_str(), 0770);
  ASSERT_EQ(symlink("run", (base + "/link").c_str()), 0);
  // Only root can make a folder that belongs to someone else.
  const bool theirs = chown((base + "/theirs").c_str(), 65534, 65534) == 0;

  struct Row {
    std::string runtime, expected;
  } rows[] = {
      {base + "/run", base + "/run"},
      {base + "/run//", base + "/run"},
      {base + "/link", own_temp},
      {base + "/shared", own_temp},
      {base + "/missing", own_temp},
      {"", own_temp},
      {theirs ? base + "/theirs" : "", own_temp},
  };
  for (const Row& row : rows) {
    LockPlaces places = shared;
    places.runtime = row.runtime;
    EXPECT_EQ(PrivateLockFolder(places), row.expected) << row.runtime;
  }
  struct stat st {};
  ASSERT_EQ(lstat(own_temp.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0700u);

  // Someone else took the name in the shared folder first: the cache folder,
  // made even when the cache itself is missing. Nowhere safe: no folder.
  ASSERT_EQ(rmdir(own_temp.c_str()), 0);
  ASSERT_EQ(symlink(base.c_str(), own_temp.c_str()), 0);
  EXPECT_EQ(PrivateLockFolder(shared), own_cache);
  EXPECT_EQ(PrivateLockFolder({base + "/link/x", base + "/missing", "/proc/none"}), "");

  // A saver that cannot keep a lock at all still starts.
  InstanceLock nowhere(QString::fromStdString(base + "/missing"));
  EXPECT_TRUE(nowhere.TryLock());
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
      char line[16];
      const int n = std::snprintf(line, sizeof line, "%d %d\n", i / 2, lock.TryLock() ? 1 : 0);
      if (write(results[1], line, n) != n) _exit(1);
      pause();  // runs, holding what it got, until killed
      _exit(0);
    }
    if (pid > 0) savers.push_back(pid);
  }
  close(gate[1]);
  close(results[1]);

  std::string lines;
  pollfd ready{results[0], POLLIN, 0};
  char chunk[4096];
  while (std::count(lines.begin(), lines.end(), '\n') < 2 * kPairs && poll(&ready, 1, 20000) > 0) {
    const ssize_t n = read(results[0], chunk, sizeof chunk);
    if (n <= 0) break;
    lines.append(chunk, static_cast<size_t>(n));
  }
  std::vector<int> running(kPairs, 0);
  std::istringstream in(lines);
  int pair = 0, got = 0, reported = 0;
  while (in >> pair >> got && pair >= 0 && pair < kPairs) {
    running[pair] += got;
    ++reported;
  }
  for (pid_t pid : savers) kill(pid, SIGKILL);
  for (pid_t pid : savers) waitpid(pid, nullptr, 0);
  close(gate[0]);
  close(results[0]);

  EXPECT_EQ(reported, 2 * kPairs);
  for (int p = 0; p < kPairs; ++p) EXPECT_EQ(running[p], 1) << "pair " << p;

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
}

}  // namespace
}  // namespace kalo
