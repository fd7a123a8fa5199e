#pragma once
// Small text helpers shared by the INI reader and the path functions. ASCII only: names in the
// program's files are compared without regard to ASCII case, as the platform it came from does.

#include <string>
#include <string_view>

namespace platform {

// Spaces, tabs and line-end characters.
bool IsBlank(char c);
std::string_view TrimBlanks(std::string_view text);
std::string ToLowerAscii(std::string_view text);
bool EqualsCaseBlind(std::string_view a, std::string_view b);

}  // namespace platform
