#pragma once
// The nozzle check: one staircase lane per colour row of the head, all printed in one pass, and
// a legend line naming the colours under them.

#include <array>
#include <cstdint>
#include <string_view>

namespace printer {
class CPrinterLink;
}
namespace ui {
class UiServices;
}

namespace patterns {

struct PrintHeaderInfo;

// The legend printed under the lanes.
inline constexpr std::string_view kColourLegend =
    "        C     VM     BK      LK     OR     GR   LLK/Vi   Y      VLM    LC\r\n";

struct PrintSetting {
  int Head_Setting = 1;
  std::array<int, 11> Horizontal{};  // 1/2880 inch
  int Dummy_Home = 0;                // 1/2880 inch, a multiple of 32
  int Dummy_Full = 0;
  std::array<std::uint8_t, 12> ColorCodes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                          0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  int Width_Pattern = 0;  // bytes of one pattern block
  int RasterWidth = 0;    // filled by CheckPrintSetting: bytes per raster line
  int StartPos = 0;       // filled by CheckPrintSetting: 1/2880 inch
};

// Validates the setting and fills RasterWidth and StartPos; on the first fault tells the user
// its "DebugError!" text and returns false.
bool CheckPrintSetting(PrintSetting& setting, ui::UiServices& ui);

// The dot text of a dot type: 1 large, 2 medium, 3 small, anything else none.
std::string_view DotText(int dotType);

// Appends the pattern; false (nothing appended) when the setting is refused.
bool PrintNozzleCheck(printer::CPrinterLink& link, PrintSetting& setting, int dotType);

// One raster line of width bytes with a small dot at both ends, then a feed.
bool Print_Dummy_Dot(printer::CPrinterLink& link, int width, std::uint32_t feed);

// The nozzle-check page as the service operation prints it, in its two sends: the page set-up
// and the lanes for dot type 1, 2 or 3 (with dot sizes 18, 18, 17) in the model's colours; then
// the information header, the dummy-dot line and the end of the page.
bool AppendNozzleCheckLanes(printer::CPrinterLink& link, int dotType);
bool AppendNozzleCheckFooter(printer::CPrinterLink& link, const PrintHeaderInfo& header,
                             std::string_view programVersion);

}  // namespace patterns
