#include "files/file_error.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "core/numbers.h"

namespace kalo {

std::string FileErrorMessage(int os_error) {
  return "Error" + StrInt(os_error) + "\n" + std::strerror(os_error);
}

std::string ShownFileName(const std::string& name) {
  std::string out;
  for (char c : name) out += (static_cast<unsigned char>(c) < ' ' || c == 127) ? '?' : c;
  return out;
}

std::string FileErrorMessage(int os_error, const std::string& path) {
  struct stat st {};
  if (os_error != EINVAL || ::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode))
    return FileErrorMessage(os_error);
  return "Error" + StrInt(os_error) + "\n" + ShownFileName(path) + " is not a regular file";
}

}  // namespace kalo
