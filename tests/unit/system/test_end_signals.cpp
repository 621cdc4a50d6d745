#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <csignal>
#include <cstdlib>
#include <unistd.h>

#include "system/end_signals.h"

namespace kalo {
namespace {

// Each case runs in a process of its own, started afresh.
class EndSignalsDeathTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

const auto kNoMessage = ::testing::Not(::testing::HasSubstr("kalosaver:"));

// A main thread that does not get back to the event queue for ten seconds.
[[noreturn]] void Stuck() {
  for (int i = 0; i < 100; ++i) usleep(100000);
  std::exit(3);
}

TEST_F(EndSignalsDeathTest, TheWayOutIsBoundedWhateverTheMainThreadDoes) {
  // Asked once, and the queue runs: the saver's own way out is taken.
  EXPECT_EXIT(
      {
        bool ended = false;
        EndSignals watcher([&ended] { ended = true; });
        raise(SIGHUP);
        QCoreApplication::processEvents();
        std::exit(ended ? 7 : 1);
      },
      ::testing::ExitedWithCode(7), kNoMessage);
  // Asked once, and stuck: after the grace time it goes by the same signal.
  EXPECT_EXIT(
      {
        EndSignals watcher([] {});
        raise(SIGTERM);
        Stuck();
      },
      ::testing::KilledBySignal(SIGTERM), "did not close in time");
  // Asked twice: at once, without waiting for the grace time.
  EXPECT_EXIT(
      {
        EndSignals watcher([] {});
        raise(SIGINT);
        raise(SIGINT);
        Stuck();
      },
      ::testing::KilledBySignal(SIGINT), kNoMessage);
}

}  // namespace
}  // namespace kalo
