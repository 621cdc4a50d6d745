#include "core/setting_rules.h"

#include <string>
#include <string_view>

#include "core/numbers.h"
#include "core/setting_rules.h"

namespace kalo {

namespace {

std::string UpperPrefix(std::string_view text, std::size_t n) {
  std::string out(text.substr(0, n));
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace

bool ReadsTrue(std::string_view text) { return UpperPrefix(text, 4) == "TRUE"; }

std::string Code(std::string_view text) { return UpperPrefix(text, 2); }

double Number(std::string_view text) { return Val(text); }

}  // namespace kalo
