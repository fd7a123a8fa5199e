#pragma once
// Small text helpers shared by the INI reader and the path functions. Names in the program's
// files are compared without regard to ASCII case only, as the platform it came from does.

#include <string>
#include <string_view>

namespace platform {

// Spaces, tabs and line-end characters.
bool IsBlank(char c);
std::string_view TrimBlanks(std::string_view text);
std::string ToLowerAscii(std::string_view text);
bool EqualsCaseBlind(std::string_view a, std::string_view b);

// The text of a file as UTF-8. A byte-order mark (UTF-8, UTF-16 LE or BE) decides the encoding
// and is dropped; without one, text that is valid UTF-8 is kept as it is and any other text is
// read as Windows-1252, the code page files written on Windows are usually in.
std::string DecodeFileText(std::string_view bytes);
bool IsValidUtf8(std::string_view text);

}  // namespace platform
