// The operation worker against the virtual printer: the checks before an operation, the choice
// of the operation, completion on every path, one run at a time, and the shared steps.

#include "operations/dispatcher.h"

#include <gtest/gtest.h>

#include <future>

#include "operations/shared_steps.h"
#include "platform/paths.h"
#include "support/virtual_printer_bench.h"

namespace {

using operations::OperationRequest;
using operations::OperationRun;

class DispatcherTest : public ::testing::Test, public testing_support::VirtualPrinterBench {
protected:
  DispatcherTest() : catalogue(ui, platform::ServiceFolder(GRELT_DATA_DIR)) {
    // Every operation records its function number and what it saw of the printer.
    for (int number : {210090, 310090, 110090, operations::kF11, operations::kF12,
                       operations::kStampClockReference}) {
      table.Add(number, [this, number](OperationRun& run) {
        ran.push_back(number);
        sawModel = run.link.ModelCode();
        return true;
      });
    }
  }

  void Attach(const std::string& model) {
    std::string error;
    ASSERT_TRUE(AttachPrinter(model, &error)) << error;
  }
  operations::RunEnvironment Environment() {
    return {settings,
            ui,
            clock,
            nullptr,
            catalogue,
            table,
            [this] { return MakeDriver(); },
            [this] { ++doneMessages; }};
  }
  bool Run(int buttonBase, int item) {
    request.buttonBase = buttonBase;
    request.itemNumber = item;
    request.workerRunning = true;
    const bool result = operations::RunOperation(request, Environment());
    EXPECT_FALSE(request.workerRunning);
    return result;
  }
  // Only what is shown from now on counts.
  void Mark() { shownFrom = ui.Calls().size(); }
  std::vector<std::string> Shown() const {
    std::vector<std::string> texts;
    const std::vector<ui::UiCall> calls = ui.Calls();
    for (std::size_t i = shownFrom; i < calls.size(); ++i) {
      const ui::UiCall& call = calls[i];
      if (call.kind == "message-box" || call.kind == "message-dialog") texts.push_back(call.text);
    }
    return texts;
  }

  menu::MenuFiles catalogue;
  operations::OperationTable table;
  OperationRequest request;
  std::vector<int> ran;
  std::string sawModel;
  int doneMessages = 0;
  std::size_t shownFrom = 0;
};

TEST_F(DispatcherTest, WithoutAPrinterEveryButtonTellsOnceAndTheDialogStaysUsable) {
  for (int base : {operations::kInputBase, operations::kExecuteBase, operations::kCheckBase}) {
    Mark();
    EXPECT_FALSE(Run(base, 10090));
    std::string text;
    ASSERT_TRUE(catalogue.LookupMessage(operations::kMsgNoPrinter, text));
    EXPECT_EQ(Shown(), std::vector<std::string>{text});
    EXPECT_EQ(request.printerMissing, 1);
  }
  EXPECT_TRUE(ran.empty());
  EXPECT_EQ(doneMessages, 3);

  Attach("LW");
  EXPECT_TRUE(Run(operations::kExecuteBase, 10090));
  EXPECT_EQ(request.printerMissing, 0);
  EXPECT_EQ(request.romVersion.substr(0, 2), "LW");
  EXPECT_EQ(ran, std::vector<int>{210090});
  EXPECT_EQ(sawModel, "LW");
}

TEST_F(DispatcherTest, CheckAndOptionRunTheSameOperationAndUnknownNumbersRunNothing) {
  Attach("LW");
  EXPECT_TRUE(Run(operations::kCheckBase, 10090));
  EXPECT_TRUE(Run(operations::kCheckBase, 10090));  // "Option" has the same base
  EXPECT_TRUE(Run(operations::kInputBase, 10090));
  EXPECT_EQ(ran, (std::vector<int>{310090, 310090, 110090}));
  Mark();
  EXPECT_TRUE(Run(operations::kExecuteBase, 12345));  // not in the table: quietly nothing
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(ran.size(), 3u);
  EXPECT_EQ(doneMessages, 4);
}

TEST_F(DispatcherTest, AnUnknownModelRunsNothingExceptInTheAnyModelMode) {
  Attach("ZZ");
  EXPECT_FALSE(Run(operations::kExecuteBase, 10090));
  EXPECT_EQ(Shown(), std::vector<std::string>{"This printer is Unknown model.\n Model = ZZ\n"
                                              "Please check the printer model."});
  EXPECT_TRUE(ran.empty());

  Mark();
  request.runMode = operations::kRunModeSilent;
  EXPECT_FALSE(Run(operations::kExecuteBase, 10090));
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(request.resultCode, operations::kResultUnknownModel);

  request.runMode = operations::kRunModeAnyModel;
  EXPECT_TRUE(Run(operations::kExecuteBase, 10090));
  EXPECT_EQ(ran, std::vector<int>{210090});
  EXPECT_EQ(doneMessages, 3);
  // The next press is taken as ever.
  request.runMode = 0;
  EXPECT_FALSE(Run(operations::kExecuteBase, 10090));
  EXPECT_EQ(doneMessages, 4);
}

TEST_F(DispatcherTest, HotKeysRunTheirSequenceWhateverItemIsSelected) {
  Attach("NN");
  request.hotKeyRun = 1;
  EXPECT_TRUE(Run(operations::kF12, 10200));
  request.hotKeyRun = 1;
  EXPECT_TRUE(Run(operations::kF11, 0));
  EXPECT_EQ(ran, (std::vector<int>{operations::kF12, operations::kF11}));
  EXPECT_EQ(request.hotKeyRun, 0);
}

TEST_F(DispatcherTest, NetworkOperationsNeedNoSession) {
  request.buttonBase = operations::kExecuteBase;
  request.itemNumber = 10210;
  EXPECT_TRUE(operations::RunNetworkOperation(request, Environment()));
  EXPECT_EQ(ran, std::vector<int>{operations::kStampClockReference});
  EXPECT_TRUE(Shown().empty());  // no printer attached, and none needed
  EXPECT_EQ(doneMessages, 1);
}

TEST_F(DispatcherTest, TheWorkerRunsOneRunAtATime) {
  Attach("LW");
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::promise<void> started;
  table.Add(210010, [&](OperationRun&) {
    started.set_value();
    released.wait();
    return true;
  });
  operations::OperationWorker worker(Environment());
  request.buttonBase = operations::kExecuteBase;
  request.itemNumber = 10010;
  ASSERT_TRUE(worker.Start(request));
  started.get_future().wait();
  EXPECT_FALSE(worker.Start(request));  // a second press while it runs
  EXPECT_FALSE(worker.StartHotKey(request, operations::kF11));
  release.set_value();
  worker.Join();
  EXPECT_FALSE(request.workerRunning);
  EXPECT_EQ(doneMessages, 1);
  request.itemNumber = 10090;
  ASSERT_TRUE(worker.Start(request));
  worker.Join();
  EXPECT_EQ(ran, std::vector<int>{210090});
}

TEST_F(DispatcherTest, SharedStepsWaitWriteAndGatherTheHeader) {
  Attach("LW");
  request.pageText.text[2] = "Cleaning";
  table.Add(210100, [](OperationRun& run) {
    patterns::PrintHeaderInfo header;
    run.request.done = operations::WaitWithStatus(run, 3, 10, [] { return true; }) &&
                       operations::VerifiedPrdWrite(run, 130, 9) &&
                       operations::GatherPrintHeader(run, header);
    run.request.outputText = header.SerialNo + "|" + header.BlackInkKind + "|" + header.HeadId;
    return run.request.done == 1;
  });
  request.printerInfo.HeadId = "GIVEN";
  EXPECT_TRUE(Run(operations::kExecuteBase, 10100));
  EXPECT_EQ(request.done, 1);
  EXPECT_EQ(ui.Calls("wait").at(0).text, "Cleaning");
  EXPECT_EQ(ui.Calls("wait-closed").size(), 1u);
  EXPECT_EQ(request.outputText.size(), 10u + 1u + 11u + 6u);  // serial | Matte Black | GIVEN
  EXPECT_TRUE(request.outputText.ends_with("|GIVEN"));

  // A serial number that cannot be read stops the step with message 90000005.
  auto printer = Printer();
  vprinter::Faults faults;
  faults.readFailFrom = 66;
  faults.readFailTo = 75;
  printer->SetFaults(faults);
  Mark();
  EXPECT_TRUE(Run(operations::kExecuteBase, 10100));
  EXPECT_EQ(request.done, 0);
  std::string text;
  ASSERT_TRUE(catalogue.LookupMessage(operations::kMsgPrinterFailed, text));
  EXPECT_EQ(Shown().back(), text);
}

}  // namespace
