#include "core/setting_rules.h"

#include <string>
#include <string_view>

#include "core/ascii.h"
#include "core/numbers.h"
#include "core/setting_rules.h"

namespace kalo {

namespace {

std::string UpperPrefix(std::string_view text, std::size_t n) { return AsciiUpper(text.substr(0, n)); }

}  // namespace

bool ReadsTrue(std::string_view text) { return UpperPrefix(text, 4) == "TRUE"; }

std::string Code(std::string_view text) { return UpperPrefix(text, 2); }

double Number(std::string_view text) { return Val(text); }

}  // namespace kalo
