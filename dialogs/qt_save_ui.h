// The save questions as Qt dialogs over the saver window.
#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <optional>
#include <string>

#include "dialogs/save_ui.h"

namespace kalo {

class QtSaveUi : public SaveUi {
 public:
  explicit QtSaveUi(QWidget* parent) : parent_(parent) {}

  bool AskYesNo(const std::string& prompt, const std::string& title) override;
  std::optional<std::string> AskSaveFileName(const SaveFileRequest& request) override;
  void ShowError(const std::string& text) override;

 private:
  QPointer<QWidget> parent_;
};

// "All Files (*.*)|*.*| WINDOWS Bitmap (*.bmp)|*.bmp" as the dialog's name
// filters: "All Files (*.*)", "WINDOWS Bitmap (*.bmp)". A description that
// does not show its pattern gets it appended in parentheses.
QStringList NameFiltersFromList(const std::string& filter);

}  // namespace kalo
