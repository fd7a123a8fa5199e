#pragma once
// Files that go to the printer unchanged: a firmware update (.UPG) and a prepared print file
// (.PRN). The firmware and print dialogs and the command line run them; each shows its own
// messages.

#include <string>

#include "operations/service_environment.h"

namespace operations {

// The start screen's functions that run these, which the service record names them by.
inline constexpr int kFirmwareFunction = 90050;
inline constexpr int kPrintFileFunction = 90060;

// How long the printer may take to report an installed (or refused) firmware, in status polls a
// second apart.
inline constexpr int kFirmwareConfirmPolls = 90;
// How long a printer that restarts after taking new firmware may stay away, in tries to open it
// a second apart.
inline constexpr int kFirmwareRestartPolls = 60;

// Whether a file can go to the printer: a readable regular file of at least one byte. Anything
// else is refused before the printer is opened, so that nothing is reported sent that was not.
bool SendableFile(const std::string& path);

// Sends the firmware file on the configured port (through the port writer when the printer
// waits for firmware and opens only that way), then waits until the printer reports it installed
// or refused; a printer that restarts to install it is waited for and must come back on another
// version than it ran before. 99000504 without a path, 90000007 for a file that cannot be sent
// (SendableFile), 90000001 without a printer, 99000503 when it was not sent or not taken, 19005001
// when it was installed.
bool UpdateFirmware(const ServiceEnvironment& environment, printer::CPrinterLink& link,
                    const std::string& path);

// Opens the configured port, resets the printer and sends the print file; "File not found." for a
// file that cannot be sent (SendableFile), 90000001 without a printer, "Communication Error."
// when the reset or the file did not go out.
bool PrintFile(const ServiceEnvironment& environment, printer::CPrinterLink& link,
               const std::string& path);

inline constexpr const char* kCommunicationError = "Communication Error.";
inline constexpr const char* kFileNotFound = "File not found.";

}  // namespace operations
