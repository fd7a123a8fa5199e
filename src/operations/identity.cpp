// Identity values: head ID, MAC address, serial number and the service flag.
//
// Page values read on selection:
//   10080                head ID (kind 1) into the printer information
//   10220                MAC address: six bytes at 114
//   10230                serial number: ten characters of production NVRAM at 66
//   10240, 10241, 20060  service flag: the byte at 11632 plus one (0 when it cannot be read)
// Operations: none yet.

#include "driver/nvram_map.h"
#include "operations/service_operations.h"
#include "operations/shared_steps.h"

namespace operations {
namespace {

using namespace driver::nvram;

void ReadHeadIdValue(OperationRun& run) { run.link.ReadHeadId(run.request.printerInfo.HeadId, 1); }

void ReadMacValues(OperationRun& run) {
  for (int k = 0; k < kMacLength; ++k) {
    std::uint8_t byte = 0;
    if (run.link.ReadCtrlNvram(kMacAddress + k, byte))
      run.request.shownValues[static_cast<std::size_t>(k)] = byte;
  }
}

void ReadSerialValue(OperationRun& run) {
  run.link.ReadPrdString(kSerialNumber, kSerialLength, run.request.printerInfo.SerialNo);
}

void ReadServiceFlagValue(OperationRun& run) {
  std::uint8_t byte = 0;
  run.request.shownValues[0] = run.link.ReadCtrlNvram(kServiceFlag, byte) ? byte + 1 : 0;
}

}  // namespace

void AddIdentityOperations(OperationTable& table) {
  table.AddItemValues(10080, ReadHeadIdValue);
  table.AddItemValues(10220, ReadMacValues);
  table.AddItemValues(10230, ReadSerialValue);
  for (const int item : {10240, 10241, 20060}) table.AddItemValues(item, ReadServiceFlagValue);
}

}  // namespace operations
