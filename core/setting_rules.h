// How a setting's text is read: as true or false, as a two-letter code, or as
// a number. The loop, the start-up rules and the dialog all read the same way.
#pragma once

#include <string>
#include <string_view>

namespace kalo {

bool ReadsTrue(std::string_view text);    // first 4 chars upper-cased == "TRUE"
std::string Code(std::string_view text);  // first 2 chars upper-cased
double Number(std::string_view text);     // Val of the text

}  // namespace kalo
