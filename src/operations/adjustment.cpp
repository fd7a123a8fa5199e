// Adjustment values: the Bi-D, position, feed and height corrections.
//
// Page values read on selection:
//   10070  Bi-D adjustment: six signed bytes at 313-315 and 329-331
//   10180  feed correction: the signed byte at 373, divided by 6
// Operations:
//   310040  ReadPositionAdjustments: production bytes 550, 551, 8517, 8515, each divided by 4
//   310170  ReadFeedCorrection: the production byte 8480 divided by 3
//   110040  ApplyPositionInput: four lines measured on the position sheet
//   110170  ApplyFeedCorrectionInput: the length measured on the feed sheet
//   110340  ApplyHeightCorrectionInput: two heights measured on the height sheet

#include <cmath>
#include <limits>
#include <optional>
#include <span>

#include "driver/nvram_map.h"
#include "operations/service_operations.h"
#include "operations/shared_steps.h"
#include "printer/link_errors.h"

namespace operations {
namespace {

namespace nv = driver::nvram;

constexpr int kBidAddresses[6] = {313, 314, 315, 329, 330, 331};
constexpr int kFeedCorrectionAddress = 373;
// One step of the feed correction is six NVRAM units.
constexpr int kFeedCorrectionStep = 6;

constexpr int kMsgHeightsOutOfRange = 91034001;

void ReadBidValues(OperationRun& run) {
  for (std::size_t k = 0; k < std::size(kBidAddresses); ++k) {
    std::uint8_t byte = 0;
    if (run.link.ReadCtrlNvram(kBidAddresses[k], byte))
      run.request.shownValues[k] = SignedByte(byte);
  }
}

void ReadFeedCorrectionValue(OperationRun& run) {
  std::uint8_t byte = 0;
  if (run.link.ReadCtrlNvram(kFeedCorrectionAddress, byte))
    run.request.shownValues[0] = SignedByte(byte) / kFeedCorrectionStep;
}

constexpr int kPositionStep = 4;
constexpr int kFeedLengthStep = 3;

// Signed production bytes, each divided (toward zero) into the page's steps.
bool ReadPrdSteps(OperationRun& run, std::span<const int> addresses, int step) {
  for (std::size_t k = 0; k < addresses.size(); ++k) {
    std::uint8_t byte = 0;
    if (!run.link.ReadPrdNvram(addresses[k], byte)) return false;
    run.request.shownValues[k] = SignedByte(byte) / step;
  }
  return true;
}

bool ReadPositionAdjustments(OperationRun& run) {
  return ReadPrdSteps(run, nv::kPositionShown, kPositionStep);
}

bool ReadFeedCorrection(OperationRun& run) {
  const int address[1] = {nv::kFeedScale};
  return ReadPrdSteps(run, address, kFeedLengthStep);
}

bool Refuse(OperationRun& run, int code) {
  run.link.SetLastError(code);
  return false;
}

bool Within(double value, double low, double high) { return value >= low && value <= high; }

// A difference measured on paper in millimetres, in NVRAM steps of 1/stepsPerInch inch.
int MillimetresToSteps(double millimetres, double stepsPerInch) {
  return static_cast<int>(std::lround(millimetres * stepsPerInch / 25.4));
}

// The position sheet prints its lines 15 mm (14 mm for the fine line) from where a perfectly
// adjusted printer puts them; the measured distances say how far to move each.
struct PositionCorrection {
  int bytes[3] = {};
  std::int32_t fine = 0;
};

constexpr double kLineNominal = 15.0;
constexpr double kFineLineNominal = 14.0;
constexpr int kByteLimit = 40;
constexpr int kFineLimit = 560;

bool ReadPositionCorrection(printer::CPrinterLink& link, PositionCorrection& now) {
  for (int k = 0; k < 3; ++k) {
    std::uint8_t byte = 0;
    if (!link.ReadPrdNvram(nv::kPositionCorrected[k], byte)) return false;
    now.bytes[k] = SignedByte(byte);
  }
  return ReadPrdLong(link, nv::kPositionFine, now.fine);
}

bool WritePositionCorrection(printer::CPrinterLink& link, const PositionCorrection& next) {
  for (int k = 0; k < 3; ++k) {
    if (!link.WritePrdNvram(nv::kPositionCorrected[k], static_cast<std::uint8_t>(next.bytes[k])))
      return false;
  }
  return link.FlushJob() && QueuePrdLong(link, nv::kPositionFine, next.fine) && link.FlushJob();
}

bool ApplyPositionInput(OperationRun& run) {
  const auto& m = run.request.measured;
  PositionCorrection next;
  if (!ReadPositionCorrection(run.link, next)) return false;
  for (int k = 0; k < 3; ++k) {
    if (!Within(m[static_cast<std::size_t>(k)], 10, 20))
      return Refuse(run, printer::kMeasuredOutOfRange);
  }
  if (!Within(m[3], 9, 19)) return Refuse(run, printer::kFineMeasuredOutOfRange);
  next.bytes[0] += MillimetresToSteps(kLineNominal - m[0], 180);
  next.bytes[1] += MillimetresToSteps(kLineNominal - m[1], 180);
  next.bytes[2] += MillimetresToSteps(m[2] - kLineNominal, 180);
  next.fine += MillimetresToSteps(m[3] - kFineLineNominal, 2880);
  // Every value is checked before the first is written, so a refused input leaves the printer
  // as it was rather than half corrected.
  for (const int byte : next.bytes) {
    if (std::abs(byte) > kByteLimit) return Refuse(run, printer::kCorrectionOutOfRange);
  }
  if (std::abs(next.fine) > kFineLimit) return Refuse(run, printer::kCorrectionOutOfRange);
  PositionCorrection back;
  if (!WritePositionCorrection(run.link, next) || !ReadPositionCorrection(run.link, back))
    return false;
  for (int k = 0; k < 3; ++k) {
    if (back.bytes[k] != next.bytes[k]) return Refuse(run, printer::kReadBackDiffers);
  }
  if (back.fine != next.fine) return Refuse(run, printer::kReadBackDiffers);
  run.request.done = 1;
  run.env.catalogue.ShowMessageById(kMsgDone, ui::kOk);
  return true;
}

// The feed sheet is 508 mm long when the feed is right; 508 entered resets the feed values.
constexpr double kFeedSheetLength = 508.0;

bool ResetFeedCorrection(OperationRun& run) {
  std::uint8_t bytes[12] = {};
  const std::int32_t values[3] = {nv::kFeedScaleOne, nv::kFeedLengthNominal,
                                  nv::kFeedLengthNominal};
  for (std::size_t k = 0; k < 12; ++k)
    bytes[k] =
        static_cast<std::uint8_t>(static_cast<std::uint32_t>(values[k / 4]) >> (8 * (k % 4)));
  if (!run.link.WritePrdNvramMulti(nv::kFeedScale, 12, bytes) || !run.link.FlushJob()) return false;
  run.request.done = 1;
  return true;
}

// A result that fits the four bytes it is stored in, else nothing.
std::optional<std::int32_t> Truncated(double value) {
  if (!std::isfinite(value) || value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return static_cast<std::int32_t>(value);
}

bool WriteSentPrdLong(printer::CPrinterLink& link, int address, std::int32_t value) {
  return QueuePrdLong(link, address, value) && link.FlushJob();
}

bool ApplyFeedCorrectionInput(OperationRun& run) {
  const double measured = run.request.measured[0];
  if (measured == kFeedSheetLength) return ResetFeedCorrection(run);
  std::int32_t scale = 0;
  std::int32_t length = 0;
  if (!ReadPrdLong(run.link, nv::kFeedScale, scale) ||
      !ReadPrdLong(run.link, nv::kFeedLength, length))
    return false;
  // A length of zero or less is no length a scale could have been made for: nothing is written.
  if (length <= 0) return Refuse(run, printer::kCorrectionOutOfRange);
  const auto newScale = Truncated(scale / 1e6 * nv::kFeedLengthNominal / length * 1e6 + 0.5);
  const auto newLength = Truncated(measured * 1.95 * 1000 + 0.5);
  if (!newScale || !newLength) return Refuse(run, printer::kCorrectionOutOfRange);
  if (!WriteSentPrdLong(run.link, nv::kFeedLengthBefore, length) ||
      !WriteSentPrdLong(run.link, nv::kFeedLength, *newLength) ||
      !WriteSentPrdLong(run.link, nv::kFeedScale, *newScale))
    return false;
  std::int32_t back = 0;
  if (!ReadPrdLong(run.link, nv::kFeedScale, back)) return false;
  if (back != *newScale) return Refuse(run, printer::kReadBackDiffers);
  run.request.shownValues[0] = *newLength;
  run.request.done = 1;
  return true;
}

constexpr int kHeightLimit = 1360;

bool ApplyHeightCorrectionInput(OperationRun& run) {
  const double left = run.request.measured[1];
  const double right = run.request.measured[2];
  if (!Within(left, 12, 18) || !Within(right, 12, 18)) {
    run.env.catalogue.ShowMessageById(kMsgHeightsOutOfRange, ui::kOk);
    return false;
  }
  std::int32_t value = 0;
  if (!ReadPrdLong(run.link, nv::kHeightCorrection, value)) return false;
  const double shift = (kLineNominal - (left + right) / 2) * -11520 / 25.4;
  const std::int64_t next = static_cast<std::int64_t>(value) - static_cast<std::int64_t>(shift);
  if (next < -kHeightLimit || next > kHeightLimit)
    return Refuse(run, printer::kCorrectionOutOfRange);
  const auto written = static_cast<std::int32_t>(next);
  std::int32_t back = 0;
  if (!WriteSentPrdLong(run.link, nv::kHeightCorrection, written) ||
      !ReadPrdLong(run.link, nv::kHeightCorrection, back))
    return false;
  if (back != written) return Refuse(run, printer::kReadBackDiffers);
  run.request.done = 1;
  return true;
}

}  // namespace

void AddAdjustmentOperations(OperationTable& table) {
  table.Add(310040, "ReadPositionAdjustments", ReadPositionAdjustments);
  table.Add(310170, "ReadFeedCorrection", ReadFeedCorrection);
  table.Add(110040, "ApplyPositionInput", ApplyPositionInput);
  table.Add(110170, "ApplyFeedCorrectionInput", ApplyFeedCorrectionInput);
  table.Add(110340, "ApplyHeightCorrectionInput", ApplyHeightCorrectionInput);
  table.AddItemValues(10070, ReadBidValues);
  table.AddItemValues(10180, ReadFeedCorrectionValue);
}

}  // namespace operations
