#pragma once
// What an operation is and where the program finds it: operations by function number, and the
// readers of the values an item's page shows, by item number. Each subsystem's file adds its own
// rows in its Add…Operations function; ServiceOperations() gathers them all.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "operations/operation_request.h"
#include "operations/service_environment.h"
#include "printer/printer_link.h"

namespace operations {

// What an operation works with for the length of one run: the environment, the open printer
// session on a known model, and the request that holds the page's inputs and takes the results.
struct OperationRun {
  const ServiceEnvironment& env;
  printer::CPrinterLink& link;
  OperationRequest& request;
};

// An operation returns whether it succeeded; a failure has shown its message or left LastError.
using Operation = std::function<bool(OperationRun&)>;
// Reads the values a page shows into the request's shown values and texts.
using ValueReader = std::function<void(OperationRun&)>;

// An operation under the name scripts and logs know it by ("ReadSerialNumber").
struct OperationEntry {
  std::string name;
  Operation run;
};

class OperationTable {
public:
  // One operation per function number (hot-key runs by kF11 and kF12); a second Add replaces.
  void Add(int functionNumber, std::string name, Operation operation);
  const OperationEntry* Find(int functionNumber) const;
  // Every function number that runs an operation, in increasing order.
  std::vector<int> FunctionNumbers() const;
  // What the page of an item reads from the printer when the item is selected.
  void AddItemValues(int itemNumber, ValueReader reader);
  const ValueReader* FindItemValues(int itemNumber) const;

private:
  std::map<int, OperationEntry> operations_;
  std::map<int, ValueReader> itemValues_;
};

}  // namespace operations
