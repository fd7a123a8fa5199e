#pragma once
// The information header that every generated inspection print carries, and the printer's
// machine number as a Code 39 barcode.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace printer {
class CPrinterLink;
}

namespace patterns {

// What the pattern prints know of the printer being served.
struct PrintHeaderInfo {
  std::string MachineNo;
  std::string SerialNo;
  std::string HeadId;
  std::string FirmwareVersion;
  std::string BlackInkKind;
  std::array<std::string, 3> Texts;
  int InkSelectMode = 0;
  int PatternVariant = 0;
};

// A Code 39 character and its nine elements: 0 narrow bar, 1 narrow space, 2 wide bar, 3 wide
// space.
struct Code39Entry {
  char character;
  std::string_view elements;
};
std::span<const Code39Entry> Code39Table();  // 44 entries

// The four header lines for a moment of local time (seconds since 1970).
std::string InfoHeaderText(const PrintHeaderInfo& info, std::string_view programVersion,
                           std::int64_t unixSeconds);
// Prints the header through the text band at the link's clock's local time.
bool PrintInfoHeader(printer::CPrinterLink& link, const PrintHeaderInfo& info,
                     std::string_view programVersion, int verticalAllowance,
                     std::uint32_t horizontalPosition);

// The bit text of "*" + text + "*": nine elements a character, a narrow space between
// characters; empty when a character has no Code 39 form.
std::string Code39Bits(std::string_view text);
// Why a machine number cannot be printed as the sheets' barcode (a character without a Code 39
// form, or a barcode wider than its field on the sheet), or "" when it can.
std::string MachineNoBarcodeProblem(std::string_view text);
// Appends the barcode, 90 raster lines in colour 0x82; false, after telling the user, when the
// machine number cannot be printed (nothing is appended then).
bool PrintMachineNoBarcode(printer::CPrinterLink& link, std::string_view text);

}  // namespace patterns
