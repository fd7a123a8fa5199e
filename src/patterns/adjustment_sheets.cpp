#include "patterns/adjustment_sheets.h"

#include <array>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "encoder/compression.h"
#include "encoder/factory_commands.h"
#include "encoder/raster_commands.h"
#include "encoder/remote_commands.h"
#include "patterns/nozzle_check.h"
#include "patterns/print_header.h"
#include "printer/printer_link.h"

namespace patterns {
namespace {

using printer::CPrinterLink;

constexpr std::string_view kZeros = "00000000";
constexpr std::string_view kSolid = "11111111";
constexpr std::string_view kLeftDot = "11000000";
constexpr std::string_view kRightDot = "00000011";
constexpr int kLines = 360;

// A raster line, or part of one, as bit texts and their repeat counts; each piece is
// compressed on its own, as the printer expects the pieces.
using Piece = std::pair<std::string_view, int>;

bool Line(CPrinterLink& link, std::initializer_list<Piece> pieces) {
  for (const auto& [bits, repeat] : pieces) {
    if (!encoder::AppendBitPattern(link, bits, repeat)) return false;
  }
  return true;
}

bool Lines(CPrinterLink& link, int count, std::initializer_list<Piece> pieces) {
  for (int i = 0; i < count; ++i) {
    if (!Line(link, pieces)) return false;
  }
  return true;
}

bool GraphicsSetUp(CPrinterLink& link) {
  return encoder::EnterGraphicsMode(link) && encoder::SetUnit(link, 1, 1, 1, 2880) &&
         encoder::SetResolutionInfo(link, 360, 360);
}

bool ResetTwice(CPrinterLink& link) {
  return encoder::ResetPrinter(link) && encoder::ResetPrinter(link);
}

// Ten lanes in colours 0x80 to 0x89, each a staircase of 9-byte steps of large dots with a small
// dot marking both ends of every step. Sent at once; the sheets go on whatever the send gave.
bool StaircaseBlock(CPrinterLink& link, std::uint32_t x) {
  if (!encoder::EnterGraphicsMode(link) || !encoder::SetDirection(link, 1) ||
      !encoder::SetUnit(link, 1, 1, 1, 2880) || !encoder::SetResolutionInfo(link, 360, 360) ||
      !encoder::SetDotSize(link, 17)) {
    return false;
  }
  for (int k = 0; k < 10; ++k) {
    if (!encoder::SetAbsHoriPos(link, x) || !encoder::SetRasterData(link, 0x80 + k, 2, 720, kLines))
      return false;
    for (int i = 0; i < kLines; ++i) {
      const int g = i % 8;
      bool ok = Line(link, {{kZeros, 72 * k}});
      if (g != 0) ok = ok && Line(link, {{kLeftDot, 1}, {kZeros, 8}, {kZeros, 9 * g - 9}});
      ok = ok && Line(link, {{kSolid, 9}});
      if (g != 7) {
        ok = ok && (g >= 6 || Line(link, {{kZeros, 54 - 9 * g}})) &&
             Line(link, {{kZeros, 8}, {kRightDot, 1}});
      }
      if (!ok || !Line(link, {{kZeros, 648 - 72 * k}})) return false;
    }
  }
  if (!encoder::SetRelVertPos4Byte(link, 0)) return false;
  link.FlushJob();
  return true;
}

// Two vertical double lines crossed by two solid bars at half height.
bool MarkBlock(CPrinterLink& link) {
  if (!encoder::SetAbsHoriPos(link, 5669) || !encoder::SetRasterData(link, 0x82, 2, 735, kLines))
    return false;
  for (int i = 0; i < kLines; ++i) {
    const bool ok = i == 181 || i == 182
                        ? Line(link, {{kSolid, 90}, {kZeros, 387}, {kSolid, 90}, {kZeros, 168}})
                        : Line(link, {{kZeros, 44},
                                      {kRightDot, 1},
                                      {kLeftDot, 1},
                                      {kZeros, 44},
                                      {kZeros, 387},
                                      {kZeros, 44},
                                      {kRightDot, 1},
                                      {kLeftDot, 1},
                                      {kZeros, 44},
                                      {kZeros, 168}});
    if (!ok) return false;
  }
  return encoder::SetRelVertPos4Byte(link, 0);
}

// Alignment block A: interleaved burst bands, then colour marks from the table.
constexpr std::array<std::uint8_t, 48> kMarkColours = {
    0x81, 0x83, 0x83, 0x83, 0x83, 0x83, 0x83, 0x81, 0x83, 0x83, 0x81, 0x83, 0x83, 0x81, 0x83, 0x83,
    0x83, 0x83, 0x83, 0x81, 0x81, 0x83, 0x81, 0x83, 0x83, 0x88, 0x81, 0x80, 0x89, 0x82, 0x87, 0x82,
    0x81, 0x80, 0x83, 0x88, 0x87, 0x82, 0x89, 0x82, 0x89, 0x82, 0x87, 0x82, 0x81, 0x80, 0x83, 0x88};

bool BurstLine(CPrinterLink& link, bool gapsFirst) {
  auto bursts = [&] {
    for (int n = 0; n < 3; ++n) {
      const bool ok = gapsFirst ? Line(link, {{kZeros, 12}, {"10101010", 12}})
                                : Line(link, {{"10101010", 12}, {kZeros, 12}});
      if (!ok) return false;
    }
    return true;
  };
  return Line(link, {{kZeros, 59}}) && bursts() && Line(link, {{kZeros, 212}}) && bursts() &&
         Line(link, {{kZeros, 269}}) && bursts() && Line(link, {{kZeros, 269}}) && bursts() &&
         Line(link, {{kZeros, 343}});
}

bool MarkLine(CPrinterLink& link, const std::array<std::string_view, 4>& s) {
  return Line(link, {{kZeros, 191},
                     {s[3], 36},
                     {kZeros, 305},
                     {s[2], 36},
                     {kZeros, 305},
                     {s[1], 36},
                     {kZeros, 305},
                     {s[0], 36},
                     {kZeros, 190}});
}

bool AlignmentBlockA(CPrinterLink& link) {
  if (!encoder::SetAbsHoriPos(link, 0)) return false;
  for (const int colour : {0x80, 0x88}) {
    if (!encoder::SetRasterData(link, colour, 2, 1440, kLines) || !Lines(link, 4, {{kZeros, 1440}}))
      return false;
    for (int n = 0; n < 17; ++n) {
      if (!BurstLine(link, colour == 0x88) || !Lines(link, 17, {{kZeros, 1440}})) return false;
    }
    if (!Lines(link, 50, {{kZeros, 1440}}) || !encoder::SetRelVertPos4Byte(link, 0) ||
        !encoder::SetAbsHoriPos(link, 0)) {
      return false;
    }
  }
  for (int r = 0; r < 24; r += 8) {
    for (int f = 0; f < 8; f += 2) {
      for (int g = 0; g < 10; ++g) {
        const int colour = 0x80 + g;
        std::array<std::array<std::string_view, 4>, 4> sets;  // A, B, Cs, D
        const std::array<int, 4> from = {r, r + 4, r + 24, r + 28};
        for (int set = 0; set < 4; ++set) {
          for (int k = 0; k < 4; ++k) {
            const int at = from[static_cast<std::size_t>(set)] + k;
            sets[static_cast<std::size_t>(set)][static_cast<std::size_t>(k)] =
                kMarkColours[static_cast<std::size_t>(at)] == colour ? kSolid : kZeros;
          }
        }
        if (!encoder::SetAbsHoriPos(link, static_cast<std::uint32_t>(f)) ||
            !encoder::SetRasterData(link, colour, 2, 1440, kLines)) {
          return false;
        }
        for (int i = 0; i < kLines; ++i) {
          int set = -1;
          if (i % 6 == 0 && i < 170) set = 0;
          if (i % 6 == 0 && i >= 186 && i <= 357) set = 1;
          if (i % 6 == 3 && i < 173) set = 2;
          if (i % 6 == 3 && i >= 189 && i <= 358) set = 3;
          const bool ok = set < 0 ? Line(link, {{kZeros, 1440}})
                                  : MarkLine(link, sets[static_cast<std::size_t>(set)]);
          if (!ok) return false;
        }
      }
      if (!encoder::SetRelVertPos4Byte(link, 0) || !link.FlushJob()) return false;
    }
    if (!encoder::SetRelVertPos4Byte(link, 2976) || !link.FlushJob()) return false;
  }
  return encoder::SetRelVertPos4Byte(link, 1101) && link.FlushJob();
}

// Alignment block B: fine marks at irregular spacings, then rulers across the page.
constexpr std::array<int, 5> kBColours = {0x80, 0x89, 0x81, 0x88, 0x83};
constexpr std::array<int, 35> kMarkSpacing = {10, 63, 65, 66, 65, 68, 67, 64, 65, 60, 58, 55,
                                              60, 52, 61, 47, 46, 61, 40, 61, 48, 46, 48, 52,
                                              60, 24, 61, 55, 56, 56, 52, 60, 72, 70, 66};

std::string Repeat(std::string_view bits, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += bits;
  return text;
}

bool RulerBand(CPrinterLink& link, int colour, std::uint32_t offset, const std::string& ruler) {
  constexpr std::size_t kPiece = 128;
  if (!encoder::SetAbsHoriPos(link, offset) ||
      !encoder::SetRasterData(link, colour, 2, 2160, kLines))
    return false;
  std::vector<std::uint8_t> rulerLine;  // built once, as the job holds it; then copied
  for (int i = 0; i < kLines; ++i) {
    if (i % 2 != 0) {
      if (!Line(link, {{kZeros, 2160}})) return false;
      continue;
    }
    if (!rulerLine.empty()) {
      if (!link.AppendJob(rulerLine.data(), rulerLine.size())) return false;
      continue;
    }
    const std::size_t start = link.JobLength();
    for (std::size_t at = 0; at < ruler.size(); at += kPiece) {
      const std::string_view piece = std::string_view(ruler).substr(at, kPiece);
      if (!encoder::AppendBitPattern(link, piece, 1)) return false;
    }
    rulerLine.assign(link.JobData() + start, link.JobData() + link.JobLength());
  }
  return encoder::SetRelVertPos4Byte(link, 0) && link.FlushJob();
}

bool AlignmentBlockB(CPrinterLink& link) {
  if (!encoder::EnterGraphicsMode(link) || !encoder::SetDirection(link, 0) ||
      !encoder::SetDotSize(link, 17) || !encoder::SetUnit(link, 1, 1, 1, 2880) ||
      !encoder::SetResolutionInfo(link, 360, 360)) {
    return false;
  }
  for (int h = 0; h < 8; h += 2) {
    for (int pass = 0; pass < 2; ++pass) {
      for (int c = 0; c < 5; ++c) {
        if (!encoder::SetAbsHoriPos(link, static_cast<std::uint32_t>(h)) ||
            !encoder::SetRasterData(link, kBColours[static_cast<std::size_t>(c)], 2, 2160, kLines))
          return false;
        for (int k = 0; k < kLines; ++k) {
          if (k % 10 != 2 * c) {
            if (!Line(link, {{kZeros, 2065}, {kZeros, 95}})) return false;
            continue;
          }
          for (const int spacing : kMarkSpacing) {
            const bool ok = pass == 0
                                ? Line(link, {{kZeros, spacing}, {"10000000", 1}, {kZeros, 2}})
                                : Line(link, {{kZeros, spacing}, {kZeros, 2}, {"10000000", 1}});
            if (!ok) return false;
          }
          if (!Line(link, {{kZeros, 95}})) return false;
        }
      }
      if (!encoder::SetRelVertPos4Byte(link, 0)) return false;
    }
  }
  if (!encoder::SetRelVertPos4Byte(link, 4036) || !link.FlushJob()) return false;

  const std::string tail = Repeat(kZeros, 8) + Repeat(kZeros, 1872);
  const std::string ruler1 =
      Repeat(kZeros, 144) + Repeat("00", 182) + Repeat("10", 178) + Repeat("00", 184) + tail;
  const std::string ruler2 = Repeat(kZeros, 144) + Repeat("10", 179) + Repeat("00", 184) +
                             Repeat("10", 179) + Repeat("00", 2) + tail;
  std::size_t colour = 0;
  for (std::uint32_t offset = 0; offset < 23040; offset += 4608, ++colour) {
    if (!RulerBand(link, kBColours[colour], offset, ruler1) ||
        !RulerBand(link, kBColours[colour], offset, ruler2)) {
      return false;
    }
  }
  return link.FlushJob();
}

struct SheetLayout {
  bool first;  // sheet 1: page format and alignment block A; sheet 2: block B
  int direction;
  std::uint32_t firstFeed;
  std::uint32_t feedBeforeMarks;
  int counterAddress;
};

bool PrintInspectionSheet(CPrinterLink& link, const PrintHeaderInfo& header,
                          std::string_view programVersion, const SheetLayout& layout) {
  // A machine number that cannot be printed stops the sheet before any of it is built.
  if (const std::string problem = MachineNoBarcodeProblem(header.MachineNo); !problem.empty()) {
    link.Environment().ui.MessageBox(problem, ui::kApplicationTitle, ui::kOk);
    return false;
  }
  bool ok = ResetTwice(link) &&
            encoder::RemoteJobPrologue(link, encoder::RemotePair{137, 99}, {{1, 3}},
                                       encoder::RemoteExtras::AcAndPh) &&
            encoder::EnterGraphicsMode(link) && encoder::SetDirection(link, layout.direction) &&
            encoder::SetUnit(link, 1, 1, 1, 2880);
  if (layout.first) {
    ok = ok && encoder::SetPageLength(link, 24718) &&
         encoder::SetPageMargins(link, static_cast<std::uint32_t>(-2880), 27439) &&
         encoder::SetPaperSize(link, 48960, 24718);
  }
  ok = ok && encoder::SetAbsHoriPos(link, 0) &&
       encoder::SetRelVertPos4Byte(link, layout.firstFeed) && StaircaseBlock(link, 1134) &&
       PrintInfoHeader(link, header, programVersion, 0, 24718) &&
       encoder::SetRelVertPos4Byte(link, layout.feedBeforeMarks) && MarkBlock(link) &&
       encoder::SetRelVertPos4Byte(link, 0) && PrintMachineNoBarcode(link, header.MachineNo) &&
       encoder::SetRelVertPos4Byte(link, 5760);
  if (layout.first) {
    ok = ok && AlignmentBlockA(link);
  } else {
    ok = ok && AlignmentBlockB(link) && Print_Dummy_Dot(link, 2, 0) &&
         encoder::SetRelVertPos4Byte(link, 1077) && encoder::ResetPrinter(link);
  }
  if (!ok || !encoder::EndPage(link) || !encoder::RemoteJobEpilogue(link) || !link.FlushJob())
    return false;

  // Only a sheet that was sent is counted.
  std::uint8_t count = 0;
  if (!link.ReadPrdNvram(layout.counterAddress, count)) return false;
  return link.WritePrdNvram(layout.counterAddress, NextSheetCount(count)) && link.FlushJob();
}

// The model's line-position pattern: a frame of small dots with a solid bottom line.
bool LinePositionPattern(CPrinterLink& link, const std::string& modelCode2) {
  const bool wide = modelCode2 == "LW" || modelCode2 == "NW";
  if (!wide && modelCode2 != "LN" && modelCode2 != "NN") return true;
  const int width = wide ? 3936 : 2138;
  if (!encoder::SetAbsHoriPos(link, 90) ||
      !encoder::SetRasterData(link, wide ? 0x82 : 0, 2, width, kLines) ||
      !Lines(link, 147, {{kZeros, width}})) {
    return false;
  }
  const bool frame = wide ? Lines(link, 128,
                                  {{kLeftDot, 1},
                                   {kZeros, 1967},
                                   {kLeftDot, 1},
                                   {kZeros, 1925},
                                   {kLeftDot, 1},
                                   {kZeros, 41}})
                          : Lines(link, 128,
                                  {{kLeftDot, 1},
                                   {kZeros, 1068},
                                   {kLeftDot, 1},
                                   {kZeros, 898},
                                   {kLeftDot, 1},
                                   {kZeros, 169}});
  if (!frame) return false;
  // Lines 275 to 358: a small dot every 354 bytes, one of them with an extra dot off the grid.
  const int steps = wide ? 11 : 5;
  const int marked = wide ? 5 : 3;
  const int offGrid = wide ? 197 : 6;
  for (int line = 275; line <= 358; ++line) {
    for (int n = 0; n < steps; ++n) {
      const bool ok =
          n == marked
              ? Line(link,
                     {{kLeftDot, 1}, {kZeros, offGrid}, {kLeftDot, 1}, {kZeros, 352 - offGrid}})
              : Line(link, {{kLeftDot, 1}, {kZeros, 353}});
      if (!ok) return false;
    }
    const bool ok =
        wide ? Line(link, {{kLeftDot, 1}, {kZeros, 40}, {"00110000", 1}})
             : Line(link,
                    {{kLeftDot, 1}, {kZeros, 197}, {kLeftDot, 1}, {kZeros, 168}, {kRightDot, 1}});
    if (!ok) return false;
  }
  return Line(link, {{kSolid, width}});
}

// The feed-check block: a comb of small dots under a solid line.
bool FeedCheckBlock(CPrinterLink& link) {
  if (!encoder::SetAbsHoriPos(link, 227) || !encoder::SetRasterData(link, 0, 2, 2124, kLines) ||
      !Lines(link, 179, {{kZeros, 2124}})) {
    return false;
  }
  for (int line = 179; line < kLines; ++line) {
    if (line == 269) {
      if (!Line(link, {{kSolid, 2124}})) return false;
      continue;
    }
    for (int n = 0; n < 5; ++n) {
      if (!Line(link, {{kLeftDot, 1}, {kZeros, 353}})) return false;
    }
    if (!Line(link, {{kLeftDot, 1}, {kZeros, 352}, {kRightDot, 1}})) return false;
  }
  return true;
}

}  // namespace

std::uint8_t NextSheetCount(std::uint8_t count) {
  return count == 255 ? 1 : static_cast<std::uint8_t>(count + 1);
}

bool PrintInspectionSheet1(CPrinterLink& link, const PrintHeaderInfo& header,
                           std::string_view programVersion) {
  return PrintInspectionSheet(link, header, programVersion,
                              {true, 1, 3402, 4649, kInspectionSheet1Counter});
}

bool PrintInspectionSheet2(CPrinterLink& link, const PrintHeaderInfo& header,
                           std::string_view programVersion) {
  return PrintInspectionSheet(link, header, programVersion,
                              {false, 0, 9071, 5590, kInspectionSheet2Counter});
}

bool PrintLineSheet(CPrinterLink& link, PrintHeaderInfo& header, std::string_view programVersion) {
  if (!ResetTwice(link)) return false;
  if (header.InkSelectMode == 5) {
    std::uint8_t kind = 0;
    if (!link.ReadPrdNvram(11639, kind)) return false;
    if (kind == 1) header.BlackInkKind = "Mk";
    if (kind == 0) header.BlackInkKind = "Pk";
  }
  if (!encoder::Factory7D_48B724(link, 1) ||
      !encoder::RemoteJobPrologue(link, encoder::RemotePair{137, 99}, {{1, 3}},
                                  encoder::RemoteExtras::AcOnly) ||
      !encoder::EnterGraphicsMode(link) || !encoder::SetUnit(link, 1, 1, 1, 2880) ||
      !encoder::SetDirection(link, 1)) {
    return false;
  }
  if (header.PatternVariant == 4909) {
    if (!encoder::SetAbsHoriPos(link, 90) || !encoder::SetRasterData(link, 0x82, 2, 2138, 180) ||
        !Line(link, {{kSolid, 2138}}) || !Lines(link, 179, {{kZeros, 2138}}) ||
        !encoder::SetRelVertPos4Byte(link, 90)) {
      return false;
    }
  }
  if (!PrintInfoHeader(link, header, programVersion, 0, 2880)) return false;
  for (int n = 0; n < 13; ++n) {
    if (!Print_Dummy_Dot(link, 2, 720)) return false;
  }
  return LinePositionPattern(link, link.TestSettings().ModelCode2) &&
         encoder::SetRelVertPos4Byte(link, 0) && encoder::EndPage(link) &&
         encoder::Factory7D_48B724(link, 0) && encoder::RemoteJobEpilogue(link) && link.FlushJob();
}

bool PrintMechanicalSheet(CPrinterLink& link, const PrintHeaderInfo& header,
                          std::string_view programVersion) {
  const printer::ModelTestSettings& model = link.TestSettings();
  // Set-up, then the carriage is parked at its near position.
  bool ok = ResetTwice(link) && encoder::Factory7D_48B724(link, 1) &&
            encoder::Factory7C_43BCA1(link, 1) && encoder::Factory7D_F00F78(link, 1) &&
            encoder::RemoteJobPrologue(link, encoder::RemotePair{15, 0}, {{1, 2}}) &&
            encoder::EnterGraphicsMode(link) && encoder::SetUnit(link, 1, 1, 1, 2880) &&
            Print_Dummy_Dot(link, 2, 0) && ResetTwice(link) &&
            encoder::Factory7D_02FD01(link, 2, 0, 6369, 0, 0) &&
            encoder::Factory7D_14EB0A(link, 1, 0, 0) && encoder::Factory7D_01FE80(link, 3, 1500) &&
            encoder::Factory7D_02FD01(link, 2, 1, 10000, 4, 600) &&
            encoder::Factory7D_02FD01(link, 2, 0, 1686, 0, 0) &&
            encoder::Factory7D_01FE80(link, 3, model.CrNearPos);
  // A frame with a solid top line.
  ok = ok && encoder::EnterGraphicsMode(link) && encoder::SetDirection(link, 1) &&
       encoder::SetDotSize(link, 17) && encoder::SetUnit(link, 1, 1, 1, 2880) &&
       encoder::SetResolutionInfo(link, 360, 360) &&
       encoder::SetRasterData(link, 0, 2, 990, kLines) &&
       Line(link, {{kZeros, 43}, {kSolid, 947}}) &&
       Lines(link, 179,
             {{kZeros, 43},
              {kZeros, 57},
              {"00110000", 1},
              {kZeros, 831},
              {"00001100", 1},
              {kZeros, 57}}) &&
       Lines(link, 180, {{kZeros, 43}, {kZeros, 947}}) && encoder::SetRelVertPos4Byte(link, 227);
  // A narrow block with the feed stepped, printed at 1000.
  ok = ok && encoder::ResetPrinter(link) && encoder::Factory7D_01FE80(link, 3, 1000) &&
       encoder::Factory7D_14EB0A(link, 0, 0, 0) && encoder::Factory7D_847B42(link, 0, 1, 284) &&
       GraphicsSetUp(link) && encoder::SetRasterData(link, 0, 2, 19, kLines) &&
       Lines(link, 70, {{kZeros, 18}, {kLeftDot, 1}}) && Line(link, {{kSolid, 18}, {kZeros, 1}}) &&
       Lines(link, 79, {{kZeros, 18}, {kLeftDot, 1}}) && Lines(link, 210, {{kZeros, 19}}) &&
       encoder::SetRelVertPos4Byte(link, 0);
  // Its mirror at the adjustment position, the carriage running to the far position.
  ok = ok && encoder::ResetPrinter(link) && encoder::Factory7D_01FE80(link, 3, model.CrAdjustPos) &&
       encoder::Factory7D_14EB0A(link, 0, 3, model.CrFarPos) &&
       encoder::Factory7D_847B42(link, 1, 1, 426) && GraphicsSetUp(link) &&
       encoder::SetRasterData(link, 0, 2, 18, kLines) &&
       Lines(link, 70, {{kLeftDot, 1}, {kZeros, 17}}) && Line(link, {{kSolid, 18}}) &&
       Lines(link, 79, {{kLeftDot, 1}, {kZeros, 17}}) && Lines(link, 210, {{kZeros, 18}}) &&
       encoder::SetRelVertPos4Byte(link, 2880);
  ok = ok && encoder::ResetPrinter(link) && GraphicsSetUp(link) &&
       PrintInfoHeader(link, header, programVersion, 0, 170) && encoder::ResetPrinter(link);
  if (!ok) return false;

  // The feed runs to the position the printer keeps, plus a fixed margin.
  std::array<std::uint8_t, 4> stored{};
  if (!link.ReadPrdNvramMulti(8496, 4, stored.data())) return false;
  const std::uint32_t value =
      stored[0] | stored[1] << 8 | stored[2] << 16 | static_cast<std::uint32_t>(stored[3]) << 24;
  return encoder::Factory7D_02FD01(link, 3, 0, 47622, 2, value + 12102) && GraphicsSetUp(link) &&
         encoder::SetAbsHoriPos(link, 0) && encoder::SetRasterData(link, 0, 2, 690, kLines) &&
         Lines(link, 217, {{kZeros, 690}}) &&
         Lines(link, 142, {{kZeros, 602}, {"00001100", 1}, {kZeros, 87}}) &&
         Line(link, {{kZeros, 513}, {kSolid, 177}}) && encoder::SetRelVertPos4Byte(link, 0) &&
         encoder::ResetPrinter(link) && encoder::Factory7D_F00F78(link, 0) &&
         encoder::Factory7D_48B724(link, 0) && encoder::Factory7C_43BCA1(link, 0) &&
         encoder::EndPage(link) && encoder::RemoteJobEpilogue(link) && link.FlushJob();
}

bool PrintFeedCheckBlocks(CPrinterLink& link) {
  if (!FeedCheckBlock(link) || !encoder::SetRelVertPos4Byte(link, 0)) return false;
  for (int n = 0; n < 80; ++n) {
    if (!Print_Dummy_Dot(link, 2, 720)) return false;
  }
  return FeedCheckBlock(link);
}

}  // namespace patterns
