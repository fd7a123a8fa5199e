#include "patterns/print_header.h"

#include <cstdio>
#include <ctime>

#include "encoder/compression.h"
#include "encoder/raster_commands.h"
#include "printer/printer_link.h"

namespace patterns {
namespace {

constexpr Code39Entry kCode39[] = {
    {'A', "210103012"}, {'B', "012103012"}, {'C', "212103010"}, {'D', "010123012"},
    {'E', "210123010"}, {'F', "012123010"}, {'G', "010103212"}, {'H', "210103210"},
    {'I', "012103210"}, {'J', "010123210"}, {'K', "210101032"}, {'L', "012101032"},
    {'M', "212101030"}, {'N', "010121032"}, {'O', "210121030"}, {'P', "012121030"},
    {'Q', "010101232"}, {'R', "210101230"}, {'S', "012101230"}, {'T', "010121230"},
    {'U', "230101012"}, {'V', "032101012"}, {'W', "232101010"}, {'X', "030121012"},
    {'Y', "230121010"}, {'Z', "032121010"}, {'0', "010321210"}, {'1', "210301012"},
    {'2', "012301012"}, {'3', "212301010"}, {'4', "010321012"}, {'5', "210321010"},
    {'6', "012321010"}, {'7', "010301212"}, {'8', "210301210"}, {'9', "012301210"},
    {'*', "030121210"}, {'-', "030101212"}, {'.', "230101210"}, {' ', "032101210"},
    {'$', "030303010"}, {'/', "030301030"}, {'+', "030103030"}, {'%', "010303030"},
};

constexpr std::string_view kElementBits[4] = {
    "11111111",                  // narrow bar: four large dots
    "00000000",                  // narrow space
    "111111111111111111111111",  // wide bar
    "000000000000000000000000",  // wide space
};
constexpr std::string_view kGap = "00000000";
constexpr int kBarcodeLines = 90;
constexpr int kBarcodeColour = 0x82;
constexpr std::size_t kPieceBits = 128;

}  // namespace

std::span<const Code39Entry> Code39Table() { return kCode39; }

std::string InfoHeaderText(const PrintHeaderInfo& info, std::string_view programVersion,
                           std::int64_t unixSeconds) {
  const std::time_t time = static_cast<std::time_t>(unixSeconds);
  std::tm local{};
  localtime_r(&time, &local);
  std::string text;
  char line[512];
  std::snprintf(line, sizeof line, "Service Program Ver. :  %s,    F/W version  :  %s\r\n",
                std::string(programVersion).c_str(), info.FirmwareVersion.c_str());
  text += line;
  std::snprintf(line, sizeof line, "Black Ink Kind  :  %s\r\n", info.BlackInkKind.c_str());
  text += line;
  std::snprintf(line, sizeof line, "Serial No.  :  %s\r\n", info.SerialNo.c_str());
  text += line;
  std::snprintf(line, sizeof line, "Printed Date    : %4d/%02d/%02d %02d:%02d\r\n",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min);
  text += line;
  return text;
}

bool PrintInfoHeader(printer::CPrinterLink& link, const PrintHeaderInfo& info,
                     std::string_view programVersion, int verticalAllowance,
                     std::uint32_t horizontalPosition) {
  const std::string text =
      InfoHeaderText(info, programVersion, link.Environment().clock.UnixSeconds());
  encoder::PrintTextBand(link, text, verticalAllowance, horizontalPosition);
  return true;
}

// The barcode is centred in a field of the sheet: its left edge and width, in 1/2880 inch, where
// every bit is two units wide.
constexpr int kBarcodeFieldLeft = 9224;
constexpr int kBarcodeField = 7597;

std::string Code39Bits(std::string_view text) {
  const std::string framed = "*" + std::string(text) + "*";
  std::string bits;
  for (std::size_t i = 0; i < framed.size(); ++i) {
    const Code39Entry* entry = nullptr;
    for (const Code39Entry& candidate : kCode39) {
      if (candidate.character == framed[i]) {
        entry = &candidate;
        break;
      }
    }
    if (entry == nullptr) return {};
    for (const char digit : entry->elements) bits += kElementBits[digit - '0'];
    if (i + 1 < framed.size()) bits += kGap;
  }
  return bits;
}

std::string MachineNoBarcodeProblem(std::string_view text) {
  const std::string bits = Code39Bits(text);
  if (bits.empty()) return "ERROR : M/C No. Unidentified character.";
  auto fits = [](const std::string& b) { return 2 * static_cast<int>(b.size()) <= kBarcodeField; };
  if (fits(bits)) return {};
  // Every character is as wide as every other: count how many fit.
  std::size_t fit = 0;
  while (fits(Code39Bits(std::string(fit + 1, '0')))) ++fit;
  return "ERROR : M/C No. too long for the barcode: " + std::to_string(text.size()) +
         " characters, at most " + std::to_string(fit) + " fit.";
}

bool PrintMachineNoBarcode(printer::CPrinterLink& link, std::string_view text) {
  if (const std::string problem = MachineNoBarcodeProblem(text); !problem.empty()) {
    link.Environment().ui.MessageBox(problem, ui::kApplicationTitle, ui::kOk);
    return false;
  }
  const std::string bits = Code39Bits(text);
  const int n = static_cast<int>(bits.size());
  if (!encoder::SetAbsHoriPos(
          link, static_cast<std::uint32_t>((kBarcodeField - 2 * n) / 2 + kBarcodeFieldLeft)) ||
      !encoder::SetRasterData(link, kBarcodeColour, 2, n / 8, kBarcodeLines)) {
    return false;
  }
  const std::string_view all(bits);
  for (int line = 0; line < kBarcodeLines; ++line) {
    for (std::size_t at = 0; at < all.size(); at += kPieceBits) {
      if (!encoder::AppendBitPattern(link, all.substr(at, kPieceBits), 1)) return false;
    }
  }
  return true;
}

}  // namespace patterns
