// Saving a finished design: as a bitmap of the window's picture and as a
// canvas data file for the companion design program, or, when the companion
// started the saver, handing the design over through two files and ending.
#pragma once

#include <functional>
#include <string>

#include "core/basic_types.h"
#include "core/run_state.h"
#include "dialogs/save_ui.h"
#include "engine/design_state.h"

namespace kalo {

// What a save needs of the window and of the rest of the saver.
struct ExportHooks {
  std::function<void()> HideBanner;     // the save banner
  std::function<void()> RestoreCursor;  // pointer shown while the user is asked
  std::function<void()> HideCursor;
  // Writes the window's persistent image to path as a bitmap; "" on success,
  // otherwise the message for the user.
  std::function<std::string(const std::string& path)> SaveBitmap;
  std::function<void()> EndSaver;
};

// The names of the design types as the canvas question shows them.
extern const char* const kSavePromptNames[kDesignTypeCount];

// Where the first save of a run opens: the "designs" folder beside the
// program, else the program's folder when it can be written to, else the
// user's pictures folder.
std::string FirstSaveFolder(const std::string& program_folder);

class DesignExport {
 public:
  // Files handed to the companion, in the folder it started the saver in.
  static constexpr const char* kHandOffCanvas = "kalosave.cvd";
  static constexpr const char* kHandOffAnswer = "loadaskr.que";

  DesignExport(RunState& run, const DesignState& design, SaveUi& ui, ExportHooks hooks,
               std::string program_folder, std::string current_folder);

  // dformat 0 offers the bitmap, 1 the canvas file; any other value asks
  // nothing. The name and folder chosen are remembered for the next save.
  void SaveData(Integer dformat);
  // Asks whether the companion should load the design, writes the hand-off
  // files accordingly and ends the saver.
  void SaveDataForDrawPgm();

  const std::string& SaveFileName() const { return save_file_name_; }
  const std::string& SaveFolder() const { return save_folder_; }

 private:
  RunState& run_;
  const DesignState& design_;
  SaveUi& ui_;
  ExportHooks hooks_;
  std::string program_folder_;
  std::string current_folder_;

  std::string save_file_name_;
  std::string save_folder_;
  std::string save_prompt_;
};

}  // namespace kalo
