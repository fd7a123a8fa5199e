// Adjustment values: the Bi-D, position and feed corrections.
//
// Page values read on selection:
//   10070  Bi-D adjustment: six signed bytes at 313-315 and 329-331
//   10180  feed correction: the signed byte at 373, divided by 6
// Operations:
//   310040  ReadPositionAdjustments: production bytes 550, 551, 8517, 8515, each divided by 4
//   310170  ReadFeedCorrection: the production byte 8480 divided by 3

#include <span>

#include "operations/service_operations.h"
#include "operations/shared_steps.h"

namespace operations {
namespace {

constexpr int kBidAddresses[6] = {313, 314, 315, 329, 330, 331};
constexpr int kFeedCorrectionAddress = 373;
// One step of the feed correction is six NVRAM units.
constexpr int kFeedCorrectionStep = 6;

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

constexpr int kPositionAddresses[4] = {550, 551, 8517, 8515};
constexpr int kPositionStep = 4;
constexpr int kFeedLengthAddress = 8480;
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
  return ReadPrdSteps(run, kPositionAddresses, kPositionStep);
}

bool ReadFeedCorrection(OperationRun& run) {
  const int address[1] = {kFeedLengthAddress};
  return ReadPrdSteps(run, address, kFeedLengthStep);
}

}  // namespace

void AddAdjustmentOperations(OperationTable& table) {
  table.Add(310040, "ReadPositionAdjustments", ReadPositionAdjustments);
  table.Add(310170, "ReadFeedCorrection", ReadFeedCorrection);
  table.AddItemValues(10070, ReadBidValues);
  table.AddItemValues(10180, ReadFeedCorrectionValue);
}

}  // namespace operations
