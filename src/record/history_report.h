#pragma once
// A printer's history as one self-contained HTML page: its runs across stations with their
// results and messages, and each measured quantity as a chart over the runs with its limits
// (inline SVG). No script and nothing fetched from elsewhere: it opens the same on a station
// without a network, and can be mailed as it is.

#include <string>

#include "record/printer_history.h"

namespace record {

// The page of the printer's history; `generated` is the time it was made, as the record writes
// times.
std::string HistoryReport(const std::string& serial, const PrinterHistory& history,
                          const std::string& generated);

}  // namespace record
