#include "core/numbers.h"

#include <locale.h>
#include <stdlib.h>

#include <cerrno>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace kalo {

namespace {

// Rounds half to even and saturates, so that a wild value taken from a file
// or a command line lands at the end of the range instead of wrapping.
template <typename T>
T RoundToEven(double v) {
  if (std::isnan(v)) return 0;
  const double r = std::nearbyint(v);  // the default rounding mode is to nearest, ties to even
  if (r <= static_cast<double>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
  if (r >= static_cast<double>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
  return static_cast<T>(r);
}

}  // namespace

Integer CInt(double v) { return RoundToEven<Integer>(v); }
Long CLng(double v) { return RoundToEven<Long>(v); }
double Int(double v) { return std::floor(v); }

namespace {

// Numbers in records and settings always have a point, whatever the user's
// locale: Qt takes on the user's locale at start-up, and a comma there would
// make canvas files and settings unreadable.
locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
  return c;
}

// The C locale's numbers for this thread while it lives.
struct CNumbers {
  CNumbers() : old(uselocale(CLocale())) {}
  ~CNumbers() { uselocale(old); }
  CNumbers(const CNumbers&) = delete;
  CNumbers& operator=(const CNumbers&) = delete;
  locale_t old;
};

}  // namespace

std::string StrInt(int64_t v) {
  std::string digits = std::to_string(v);
  return v < 0 ? digits : " " + digits;
}

std::string StrSingle(Single v) {
  if (std::isnan(v)) return " NaN";
  if (std::isinf(v)) return v > 0 ? " Inf" : "-Inf";
  if (v == 0) return " 0";
  // Seven significant digits, trailing zeros dropped; the exponent form takes
  // over where plain digits would need more than seven figures.
  char buf[32];
  {
    CNumbers point;
    std::snprintf(buf, sizeof buf, "%.7G", static_cast<double>(std::fabs(v)));
  }
  std::string text = buf;
  // "%G" writes the exponent with at least two digits ("1E+08"), which is the
  // form we want.
  if (text.size() > 1 && text[0] == '0' && text[1] == '.') text.erase(0, 1);
  return (v < 0 ? "-" : " ") + text;
}

std::string SettingsNumberText(int64_t v) { return std::to_string(v); }

double Val(std::string_view text) {
  // Collect the leading numeric text, skipping blanks and tabs wherever they
  // stand, then let strtod read it.
  std::string num;
  enum { kSign, kInt, kFrac, kExpSign, kExpDigits } state = kSign;
  bool any_digit = false;
  for (char c : text) {
    if (c == ' ' || c == '\t') continue;
    if (state == kSign && (c == '+' || c == '-')) {
      num += c;
      state = kInt;
    } else if ((state == kSign || state == kInt) && c >= '0' && c <= '9') {
      num += c;
      state = kInt;
      any_digit = true;
    } else if ((state == kSign || state == kInt) && c == '.') {
      num += c;
      state = kFrac;
    } else if (state == kFrac && c >= '0' && c <= '9') {
      num += c;
      any_digit = true;
    } else if ((state == kInt || state == kFrac) && any_digit &&
               (c == 'e' || c == 'E' || c == 'd' || c == 'D')) {
      num += 'E';
      state = kExpSign;
    } else if (state == kExpSign && (c == '+' || c == '-')) {
      num += c;
      state = kExpDigits;
    } else if ((state == kExpSign || state == kExpDigits) && c >= '0' && c <= '9') {
      num += c;
      state = kExpDigits;
    } else {
      break;
    }
  }
  if (!any_digit) return 0;
  // An exponent marker without digits counts for nothing.
  while (!num.empty() && (num.back() == 'E' || num.back() == '+' || num.back() == '-'))
    num.pop_back();
  double v = strtod_l(num.c_str(), nullptr, CLocale());
  if (std::isinf(v)) v = std::copysign(std::numeric_limits<double>::max(), v);
  return v;
}

std::optional<Single> ReadSingle(std::string_view text) {
  // Only decimal text: strtof alone would also skip blanks and take a plus
  // sign, hexadecimal, "inf" and "nan".
  if (text.empty() || text[0] == '+' || text.find_first_not_of("0123456789.eE+-") != text.npos)
    return std::nullopt;
  const std::string number(text);
  char* end = nullptr;
  errno = 0;
  const float v = strtof_l(number.c_str(), &end, CLocale());
  if (end != number.c_str() + number.size() || errno == ERANGE || !std::isfinite(v))
    return std::nullopt;
  return v;
}

}  // namespace kalo
