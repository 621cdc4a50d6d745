#include "system/utf8_locale.h"

#include <langinfo.h>
#include <strings.h>

#include <clocale>
#include <cstdlib>
#include <string>

namespace kalo {

namespace {

bool IsUtf8(const char* codeset) {
  return codeset && (strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "utf8") == 0);
}

struct Move {
  const char* variable = nullptr;  // null: the user's locale reads UTF-8
  std::string locale;
};

Move Utf8LocaleToUse() {
  // The user's locale as Qt will take it: all categories at once, which fails
  // as a whole when any of them names a locale that is not installed. Then
  // every category stays C, and only LC_ALL can move them all to C.UTF-8.
  if (!std::setlocale(LC_ALL, "")) return {"LC_ALL", "C.UTF-8"};
  if (IsUtf8(nl_langinfo(CODESET))) return {};
  const char* all = std::getenv("LC_ALL");
  const char* variable = all && *all ? "LC_ALL" : "LC_CTYPE";
  std::string twin = std::setlocale(LC_CTYPE, nullptr);
  twin = twin.substr(0, twin.find_first_of(".@"));
  if (twin == "C" || twin == "POSIX") return {variable, "C.UTF-8"};
  twin += ".UTF-8";
  return {variable, std::setlocale(LC_CTYPE, twin.c_str()) ? twin : "C.UTF-8"};
}

}  // namespace

void MoveToUtf8Locale() {
  const std::string before = std::setlocale(LC_ALL, nullptr);
  const Move move = Utf8LocaleToUse();
  std::setlocale(LC_ALL, before.c_str());
  if (move.variable) setenv(move.variable, move.locale.c_str(), 1);
}

}  // namespace kalo
