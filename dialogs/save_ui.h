// The questions a save puts to the user: Yes/No questions, the save-file
// dialog and error messages. The window supplies real dialogs; tests supply
// scripted answers.
#pragma once

#include <optional>
#include <string>

namespace kalo {

struct SaveFileRequest {
  std::string initial_name;       // a full path, or a pattern such as "*.bmp"
  std::string folder;             // where the dialog opens
  std::string filter;             // "desc|pattern|desc|pattern..."
  int filter_index = 1;           // 1-based entry of the filter list
  std::string default_extension;  // added when the user types none, e.g. "bmp"
};

class SaveUi {
 public:
  virtual ~SaveUi() = default;
  // A question with Yes and No, Yes the default answer. True for Yes.
  virtual bool AskYesNo(const std::string& prompt, const std::string& title) = 0;
  // The save dialog, confirming before an existing file is replaced. The
  // chosen full path, or nothing when the user cancelled.
  virtual std::optional<std::string> AskSaveFileName(const SaveFileRequest& request) = 0;
  // An error message with an OK button and no title.
  virtual void ShowError(const std::string& text) = 0;
};

}  // namespace kalo
