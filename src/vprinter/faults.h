#pragma once
// The faults a trainer or a test can give a virtual printer, as one table: each row names the
// fault as the command line writes it, the key it is kept under in the state file, and where it
// lives in Faults. Parsing, saving, loading and describing all read the same rows, so a new fault
// is one member of Faults and one row.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "vprinter/printer_state.h"

namespace vprinter {

// Adds one fault written as on the command line ("paper-jam", "stuck-status=2",
// "read-fail=66-75"); false when the name is unknown or the value does not fit it.
bool ParseFault(std::string_view text, Faults& faults);
// The faults given, written as ParseFault reads them.
std::vector<std::string> DescribeFaults(const Faults& faults);
// Every fault's form, for help texts: "paper-out, ..., stuck-status=N, read-fail=FROM-TO".
std::string FaultForms();

// The state file's lines of the faults ("paperJam=1\n"), and the faults read back from its keys;
// a key that is absent leaves the fault as it was.
std::string SaveFaults(const Faults& faults);
void LoadFaults(const std::map<std::string, std::string>& values, Faults& faults);

}  // namespace vprinter
