#include "operations/prefetch.h"

namespace operations {
namespace {

// An item number that never reaches the printer when selected.
constexpr int kNoPrinterItem = 30010;

}  // namespace

bool PrefetchItemValues(OperationRequest& request, const ServiceEnvironment& environment,
                        const OperationTable& operations) {
  // What the previous item read or wrote is not this item's.
  request.printerInfo.HeadId.clear();
  request.printerInfo.SerialNo.clear();
  request.outputText.clear();
  request.shownValues.fill(0);
  request.enteredValues.fill(0);
  if (request.itemNumber == kClockItem) request.clockReference = environment.clock.UnixSeconds();
  if (request.itemNumber < 1 || request.noPrefetch != 0 || request.itemNumber == kNoPrinterItem)
    return true;
  const std::unique_ptr<printer::CPrinterLink> link = MakeRunLink(environment);
  if (!OpenCheckedSession(*link, request, environment, 2)) return false;
  if (const ValueReader* read = operations.FindItemValues(request.itemNumber)) {
    OperationRun run{environment, *link, request};
    (*read)(run);
  }
  link->Close();
  return true;
}

}  // namespace operations
