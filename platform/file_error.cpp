#include "platform/file_error.h"

#include <QSaveFile>
#include <QString>
#include <cerrno>
#include <cstring>

#include "platform/numbers.h"

namespace kalo {

std::string FileErrorMessage(int os_error) {
  return "Error" + StrInt(os_error) + "\n" + std::strerror(os_error);
}

int LastOsError() { return errno != 0 ? errno : EIO; }

std::string WriteWholeFile(const std::string& path, const std::function<bool(QIODevice&)>& write) {
  // Each step reports the error number it failed with; taken at once, before
  // anything else can overwrite it.
  QSaveFile file(QString::fromStdString(path));
  errno = 0;
  if (!file.open(QIODevice::WriteOnly)) return FileErrorMessage(LastOsError());
  errno = 0;
  if (!write(file)) {
    const int error = LastOsError();
    file.cancelWriting();
    return FileErrorMessage(error);
  }
  errno = 0;
  if (!file.commit()) return FileErrorMessage(LastOsError());
  return "";
}

}  // namespace kalo
