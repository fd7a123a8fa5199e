#pragma once
// The operation request: the record that the main service dialog, its pages and the operation
// worker share. The dialog writes it before a run starts and reads it after the run has posted
// its done message, so it needs no lock.

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "menu/menu_files.h"

namespace operations {

struct OperationRequest {
  std::string romVersion;  // read at the start of every run; first two characters: model code
  int buttonBase = 0;      // 100000 Input, 200000 Execute, 300000 Check/Option, or F11/F12
  int itemNumber = 0;      // FunctionID of the selected menu item
  int hotKeyRun = 0;
  int done = 0;  // set by an operation that completed
  int printFinished = 0;
  int printerMissing = 0;  // the last run could not open the printer
  std::atomic<bool> workerRunning{false};
  int resultCode = 0;
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
  std::string headIdText;
  std::string serialText;
  std::int64_t clockReference = 0;  // seconds since 1970
};

}  // namespace operations
