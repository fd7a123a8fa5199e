#include "operations/dispatcher.h"

namespace operations {

// Each subsystem's operations are added here by function number (hot-key sequences by kF11 and
// kF12) as they are built; a number that is not in the table runs nothing.
OperationTable ServiceOperations() {
  OperationTable table;
  return table;
}

}  // namespace operations
