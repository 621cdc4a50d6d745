// The saver's number rules: rounding to Integer and Long, the record number
// text, the settings number text and the numeric value of a text. These rules
// decide what lands in saved canvas files and how settings are read, so they
// are exact, not approximate.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/basic_types.h"

namespace kalo {

// Round half to even, then saturate to the type's range (NaN gives 0).
Integer CInt(double v);
Long CLng(double v);
// Floor, as a double (callers store it in the variable's own type).
double Int(double v);

// Record number text: a leading blank when not negative, "-" otherwise.
//   StrInt(13) == " 13", StrInt(-1) == "-1"
//   StrSingle(0.75f) == " .75", StrSingle(4.0f / 3) == " 1.333333"
// Singles keep at most 7 significant digits, no trailing zeros, no zero before
// the point, a point whatever the locale, and an exponent form ("1E+08",
// "1.5E-07") when plain digits would need more than 7 figures.
std::string StrInt(int64_t v);
std::string StrSingle(Single v);

// Settings number text: the record text without its leading blank.
std::string SettingsNumberText(int64_t v);

// Numeric value of the leading numeric text: optional sign, digits, optional
// point and fraction, optional exponent (E or D); blanks and tabs skipped
// anywhere before the first other character; 0 when there are no digits.
double Val(std::string_view text);

// The Single nearest to the whole of a decimal number's text (digits, a point,
// an exponent in E form), read alike in every locale; nothing when the text
// is not all number or lies beyond a Single's range.
std::optional<Single> ReadSingle(std::string_view text);

}  // namespace kalo
