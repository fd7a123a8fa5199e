#include "operations/service_operations.h"

namespace operations {

void OperationTable::Add(int functionNumber, std::string name, Operation operation) {
  operations_[functionNumber] = {std::move(name), std::move(operation)};
}

const OperationEntry* OperationTable::Find(int functionNumber) const {
  const auto found = operations_.find(functionNumber);
  return found == operations_.end() ? nullptr : &found->second;
}

std::vector<int> OperationTable::FunctionNumbers() const {
  std::vector<int> numbers;
  for (const auto& [number, entry] : operations_) numbers.push_back(number);
  return numbers;
}

void OperationTable::AddItemValues(int itemNumber, ValueReader reader) {
  itemValues_[itemNumber] = std::move(reader);
}

const ValueReader* OperationTable::FindItemValues(int itemNumber) const {
  const auto found = itemValues_.find(itemNumber);
  return found == itemValues_.end() ? nullptr : &found->second;
}

OperationTable ServiceOperations() {
  OperationTable table;
  AddAdjustmentOperations(table);
  AddBoardExchangeOperations(table);
  AddDestinationOperations(table);
  AddIdentityOperations(table);
  AddInspectionOperations(table);
  AddMaintenanceOperations(table);
  AddOptionUnitOperations(table);
  AddPartsExchangeOperations(table);
  AddServicePrintOperations(table);
  AddServiceRecordOperations(table);
  return table;
}

}  // namespace operations
