#include "app/hosted_saver.h"

#include <QEventLoop>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "app/run_observer.h"
#include "app/saver_process.h"
#include "screen/hosted_window.h"

namespace kalo {

int RunHosted(SaverProcess& saver, uint32_t window) {
  // The designs are drawn on a thread of their own; this one only hears the
  // window's events and the signals, and waits for the end.
  QEventLoop events;
  HostedWindow hosted([&saver] { saver.End(); });
  const std::string error = hosted.Attach(window);
  if (!error.empty()) {
    std::fprintf(stderr, "kalosaver: %s\n", error.c_str());
    return 1;
  }
  saver.unload = [&hosted, &events] {
    hosted.Unload();
    events.quit();
  };
  RunObserver* observer = RunObserver::installed();
  // The host owns the input: nobody can mark a design or answer a question,
  // and nothing is shown over the designs. The random sequence starts where
  // the saver's own would, from the time of day.
  const auto seed = static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch() /
                                          std::chrono::nanoseconds(1));
  QuietLoop::PacerChoice choose;
  if (observer) {
    choose = [observer](Pacer& own) { return observer->ChooseLoopPacer(own); };
    observer->HostedStarted(saver, hosted);
  }
  hosted.Start(saver.run.CommandLine, saver.run.Settings, seed, std::move(choose));
  if (!saver.ended) events.exec();
  saver.unload = nullptr;
  if (observer) observer->HostedFinished(hosted);
  return 0;
}

}  // namespace kalo
