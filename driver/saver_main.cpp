#include "driver/saver_main.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <memory>

#include "about/frm_about.h"
#include "display/design_export.h"
#include "display/design_pic.h"
#include "display/qt_save_ui.h"
#include "driver/design_loop.h"
#include "driver/startup_rules.h"
#include "platform/bitmap_file.h"
#include "platform/cursor_count.h"
#include "platform/instance_lock.h"
#include "platform/qt_pacer.h"
#include "platform/random.h"
#include "settings/settings_store.h"
#include "settings/setup_dialog.h"

namespace kalo {

namespace {

// Everything one saver process holds, alive for the whole of Main.
struct Saver {
  RunMode mode = RunMode::kNone;
  RunState run;
  DesignState design;
  SystemRandom rnd;  // seeded from the time of day
  CursorCount cursor;
  std::unique_ptr<DesignPic> pic;
  // The about dialog while it is shown; a child of the saver window.
  QPointer<FrmAbout> about;
  AboutMouseMemory about_mouse;
  bool ended = false;
};

Saver* g_saver = nullptr;

struct SaverScope {
  explicit SaverScope(Saver& s) { g_saver = &s; }
  ~SaverScope() { g_saver = nullptr; }
};

// What the design loop asks of the saver beyond drawing. Each call comes from
// the loop itself, outside Qt's event dispatch, so it may leave the loop
// with SaverEnded once an input handler inside a dialog has ended the saver.
class SaverHost final : public SaverServices {
 public:
  explicit SaverHost(Saver& saver)
      : saver_(saver),
        ui_(saver.pic.get()),
        export_(saver.run, saver.design, ui_, Hooks(*saver.pic),
                QCoreApplication::applicationDirPath().toStdString(),
                QDir::currentPath().toStdString()) {}

  void SaveData(Integer dformat) override {
    // The user is asked about the picture: it must be on the screen in full.
    saver_.pic->RefreshNow();
    export_.SaveData(dformat);
    LeaveIfEnded();
  }
  void SaveDataForDrawPgm() override {
    saver_.pic->RefreshNow();
    export_.SaveDataForDrawPgm();
    // The hand-off ends the saver; not one more stroke after it.
    LeaveIfEnded();
  }
  void ShowAboutModal() override {
    FrmAbout* about = OpenAbout();
    about->PrepareAfterSave();
    about->exec();
    CloseAbout();
    LeaveIfEnded();
  }
  void ShowAboutBriefly() override {
    FrmAbout* about = OpenAbout();
    about->PrepareBrief();
    about->show();
    about->raise();
    about->activateWindow();
    about->repaint();
  }
  void UnloadAbout() override {
    CloseAbout();
    LeaveIfEnded();
  }
  void HideCursor() override { kalo::HideCursor(); }
  void RestoreCursor() override { kalo::RestoreCursor(); }

 private:
  static ExportHooks Hooks(DesignPic& pic) {
    ExportHooks hooks;
    hooks.HideCommand1 = [&pic] { pic.SetVisible(Control::Command1, false); };
    hooks.RestoreCursor = [] { kalo::RestoreCursor(); };
    hooks.HideCursor = [] { kalo::HideCursor(); };
    hooks.SaveBitmap = [&pic](const std::string& path) {
      return SaveBitmapFile(pic.surface(), path);
    };
    hooks.EndSaver = [] { EndSaver(); };
    return hooks;
  }

  FrmAbout* OpenAbout() {
    CloseAbout();
    saver_.about = new FrmAbout(
        saver_.run, saver_.about_mouse, [] { EndSaver(); }, saver_.pic.get());
    return saver_.about;
  }

  void CloseAbout() {
    delete saver_.about.data();
    // Keys belong to the saver window again.
    if (!saver_.ended) {
      saver_.pic->activateWindow();
      saver_.pic->setFocus();
    }
  }

  void LeaveIfEnded() const {
    if (saver_.ended) throw SaverEnded{};
  }

  Saver& saver_;
  QtSaveUi ui_;
  DesignExport export_;
};

int RunSaver(Saver& saver, const SaverRunHooks& hooks) {
  RunState& run = saver.run;
  saver.pic = std::make_unique<DesignPic>(run, [] { EndSaver(); });
  DesignPic& pic = *saver.pic;
  pic.CoverScreen();
  PrepareSaver(run, saver.design, pic, saver.rnd);

  HideCursor();
  // Full-screen state on top of the screen's geometry, so that a window
  // manager keeps its panels beneath the saver.
  pic.showFullScreen();
  pic.raise();
  pic.activateWindow();
  pic.setFocus();
  FinishStartup(run, saver.design, pic);

  QtPacer qt_pacer([&pic] { pic.PushChanges(); }, [&saver] { return saver.ended; });
  Pacer* pacer = hooks.pacer ? hooks.pacer(pic, qt_pacer) : nullptr;
  if (!pacer) pacer = &qt_pacer;
  SaverHost host(saver);
  LoopContext ctx{EngineContext{saver.design, pic, *pacer, saver.rnd}, run, host};
  try {
    if (hooks.started) hooks.started(pic, qt_pacer);
    RunDesignLoop(ctx);
  } catch (const SaverEnded&) {
  }
  if (hooks.finished) hooks.finished(pic, qt_pacer);
  return 0;
}

}  // namespace

int Main(int argc, char** argv) { return Main(argc, argv, SaverRunHooks{}); }

int Main(int argc, char** argv, const SaverRunHooks& hooks) {
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
      return RunSaver(saver, hooks);
    case RunMode::kConfigure: {
      // The program lives as long as the settings dialog: OK and Cancel both
      // end it.
      Setup setup(saver.run, ProfilePath());
      QObject::connect(&setup, &QDialog::finished, [] { EndSaver(); });
      setup.show();
      app.exec();
      return 0;
    }
    case RunMode::kNone:
      return 0;
  }
  return 0;
}

void EndSaver() {
  Saver* saver = g_saver;
  if (!saver || saver->ended) return;
  if (saver->about) saver->about->reject();
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
