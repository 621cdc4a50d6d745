#include "dialogs/qt_save_ui.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <optional>
#include <string>

#include "screen/dialog_over_saver.h"
#include "screen/window_title.h"

namespace kalo {

namespace {

// Shows `text` in a warning box over `over` and returns the button that
// answered it; Enter presses `preferred`.
int Warn(QWidget* over, const QString& text, QMessageBox::StandardButtons buttons,
         QMessageBox::StandardButton preferred) {
  QMessageBox box(QMessageBox::Warning, ShownTitle(over->windowTitle()), text, buttons, over);
  box.setDefaultButton(preferred);
  return ExecOverSaver(box);
}

// A save dialog that takes only names in a folder that exists: the write
// could only fail, and the missing folder would be offered again next time.
// It stays open with a message, as a file dialog does for a file that is not
// there when opening. Replacing a file is confirmed here rather than by the
// dialog's own box, which would be modal and deaf to the keys that the saver
// hands on to its dialogs.
class SaveFileDialog : public QFileDialog {
 public:
  explicit SaveFileDialog(QWidget* parent) : QFileDialog(parent) {
    setOption(QFileDialog::DontConfirmOverwrite);
  }

  void accept() override {
    const QStringList chosen = selectedFiles();
    if (!chosen.isEmpty()) {
      const QFileInfo file(chosen.first());
      const QString folder = file.absolutePath();
      // A folder chosen as a whole is opened by the dialog itself.
      if (!file.isDir() && !QFileInfo(folder).isDir()) {
        Warn(this,
             QStringLiteral("%1\nThis folder does not exist.\n"
                            "Check the folder's name and try again.")
                 .arg(QDir::toNativeSeparators(folder)),
             QMessageBox::Ok, QMessageBox::Ok);
        return;
      }
      if (file.exists() && !file.isDir() &&
          Warn(
              this,
              QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(file.fileName()),
              QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    }
    QFileDialog::accept();
  }
};

}  // namespace

bool QtSaveUi::AskYesNo(const std::string& prompt, const std::string& title) {
  QMessageBox box(QMessageBox::Question, ShownTitle(QString::fromStdString(title)),
                  QString::fromStdString(prompt), QMessageBox::Yes | QMessageBox::No, parent_);
  // Enter answers Yes, as the user expects when asked to keep a design.
  box.setDefaultButton(QMessageBox::Yes);
  return ExecOverSaver(box) == QMessageBox::Yes;
}

void QtSaveUi::ShowError(const std::string& text) {
  QMessageBox box(QMessageBox::Warning, ShownTitle(QString()), QString::fromStdString(text),
                  QMessageBox::Ok, parent_);
  ExecOverSaver(box);
}

QStringList NameFiltersFromList(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    const QString pattern = parts[i + 1].trimmed();
    if (description.endsWith(u'(' + pattern + u')'))
      filters << description;
    else
      filters << description + QStringLiteral(" (") + pattern + u')';
  }
  return filters;
}

std::optional<std::string> QtSaveUi::AskSaveFileName(const SaveFileRequest& request) {
  SaveFileDialog dialog(parent_);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDirectory(QString::fromStdString(request.folder));
  const QStringList filters = NameFiltersFromList(request.filter);
  dialog.setNameFilters(filters);
  if (request.filter_index >= 1 && request.filter_index <= filters.size())
    dialog.selectNameFilter(filters[request.filter_index - 1]);
  dialog.setDefaultSuffix(QString::fromStdString(request.default_extension));
  // A pattern like "*.bmp" is what the selected filter already shows; in the
  // name box it would only have to be erased before typing a name.
  const QString name = QString::fromStdString(request.initial_name);
  if (!name.contains(u'*') && !name.contains(u'?')) dialog.selectFile(name);
  if (ExecOverSaver(dialog) != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return QDir::cleanPath(chosen.first()).toStdString();
}

}  // namespace kalo
