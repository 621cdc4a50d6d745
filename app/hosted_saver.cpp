#include "app/hosted_saver.h"

#include <cstdio>
#include <string>

#include "app/saver_process.h"
#include "engine/startup_rules.h"
#include "screen/hosted_pic.h"
#include "screen/qt_pacer.h"

namespace kalo {

int RunHosted(SaverProcess& saver, uint32_t window) {
  HostedPic pic([&saver] { saver.End(); });
  const std::string error = pic.Attach(window);
  if (!error.empty()) {
    std::fprintf(stderr, "kalosaver: %s\n", error.c_str());
    return 1;
  }
  saver.unload = [&pic] { pic.Unload(); };
  // Nothing is shown over the designs in a host's window.
  NullOverlay overlay;
  PrepareSaver(saver.run, saver.design, pic, overlay, saver.rnd);
  // The about display has no place in a host's window; left on, it would
  // only hold a finished picture a few seconds longer.
  saver.run.ShowAboutFlag = false;
  FinishStartup(saver.run, saver.design, pic, overlay);

  // The host owns the input: nobody can mark a design or answer a question.
  QuietServices services;
  RunDesigns(saver, pic, overlay, services);
  saver.unload = nullptr;
  return 0;
}

}  // namespace kalo
