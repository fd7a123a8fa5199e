#pragma once
// The values a menu item's page shows, read from the printer when the item is selected, before
// the page appears.

#include "operations/dispatcher.h"

namespace operations {

// Shown-value marker of a four-byte value that could not be read.
inline constexpr int kNotRead = 0x7FFF;
// The clock page shows its reference time next to the printer's clock.
inline constexpr int kClockItem = 10210;

// Empties the texts and values the pages show, stamps the clock reference for the clock item,
// then (unless the request's no-prefetch flag is set or the item reads nothing) opens the printer,
// checks its model and reads the item's values into the request. The unknown-model message uses
// message-dialog mode 2. False when the printer could not be opened or its model was refused.
bool PrefetchItemValues(OperationRequest& request, const RunEnvironment& environment);

}  // namespace operations
