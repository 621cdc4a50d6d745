#include "system/end_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>
#include <utility>

namespace kalo {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The handlers may only use the pipe, the alarm and plain flags; everything
// else waits for the queue.
int g_pipe[2] = {-1, -1};
volatile sig_atomic_t g_first_signal = 0;

void EndNow(int sig) {
  signal(sig, SIG_DFL);
  // A handler runs with its own signal held back; let it through.
  sigset_t held;
  sigemptyset(&held);
  sigaddset(&held, sig);
  sigprocmask(SIG_UNBLOCK, &held, nullptr);
  raise(sig);
  _exit(128 + sig);
}

// The grace time is over and the saver is still there: its main thread is
// stuck (in a call to a display server that no longer answers, say). It goes
// as if it had never caught the signal, so that a host is not kept waiting.
void OnGraceOver(int) {
  static const char kMessage[] =
      "kalosaver: the saver did not close in time after being asked to end; ending at once\n";
  [[maybe_unused]] const ssize_t n = write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
  EndNow(g_first_signal);
}

void OnSignal(int sig) {
  // Asked a second time: whoever asks is done waiting.
  if (g_first_signal != 0) EndNow(sig);
  const int saved = errno;
  g_first_signal = sig;
  signal(SIGALRM, OnGraceOver);
  alarm(EndSignals::kGraceSeconds);
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = write(g_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

EndSignals::EndSignals(std::function<void()> end) : end_(std::move(end)) {
  if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  g_first_signal = 0;
  notifier_ = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    char bytes[16];
    while (read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
    if (end_) end_();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int s : kSignals) sigaction(s, &action, nullptr);
}

EndSignals::~EndSignals() {
  for (int s : kSignals) signal(s, SIG_DFL);
  // Once asked to end, the grace time also covers the rest of the way out:
  // closing the display connection can hang as well.
  if (g_first_signal == 0) {
    alarm(0);
    signal(SIGALRM, SIG_DFL);
  }
  notifier_.reset();
  for (int& fd : g_pipe) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
}

}  // namespace kalo
