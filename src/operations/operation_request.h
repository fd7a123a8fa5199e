#pragma once
// The operation request: the record that the main service dialog, its pages and the operation
// worker share. The dialog writes it before a run starts and reads it after the run has posted
// its done message, so it needs no lock.

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "menu/menu_files.h"
#include "patterns/print_header.h"
#include "record/run_entry.h"

namespace operations {

// Button bases: the function number is the base plus the selected item's FunctionID.
inline constexpr int kInputBase = 100000;
inline constexpr int kExecuteBase = 200000;
inline constexpr int kCheckBase = 300000;  // "Check" and "Option" alike
// Virtual-key codes that stand for the button base of a hot-key run.
inline constexpr int kF11 = 122;
inline constexpr int kF12 = 123;

struct OperationRequest {
  std::string romVersion;  // read at the start of every run; first two characters: model code
  int buttonBase = 0;      // kInputBase, kExecuteBase, kCheckBase, or kF11/kF12
  int itemNumber = 0;      // FunctionID of the selected menu item
  std::string itemTitle;   // its title in the menu tree, for the service record
  int hotKeyRun = 0;
  int done = 0;  // set by an operation that completed
  int printFinished = 0;
  int printerMissing = 0;  // the last run could not open the printer
  std::atomic<bool> workerRunning{false};
  int resultCode = 0;
  int lastError = 0;                // the link's LastError when the run ended, for scripts and logs
  std::string operationRan;         // the operation the last run ran, or "" when none did
  bool operationSucceeded = false;  // and what it returned
  int runMode = 0;
  int noPrefetch = 0;
  menu::FunctionPageText pageText;  // the selected item's page texts (itemText1.. = text[0]..)
  int selector = 0;
  std::array<int, 5> colourFlags{};
  int pgChoice = 0;
  std::array<int, 16> shownValues{};
  std::array<int, 16> enteredValues{};
  std::array<double, 4> measured{};
  std::string inputText;
  std::string outputText;
  // The printer information a pattern header carries; empty texts are read from the printer.
  patterns::PrintHeaderInfo printerInfo;
  std::int64_t clockReference = 0;  // seconds since 1970
  std::string aidJudgement;         // the AID inspection's verdict: "OK", or "NG3" for weak runs
  // The attached printer's service record, newest first.
  std::vector<record::ServiceRecordEntry> record;
};

}  // namespace operations
