#include "app/hosted_saver.h"

#include <cstdio>
#include <string>

#include "app/saver_process.h"
#include "engine/startup_rules.h"
#include "screen/hosted_window.h"
#include "screen/qt_pacer.h"

namespace kalo {

int RunHosted(SaverProcess& saver, uint32_t window) {
  HostedWindow hosted([&saver] { saver.End(); });
  const std::string error = hosted.Attach(window);
  if (!error.empty()) {
    std::fprintf(stderr, "kalosaver: %s\n", error.c_str());
    return 1;
  }
  saver.unload = [&hosted] { hosted.Unload(); };
  // Nothing is shown over the designs in a host's window.
  NullOverlay overlay;
  PrepareSaver(saver.run, saver.design, hosted, overlay, saver.rnd);
  // The about display has no place in a host's window; left on, it would
  // only hold a finished picture a few seconds longer.
  saver.run.ShowAboutFlag = false;
  FinishStartup(saver.run, saver.design, hosted, overlay);

  // The host owns the input: nobody can mark a design or answer a question.
  QuietServices services;
  RunDesigns(saver, hosted, overlay, services);
  saver.unload = nullptr;
  return 0;
}

}  // namespace kalo
