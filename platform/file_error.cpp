#include "platform/file_error.h"

#include <cstring>

#include "platform/numbers.h"

namespace kalo {

std::string FileErrorMessage(int os_error) {
  return "Error" + StrInt(os_error) + "\n" + std::strerror(os_error);
}

}  // namespace kalo
