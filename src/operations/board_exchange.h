#pragma once
// What the main-board exchange offers besides its two operations: the backup of the Service NVRAM
// Backup Utility, which opens its own session, reads the whole image and saves it to a file the
// user chooses. The utility's dialog and the command line run it.

#include <string>

#include "operations/service_environment.h"

namespace operations {

// The utility's texts: Text1 its title, Text2 its label, Text3 its progress text; Button1 backup,
// Button2 the information tool, Button3 close; InfoViewInstPath and InfoViewExeName the tool.
inline constexpr int kBackupUtilityFunction = 90010;

// The utility's progress bar colour (0x00BBGGRR), shared with the exchange backup's read phase.
inline constexpr std::uint32_t kReadPhaseColour = 0x7EEA47;

struct UtilityBackupResult {
  bool sessionOpened = false;  // the printer was opened and is a known model
  std::string serialNumber;    // as read from the printer, "" when it could not be read
  std::string savedPath;       // the file written, "" when none was
  bool cancelled = false;      // the technician chose no file to write
};

// Opens the printer on the configured port, checks the model, reads the serial number and the
// image (the progress dialog shows progressText), proposes "<serial>_YYYYMMDDhhmmss.bin" in the
// save dialog and writes the image there. Every failure has shown its message. The run goes into
// the service record.
UtilityBackupResult RunUtilityBackup(const ServiceEnvironment& environment,
                                     const std::string& progressText);

}  // namespace operations
