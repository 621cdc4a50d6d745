#include "app/saver_main.h"

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/hosted_saver.h"
#include "app/open_canvas.h"
#include "app/render_canvas.h"
#include "app/saver_process.h"
#include "app/saver_windows.h"
#include "dialogs/about_dialog.h"
#include "dialogs/design_export.h"
#include "dialogs/qt_save_ui.h"
#include "dialogs/settings_dialog.h"
#include "engine/startup_rules.h"
#include "files/bitmap_file.h"
#include "files/settings_store.h"
#include "screen/dialog_over_saver.h"
#include "screen/every_monitor.h"
#include "screen/full_screen_window.h"
#include "screen/input_grab.h"
#include "screen/qt_pacer.h"
#include "system/display_check.h"
#include "system/end_signals.h"
#include "system/instance_lock.h"
#include "system/out_of_memory.h"
#include "system/utf8_locale.h"

namespace kalo {

namespace {

// What the design loop asks of the saver beyond drawing. Each call comes from
// the loop itself, outside Qt's event dispatch, so it may leave the loop
// with SaverEnded once an input handler inside a dialog has ended the saver.
//
// The pointer is shown exactly while the user is asked something, and then
// keyboard and pointer are given back to the desktop, so that the questions,
// the file dialog and the about dialog work like any other window.
class SaverHost final : public SaverServices {
 public:
  SaverHost(SaverProcess& saver, FullScreenWindow& window, InputGrab& grab)
      : saver_(saver),
        window_(window),
        grab_(grab),
        ui_(&window),
        export_(saver.run, saver.design, ui_, Hooks(saver, window, grab),
                QCoreApplication::applicationDirPath().toStdString(),
                QDir::currentPath().toStdString()) {}

  void SaveData(Integer dformat) override {
    // The user is asked about the picture: it must be on the screen in full.
    window_.RefreshNow();
    export_.SaveData(dformat);
    LeaveIfEnded();
  }
  void SaveDataForDrawPgm() override {
    window_.RefreshNow();
    export_.SaveDataForDrawPgm();
    // The hand-off ends the saver; not one more stroke after it.
    LeaveIfEnded();
  }
  void ShowAboutModal() override {
    AboutDialog* about = OpenAbout();
    about->PrepareAfterSave();
    ExecOverSaver(*about);
    CloseAbout();
    LeaveIfEnded();
  }
  void ShowAboutBriefly() override {
    AboutDialog* about = OpenAbout();
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
  void HideCursor() override { Hide(saver_, grab_); }
  void RestoreCursor() override { Show(saver_, grab_); }

 private:
  static void Hide(SaverProcess& saver, InputGrab& grab) {
    saver.HideCursor();
    if (!saver.ended) grab.Take();
  }
  static void Show(SaverProcess& saver, InputGrab& grab) {
    grab.Release();
    saver.RestoreCursor();
  }

  static ExportHooks Hooks(SaverProcess& saver, FullScreenWindow& window, InputGrab& grab) {
    ExportHooks hooks;
    hooks.HideBanner = [&window] { window.SetVisible(Control::Banner, false); };
    hooks.RestoreCursor = [&saver, &grab] { Show(saver, grab); };
    hooks.HideCursor = [&saver, &grab] { Hide(saver, grab); };
    hooks.SaveBitmap = [&window](const std::string& path) {
      return SaveBitmapFile(window.surface(), path);
    };
    hooks.EndSaver = [&saver] { saver.End(); };
    return hooks;
  }

  AboutDialog* OpenAbout() {
    CloseAbout();
    saver_.about = new AboutDialog(
        saver_.run, saver_.about_mouse, [this] { saver_.End(); }, &window_);
    StandOverFocus(*saver_.about);
    return saver_.about;
  }

  void CloseAbout() {
    delete saver_.about.data();
    // Keys belong to the saver window again.
    if (!saver_.ended) {
      window_.activateWindow();
      window_.setFocus();
    }
  }

  void LeaveIfEnded() const {
    if (saver_.ended) throw SaverEnded{};
  }

  SaverProcess& saver_;
  FullScreenWindow& window_;
  InputGrab& grab_;
  QtSaveUi ui_;
  DesignExport export_;
};

int RunSaver(SaverProcess& saver, bool every_monitor) {
  RunState& run = saver.run;
  SaverWindows windows(saver, every_monitor);
  FullScreenWindow& window = windows.window();
  PrepareSaver(run, saver.design, window, window, saver.rnd);
  windows.Show();
  FinishStartup(run, saver.design, window, window);

  SaverHost host(saver, window, windows.grab());
  RunDesigns(saver, window, window, host);
  return 0;
}

}  // namespace

static int RunMain(int argc, char** argv);

// Memory that runs out ends every mode alike, with one line and status 1; the
// single-instance lock and the windows go as the stack unwinds to here. An
// event handler whose allocation failed has ended the saver and noted it.
int Main(int argc, char** argv) {
  try {
    const int status = RunMain(argc, argv);
    if (!OutOfMemoryNoted()) return status;
  } catch (const std::bad_alloc&) {
  }
  std::fputs("kalosaver: out of memory\n", stderr);
  return 1;
}

static int RunMain(int argc, char** argv) {
  // Before anything of Qt's reads the locale (windows and images alike).
  MoveToUtf8Locale();
  // The run mode is settled before anything opens the display, so that
  // command lines that end at once never need one.
  const Invocation inv = ParseCommandLine(argc, argv);
  HostWindow host;
  switch (inv.mode) {
    case RunMode::kError:
      std::fprintf(stderr, "kalosaver: %s\n", inv.error.c_str());
      return 2;
    case RunMode::kHelp:
      std::fputs(UsageText().c_str(), stdout);
      return 0;
    case RunMode::kVersion:
      std::fputs(VersionText().c_str(), stdout);
      return 0;
    case RunMode::kNone:
      return 0;
    case RunMode::kHosted:
      host = ChooseHostWindow(inv, std::getenv("XSCREENSAVER_WINDOW"));
      if (!host.error.empty()) {
        std::fprintf(stderr, "kalosaver: %s\n", host.error.c_str());
        return 2;
      }
      // Hosts hand over X windows, whatever the session would rather use.
      setenv("QT_QPA_PLATFORM", "xcb", 1);
      break;
    case RunMode::kRender:
      // Images are drawn without a window: no display is needed.
      return RenderCanvas(inv);
    default:
      break;
  }
  // A canvas file to open is read first: what is wrong with it is said even
  // where no display is.
  std::optional<CanvasRead> canvas;
  if (inv.mode == RunMode::kOpen) canvas = ReadCanvasToOpen(inv);
  if (!DisplayAvailable()) {
    if (canvas && !canvas->ok()) return 1;
    std::fputs("kalosaver: no display could be opened (is DISPLAY or WAYLAND_DISPLAY set?)\n",
               stderr);
    return 1;
  }

  // Without a runtime folder Qt warns on the terminal; the saver's own
  // private folder serves it instead, so a saver started from a bare
  // environment (cron, a host that passes only DISPLAY) prints nothing.
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || !*runtime) {
    const std::string folder = PrivateLockFolder(LockPlaces::FromEnvironment());
    if (!folder.empty()) setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
  }

  // Qt gets none of our arguments: its own options ("-display", "-platform")
  // would otherwise be acted on, or end the program, before ours are read.
  int qt_argc = 1;
  char* qt_argv[] = {argv[0], nullptr};
  // The pointer is measured from one move to the next. Moves that queued up
  // while the saver was busy would otherwise arrive merged into one, and a
  // hand trembling a few pixels at a time would add up to a move that ends it.
  QApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
  QApplication app(qt_argc, qt_argv);
  QApplication::setApplicationName("kalosaver");
  // Hosted mode asks the same of the host's own window.
  if (inv.mode != RunMode::kHosted) {
    const std::string colour = ScreenColourProblem();
    if (!colour.empty()) {
      // A canvas file that cannot be drawn has already been told instead.
      if (!canvas || canvas->ok()) std::fprintf(stderr, "kalosaver: %s\n", colour.c_str());
      return 1;
    }
  }

  SaverProcess saver;
  saver.mode = inv.mode;
  saver.run.StartingUp = true;
  std::optional<InstanceLock> lock;
  if (inv.mode == RunMode::kSaver || inv.mode == RunMode::kConfigure) {
    lock.emplace();
    if (!lock->TryLock()) return 0;
  }

  saver.design.SwitchesGiven = false;
  saver.run.CommandLine = inv.command_line;
  saver.run.Settings = ReadSettings(ProfilePath());
  EndSignals end_signals([&saver] { saver.End(); });

  switch (saver.mode) {
    case RunMode::kSaver:
      ApplySettingOptions(inv, saver.run.Settings);
      return RunSaver(saver, inv.every_monitor);
    case RunMode::kHosted:
      ApplySettingOptions(inv, saver.run.Settings);
      return RunHosted(saver, host.id);
    case RunMode::kOpen:
      ApplySettingOptions(inv, saver.run.Settings);
      return OpenCanvas(saver, inv, *canvas);
    case RunMode::kConfigure: {
      // The program lives as long as the settings dialog: OK and Cancel both
      // end it.
      SettingsDialog setup(saver.run, ProfilePath());
      saver.unload = [&setup] { setup.hide(); };
      QObject::connect(&setup, &QDialog::finished, [&saver] { saver.End(); });
      setup.show();
      app.exec();
      saver.unload = nullptr;
      return setup.SaveFailed() ? 1 : 0;
    }
    default:
      return 0;
  }
}

}  // namespace kalo
