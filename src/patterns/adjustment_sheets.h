#pragma once
// The fixed inspection and adjustment sheets. Each appends a complete job to the link's job
// buffer and, except the feed-check blocks, sends it. Positions and feeds are in 1/2880 inch.

#include <cstdint>
#include <string_view>

namespace printer {
class CPrinterLink;
}

namespace patterns {

struct PrintHeaderInfo;

// Production NVRAM bytes counting the printed inspection sheets.
inline constexpr int kInspectionSheet1Counter = 129;
inline constexpr int kInspectionSheet2Counter = 130;

// The counter after one more sheet: it wraps from 255 to 1, never showing 0 again.
std::uint8_t NextSheetCount(std::uint8_t count);

// Colour staircase, alignment marks, information header and machine-number barcode, then the
// counter is advanced. True when the sheet was sent and the counter written.
bool PrintInspectionSheet1(printer::CPrinterLink& link, const PrintHeaderInfo& header,
                           std::string_view programVersion);
bool PrintInspectionSheet2(printer::CPrinterLink& link, const PrintHeaderInfo& header,
                           std::string_view programVersion);

// The line-position sheet; its layout follows the model's ModelCode2. With InkSelectMode 5 the
// black-ink kind is read from the printer first ("Mk" or "Pk"), so the header may change.
bool PrintLineSheet(printer::CPrinterLink& link, PrintHeaderInfo& header,
                    std::string_view programVersion);

// The mechanical adjustment sheet: drives carriage and feed between its raster blocks.
bool PrintMechanicalSheet(printer::CPrinterLink& link, const PrintHeaderInfo& header,
                          std::string_view programVersion);

// Two feed-check blocks 20 inches apart; appended only, the caller ends the page and sends.
bool PrintFeedCheckBlocks(printer::CPrinterLink& link);

}  // namespace patterns
