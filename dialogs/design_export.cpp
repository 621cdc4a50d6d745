#include "dialogs/design_export.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>
#include <optional>
#include <utility>

#include "canvas/canvas_file.h"
#include "core/ascii.h"

namespace kalo {

const char* const kSavePromptNames[kDesignTypeCount] = {"KaloSpiral", "KaloYarn",  "KaloStar",
                                                        "Prismel",    "KaloAngle", "KaloBoxes"};

namespace {

struct SaveKind {
  const char* extension;
  const char* filter;
  // Previous extensions that are switched to this one; any other name falls
  // back to the bare pattern.
  const char* switched[2];
};

constexpr SaveKind kBitmapKind = {
    "bmp", "All Files (*.*)|*.*| WINDOWS Bitmap (*.bmp)|*.bmp", {"cvd", "dpd"}};
constexpr SaveKind kCanvasKind = {
    "cvd", "All Files (*.*)|*.*| KaloDraw Canvas (*.cvd)|*.cvd", {"bmp", "dpd"}};

// The last three characters of the name decide, in any case: saving one.bmp
// offers one.cvd for the canvas file that follows.
std::string OfferedName(const std::string& previous, const SaveKind& kind) {
  if (previous.size() >= 3) {
    const std::string tail = AsciiLower(std::string_view(previous).substr(previous.size() - 3));
    if (tail == kind.switched[0] || tail == kind.switched[1])
      return previous.substr(0, previous.size() - 3) + kind.extension;
  }
  return std::string("*.") + kind.extension;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string JoinPath(const std::string& folder, const char* name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

}  // namespace

std::string FirstSaveFolder(const std::string& program_folder) {
  const QString program = QString::fromStdString(program_folder);
  const QString designs = QDir(program).filePath(QStringLiteral("designs"));
  if (!program.isEmpty() && QFileInfo(designs).isDir()) return designs.toStdString();
  const QFileInfo info(program);
  if (!program.isEmpty() && info.isDir() && info.isWritable()) return program_folder;
  return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation).toStdString();
}

DesignExport::DesignExport(RunState& run, const DesignState& design, SaveUi& ui, ExportHooks hooks,
                           std::string program_folder, std::string current_folder)
    : run_(run),
      design_(design),
      ui_(ui),
      hooks_(std::move(hooks)),
      program_folder_(std::move(program_folder)),
      current_folder_(std::move(current_folder)) {}

void DesignExport::SaveData(Integer dformat) {
  hooks_.HideBanner();
  hooks_.RestoreCursor();

  const Integer type = design_.DesignType;
  save_prompt_ = type >= 0 && type < kDesignTypeCount ? kSavePromptNames[type] : "";

  const SaveKind* kind = nullptr;
  if (dformat == 0) {
    if (!ui_.AskYesNo("Save as a Wallpaper/Bitmap (.bmp) file?", "Save as WINDOWS Bitmap file?")) {
      hooks_.HideCursor();
      return;
    }
    kind = &kBitmapKind;
  } else if (dformat == 1) {
    if (!ui_.AskYesNo("Save as a '" + save_prompt_ + "' Canvas data file for 'KaloDraw'?",
                      "KaloDraw Canvas data file save query")) {
      hooks_.HideCursor();
      return;
    }
    kind = &kCanvasKind;
  } else {
    hooks_.HideCursor();
    return;
  }
  save_file_name_ = OfferedName(save_file_name_, *kind);

  if (save_folder_.empty()) save_folder_ = FirstSaveFolder(program_folder_);

  SaveFileRequest request;
  request.initial_name = save_file_name_;
  request.folder = save_folder_;
  request.filter = kind->filter;
  request.filter_index = 2;
  request.default_extension = kind->extension;
  const std::optional<std::string> chosen = ui_.AskSaveFileName(request);
  if (!chosen) run_.SaveCancelled = true;

  if (run_.SaveCancelled) {
    run_.SaveCancelled = false;
  } else if (chosen) {
    save_file_name_ = *chosen;
    save_folder_ = FolderOf(save_file_name_);
    // One message for a file that cannot be written, and nothing half
    // written left behind: the writers replace the target only when whole.
    const std::string error = dformat == 0 ? hooks_.SaveBitmap(save_file_name_)
                                           : WriteCanvasFile(save_file_name_, design_.DesignRecord);
    if (!error.empty()) {
      ui_.ShowError(error);
      hooks_.RestoreCursor();
    }
  }
  hooks_.HideCursor();
}

void DesignExport::SaveDataForDrawPgm() {
  hooks_.HideBanner();
  hooks_.RestoreCursor();
  const bool load = ui_.AskYesNo("Load This Design Onto The Canvas?", "Auto-Draw Load Request");
  hooks_.HideCursor();

  // The design is complete on disk before the answer that announces it
  // appears; when it cannot be written, no "YES" announces a design that is
  // not there. Others may write in the companion's folder, so a link planted
  // under either name is replaced, never written through.
  std::string error;
  if (load)
    error = WriteCanvasFile(JoinPath(current_folder_, kHandOffCanvas), design_.DesignRecord,
                            LinkAtName::kReplace);
  if (error.empty())
    error = WriteFileAtomically(JoinPath(current_folder_, kHandOffAnswer),
                                load ? "Load = YES\r\n" : "Load = NO\r\n", LinkAtName::kReplace);
  if (!error.empty()) {
    hooks_.RestoreCursor();
    ui_.ShowError(error);
  }
  hooks_.EndSaver();
}

}  // namespace kalo
