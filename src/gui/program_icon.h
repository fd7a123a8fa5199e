#pragma once
// The program's icon (resource 101), shown by every window: the start screen, the main service
// dialog, every dialog and message box.

#include <string>

namespace gui {

// The icon's file in the program folder, drawn by the media script from its SVG source.
inline constexpr const char* kProgramIconFile = "grelt02.png";

// Makes the icon of the program folder every window's icon; false, leaving the windows with the
// desktop's default, when the file is missing or not a picture.
bool InstallProgramIcon(const std::string& programFolder);

}  // namespace gui
