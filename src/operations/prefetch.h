#pragma once
// The values a menu item's page shows, read from the printer when the item is selected, before
// the page appears. What each item reads is registered with its subsystem's operations.

#include "operations/dispatcher.h"

namespace operations {

// The clock page shows its reference time next to the printer's clock.
inline constexpr int kClockItem = 10210;

// Empties the texts and values the pages show, stamps the clock reference for the clock item,
// then (unless the request's no-prefetch flag is set or the item reads nothing) opens the printer,
// checks its model and runs the item's value reader. The unknown-model message uses
// message-dialog mode 2. False when the printer could not be opened or its model was refused.
bool PrefetchItemValues(OperationRequest& request, const ServiceEnvironment& environment,
                        const OperationTable& operations);

}  // namespace operations
