// The saver moves a bare or non-UTF-8 environment to a UTF-8 locale before Qt
// starts, changing only the variable that decides the character set.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "system/utf8_locale.h"

namespace kalo {
namespace {

struct Row {
  const char* lc_all;  // null: unset
  const char* lc_ctype;
  const char* lang;
  const char* want_lc_all;  // what the variables hold afterwards
  const char* want_lc_ctype;
};

const char* Get(const char* name) { return std::getenv(name); }

void Put(const char* name, const char* value) {
  if (value)
    setenv(name, value, 1);
  else
    unsetenv(name);
}

std::string Shown(const char* value) { return value ? value : "(unset)"; }

TEST(Utf8Locale, OnlyTheCharacterSetVariableMovesAndOnlyWhenItIsNotUtf8) {
  const Row rows[] = {
      {nullptr, nullptr, nullptr, nullptr, "C.UTF-8"},  // env -i
      {nullptr, nullptr, "C", nullptr, "C.UTF-8"},
      {nullptr, "POSIX", "C.UTF-8", nullptr, "C.UTF-8"},
      {"POSIX", nullptr, nullptr, "C.UTF-8", nullptr},
      {"C", "C.UTF-8", nullptr, "C.UTF-8", "C.UTF-8"},  // LC_ALL rules over LC_CTYPE
      {nullptr, nullptr, "C.UTF-8", nullptr, nullptr},  // already UTF-8: untouched
      {"C.utf8", nullptr, nullptr, "C.utf8", nullptr},
      {"", nullptr, nullptr, "", "C.UTF-8"},  // an empty LC_ALL counts as unset
      // A locale that is not installed leaves every category C: only LC_ALL
      // moves them all.
      {nullptr, nullptr, "xx_NOWHERE.ISO-8859-1", "C.UTF-8", nullptr},
  };
  for (const Row& r : rows) {
    Put("LC_ALL", r.lc_all);
    Put("LC_CTYPE", r.lc_ctype);
    Put("LANG", r.lang);
    const std::string before = std::setlocale(LC_ALL, nullptr);
    MoveToUtf8Locale();
    const std::string row = Shown(r.lc_all) + " " + Shown(r.lc_ctype) + " " + Shown(r.lang);
    EXPECT_EQ(Shown(Get("LC_ALL")), Shown(r.want_lc_all)) << row;
    EXPECT_EQ(Shown(Get("LC_CTYPE")), Shown(r.want_lc_ctype)) << row;
    EXPECT_EQ(Shown(Get("LANG")), Shown(r.lang)) << row;
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), before) << row << ": the process's locale changed";
  }
}

}  // namespace
}  // namespace kalo
