#pragma once
// Upper and lower case of UTF-8 text by simple (one character to one character) Unicode case
// mapping, the same for every user whatever the locale says. Text that is not valid UTF-8 (a
// label or name from a Windows machine) is mapped in its ASCII letters only.

#include <string>
#include <string_view>

namespace tf {

std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);
// The first character in upper case, the rest as it is.
std::string UpperFirst(std::string_view text);
// Equal when they differ only in case.
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

}  // namespace tf
