#pragma once
// Paths and folders of the program. Paths are built with '/' and never end in a separator.

#include <string>
#include <string_view>

namespace platform {

// Folder of the running executable, or the folder set with SetProgramFolder (the
// --program-folder option of the executables).
std::string GetProgramFolder();
// Overrides the program folder for this process; the path is made absolute and loses any
// trailing separator. An empty path restores the executable's folder.
void SetProgramFolder(std::string_view folder);

// Appends a name to a folder with one separator between them.
std::string JoinPath(std::string_view folder, std::string_view name);

// Creates the folder (one level, no parents) when nothing of that name exists. Failures are not
// reported here: later writes into the folder fail where they are made. Always returns true.
bool EnsureDirectory(const std::string& path);

// Returns the path itself when it exists, else the path whose components match it when compared
// without regard to case (INI files written on Windows name their files freely). When nothing
// matches, the path is returned unchanged.
std::string ResolveCaseBlind(const std::string& path);

// The folder that stands in for drive c:, from the environment variable SystemDrive, else
// <program folder>/drive_c.
std::string DriveCFolder(std::string_view programFolder);
// <program folder>/Service: the menu files, pictures and manuals.
std::string ServiceFolder(std::string_view programFolder);
// <program folder>/Prnfile: the print files.
std::string PrintFileFolder(std::string_view programFolder);
// <program folder>/Firmware: the firmware update files.
std::string FirmwareFolder(std::string_view programFolder);
// c:/<profile>/CSV.
std::string CsvFolder(std::string_view programFolder, std::string_view profile);

// This machine's host name; "" when it has none.
std::string HostName();

}  // namespace platform
