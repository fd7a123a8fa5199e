// Adjustment values: the Bi-D and feed corrections.
//
// Page values read on selection:
//   10070  Bi-D adjustment: six signed bytes at 313-315 and 329-331
//   10180  feed correction: the signed byte at 373, divided by 6
// Operations: none yet.

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

}  // namespace

void AddAdjustmentOperations(OperationTable& table) {
  table.AddItemValues(10070, ReadBidValues);
  table.AddItemValues(10180, ReadFeedCorrectionValue);
}

}  // namespace operations
