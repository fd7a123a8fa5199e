#pragma once
// The program's operations, one file per subsystem. Each Add…Operations adds that subsystem's
// operations by function number and its items' page values by item number; a number that is in
// no table runs nothing.

#include "operations/operation_table.h"

namespace operations {

void AddAdjustmentOperations(OperationTable& table);
void AddBoardExchangeOperations(OperationTable& table);
void AddDestinationOperations(OperationTable& table);
void AddIdentityOperations(OperationTable& table);
void AddInspectionOperations(OperationTable& table);
void AddMaintenanceOperations(OperationTable& table);
void AddOptionUnitOperations(OperationTable& table);
void AddPartsExchangeOperations(OperationTable& table);
void AddServicePrintOperations(OperationTable& table);
void AddServiceRecordOperations(OperationTable& table);

// Every subsystem's operations: the table the main service dialog and the command line run from.
OperationTable ServiceOperations();

}  // namespace operations
