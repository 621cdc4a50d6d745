#include "driver/saver_main.h"

#include <QApplication>
#include <memory>

#include "display/design_pic.h"
#include "driver/design_loop.h"
#include "driver/startup_rules.h"
#include "platform/cursor_count.h"
#include "platform/instance_lock.h"
#include "platform/qt_pacer.h"
#include "platform/random.h"
#include "settings/settings_store.h"

namespace kalo {

namespace {

// What the design loop asks of the saver beyond drawing.
class SaverHost final : public SaverServices {
 public:
  // Saving a marked design and the about dialog come with the export and
  // about forms; until they are part of the program a marked design is not
  // saved and no about dialog is shown.
  void SaveData(Integer) override {}
  // Without the hand-off writer the companion program gets nothing; the
  // saver still ends, as the hand-off always does.
  void SaveDataForDrawPgm() override { EndSaver(); }
  void ShowAboutModal() override {}
  void ShowAboutBriefly() override {}
  void UnloadAbout() override {}
  void HideCursor() override { kalo::HideCursor(); }
  void RestoreCursor() override { kalo::RestoreCursor(); }
};

// Everything one saver process holds, alive for the whole of Main.
struct Saver {
  RunMode mode = RunMode::kNone;
  RunState run;
  DesignState design;
  SystemRandom rnd;  // seeded from the time of day
  CursorCount cursor;
  std::unique_ptr<DesignPic> pic;
  bool ended = false;
};

Saver* g_saver = nullptr;

struct SaverScope {
  explicit SaverScope(Saver& s) { g_saver = &s; }
  ~SaverScope() { g_saver = nullptr; }
};

void RunDesigns(LoopContext& ctx) {
  // Until the design loop is part of the program the saver shows its
  // background and waits for input in the loop's own resting rhythm.
  ctx.run.StartingUp = False;
  for (;;) ctx.engine.pacer.Sleep(250);
}

int RunSaver(Saver& saver) {
  RunState& run = saver.run;
  saver.pic = std::make_unique<DesignPic>(run, [] { EndSaver(); });
  DesignPic& pic = *saver.pic;
  pic.CoverScreen();
  PrepareSaver(run, saver.design, pic, saver.rnd);

  HideCursor();
  pic.show();
  pic.raise();
  pic.activateWindow();
  pic.setFocus();
  FinishStartup(run, saver.design, pic);

  QtPacer pacer([&pic] { pic.PushChanges(); }, [&saver] { return saver.ended; });
  SaverHost host;
  LoopContext ctx{EngineContext{saver.design, pic, pacer, saver.rnd}, run, host};
  try {
    RunDesigns(ctx);
  } catch (const SaverEnded&) {
  }
  return 0;
}

}  // namespace

int Main(int argc, char** argv) {
  // The command line as one string, taken before Qt looks at the arguments.
  const std::string command_line = JoinArguments(argc, argv);
  int qt_argc = argc;
  QApplication app(qt_argc, argv);
  QApplication::setApplicationName("kalosaver");

  Saver saver;
  SaverScope scope(saver);
  saver.run.StartingUp = True;
  InstanceLock lock;
  if (!lock.TryLock()) return 0;

  saver.design.SwitchesGiven = False;
  saver.run.CommandLine = command_line;
  saver.run.Settings = ReadSettings(ProfilePath());
  saver.mode = DecideRunMode(command_line);

  switch (saver.mode) {
    case RunMode::kSaver:
      return RunSaver(saver);
    case RunMode::kConfigure:
      // The settings dialog joins the program with the settings forms; until
      // then configure mode ends at once, like a start without a mode.
      return 0;
    case RunMode::kNone:
      return 0;
  }
  return 0;
}

void EndSaver() {
  Saver* saver = g_saver;
  if (!saver || saver->ended) return;
  if (saver->pic) saver->pic->Unload();
  RestoreCursor();
  saver->ended = true;
  if (saver->mode == RunMode::kConfigure) QCoreApplication::quit();
}

bool HasSaverEnded() { return g_saver && g_saver->ended; }

void HideCursor() {
  if (!g_saver) return;
  kalo::HideCursor(g_saver->run, [](bool show) { return g_saver->cursor.ShowCursor(show); });
}

void RestoreCursor() {
  if (!g_saver) return;
  kalo::RestoreCursor(g_saver->run, [](bool show) { return g_saver->cursor.ShowCursor(show); });
}

}  // namespace kalo
