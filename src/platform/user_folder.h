#pragma once
// An installed program: its shipped program folder is read-only, so the program works on a copy
// of it per user, which later versions of the program bring up to date without overwriting what
// the user changed.

#include <string>
#include <vector>

namespace platform {

// The file that marks an installed program's shipped folder.
inline constexpr const char* kInstalledMarker = "grelt02.installed";
// Kept in the user's copy: the digest of every file as it was last shipped.
inline constexpr const char* kShippedDigests = ".shipped";
// Where a newer shipped version of a file the user changed is put, beside it.
inline constexpr const char* kNewerShippedSuffix = ".shipped-new";

// $XDG_DATA_HOME/grelt02, else $HOME/.local/share/grelt02; "" when neither variable is set.
std::string UserProgramFolder();

// What a sync did, each list in path order.
struct FolderSync {
  std::vector<std::string> added;    // shipped files the copy did not have
  std::vector<std::string> updated;  // files the user had not changed, now the new shipped ones
  std::vector<std::string> kept;     // files the user changed: theirs stays, the new one beside it
};

// Brings the copy up to date with the shipped folder (paths relative to the folders in the
// report). Executables are linked to the shipped ones instead of copied, so that they are always
// the installed ones. False, with the reason, when a file could not be copied or the digests not
// written; the files done before it stay done.
bool SyncUserFolder(const std::string& shipped, const std::string& copy, FolderSync* report,
                    std::string* error);

// For an installed program started without a program folder of its own choosing: brings the
// user's copy up to date and makes it the program folder. True when there was nothing to do.
bool UseUserProgramFolder(std::string* error);

}  // namespace platform
