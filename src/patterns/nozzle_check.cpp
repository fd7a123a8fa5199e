#include "patterns/nozzle_check.h"

#include "encoder/compression.h"
#include "encoder/raster_commands.h"
#include "patterns/print_header.h"
#include "printer/printer_link.h"

namespace patterns {
namespace {

constexpr int kUnitsPerByte = 32;  // four dots of 1/360 inch in 1/2880 inch
constexpr int kPatternWidth = 848;
constexpr int kLanes = 12;
constexpr int kLines = 360;
constexpr std::string_view kZeros = "00000000";

bool Fault(ui::UiServices& ui, const char* what) {
  ui.MessageBox(std::string("DebugError!\nCheckPrintSetting\n") + what, ui::kApplicationTitle,
                ui::kOk);
  return false;
}

// Appends one of the dummy columns of a line: a small dot in its outermost dot on line 0 only.
bool DummyColumn(printer::CPrinterLink& link, int width, int line, bool left) {
  if (line != 0 || width == 0)
    return encoder::AppendBitPattern(link, kZeros, width / kUnitsPerByte);
  if (left) {
    return encoder::AppendBitPattern(link, "01000000", 1) &&
           encoder::AppendBitPattern(link, kZeros, (width - kUnitsPerByte) / kUnitsPerByte);
  }
  return encoder::AppendBitPattern(link, kZeros, (width - kUnitsPerByte) / kUnitsPerByte) &&
         encoder::AppendBitPattern(link, "00000001", 1);
}

}  // namespace

bool CheckPrintSetting(PrintSetting& s, ui::UiServices& ui) {
  if (s.Head_Setting != 1) return Fault(ui, "Head Setting is abnormal");
  if (s.Dummy_Home % kUnitsPerByte != 0 || s.Dummy_Home < 0)
    return Fault(ui, "Dummy_Home is abnormal");
  if (s.Dummy_Full % kUnitsPerByte != 0 || s.Dummy_Full < 0)
    return Fault(ui, "Dummy_Full is abnormal");
  if (s.Width_Pattern <= 0) return Fault(ui, "Width_Pattern is abnormal");
  const int blockUnits = kUnitsPerByte * s.Width_Pattern;
  for (std::size_t i = 0; i < s.Horizontal.size(); ++i) {
    if (s.Horizontal[i] == 0) continue;
    if ((s.Horizontal[i] - s.Horizontal[0]) % kUnitsPerByte != 0)
      return Fault(ui, "nHorizontal is abnormal1");
    if (i > 0 && s.Horizontal[i] - s.Horizontal[i - 1] < blockUnits)
      return Fault(ui, "nHorizontal is abnormal2");
    if (s.Horizontal[i] < 0) return Fault(ui, "nHorizontal is abnormal3");
  }
  if (s.Horizontal[0] < s.Dummy_Home) return Fault(ui, "DummyHome/Horizontal[0] is abnormal");
  s.StartPos = s.Horizontal[0] - s.Dummy_Home;
  std::size_t j = 1;
  while (j < s.Horizontal.size() && s.Horizontal[j] - s.Horizontal[j - 1] >= blockUnits) ++j;
  const std::size_t last = j - 1;
  s.RasterWidth =
      (s.Horizontal[last] - s.Horizontal[0] + s.Dummy_Full + s.Dummy_Home) / kUnitsPerByte +
      s.Width_Pattern;
  return true;
}

std::string_view DotText(int dotType) {
  switch (dotType) {
    case 1: return "11111111";
    case 2: return "10101010";
    case 3: return "01010101";
    default: return kZeros;
  }
}

bool PrintNozzleCheck(printer::CPrinterLink& link, PrintSetting& s, int dotType) {
  const std::string_view dots = DotText(dotType);
  s.Width_Pattern = kPatternWidth;
  if (!CheckPrintSetting(s, link.Environment().ui)) return false;
  for (int k = 0; k < kLanes; ++k) {
    const std::uint8_t colour = s.ColorCodes[static_cast<std::size_t>(k)];
    if (colour == 0xFF) continue;  // the lane keeps its place but is not printed
    const int lead = 40 + 64 * k;
    const int trail = 744 - 64 * k;
    if (!encoder::SetAbsHoriPos(link, static_cast<std::uint32_t>(s.StartPos)) ||
        !encoder::SetRasterData(link, colour, 2, s.RasterWidth, kLines)) {
      return false;
    }
    for (int line = 0; line < kLines; ++line) {
      const int g = line % 8;
      bool ok = DummyColumn(link, s.Dummy_Home, line, true) &&
                encoder::AppendBitPattern(link, kZeros, lead);
      if (g != 0) {
        ok = ok && encoder::AppendBitPattern(link, "11000000", 1) &&
             encoder::AppendBitPattern(link, kZeros, 7) &&
             encoder::AppendBitPattern(link, kZeros, 8 * g - 8);
      }
      ok = ok && encoder::AppendBitPattern(link, dots, 8);
      if (g != 7) {
        ok = ok && encoder::AppendBitPattern(link, kZeros, 48 - 8 * g) &&
             encoder::AppendBitPattern(link, kZeros, 7) &&
             encoder::AppendBitPattern(link, "00000011", 1);
      }
      ok = ok && encoder::AppendBitPattern(link, kZeros, trail) &&
           DummyColumn(link, s.Dummy_Full, line, false);
      if (!ok) return false;
    }
  }
  return encoder::SetRelVertPos4Byte(link, 2880) &&
         encoder::PrintTextBand(link, kColourLegend, 360, 0) &&
         encoder::SetRelVertPos4Byte(link, 1440);
}

bool Print_Dummy_Dot(printer::CPrinterLink& link, int width, std::uint32_t feed) {
  if (width < 2) {
    link.Environment().ui.MessageBox("DebugError!\nPrint_Dummy_Dot", ui::kApplicationTitle,
                                     ui::kOk);
    return false;
  }
  return encoder::SetRasterData(link, 0, 2, width, 1) &&
         encoder::AppendBitPattern(link, "01000000", 1) &&
         encoder::AppendBitPattern(link, kZeros, width - 2) &&
         encoder::AppendBitPattern(link, "00000001", 1) && encoder::SetRelVertPos4Byte(link, feed);
}

bool AppendNozzleCheckLanes(printer::CPrinterLink& link, int dotType) {
  PrintSetting setting;
  setting.ColorCodes = link.TestSettings().NozzleColorCodes;
  return encoder::EnterGraphicsMode(link) && encoder::SetDirection(link, 0) &&
         encoder::SetDotSize(link, dotType == 3 ? 17 : 18) &&
         encoder::SetUnit(link, 1, 1, 1, 2880) && encoder::SetResolutionInfo(link, 360, 360) &&
         PrintNozzleCheck(link, setting, dotType);
}

bool AppendNozzleCheckFooter(printer::CPrinterLink& link, const PrintHeaderInfo& header,
                             std::string_view programVersion) {
  return PrintInfoHeader(link, header, programVersion, 0, 0) && Print_Dummy_Dot(link, 2, 720) &&
         encoder::EndPage(link);
}

}  // namespace patterns
