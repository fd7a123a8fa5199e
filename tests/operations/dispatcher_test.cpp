// The operation worker against the virtual printer: the checks before an operation, the choice
// of the operation, completion on every path, one run at a time, and the shared steps.

#include "operations/dispatcher.h"

#include <gtest/gtest.h>

#include <future>

#include "operations/shared_steps.h"
#include "support/service_fixture.h"

namespace {

using operations::OperationRequest;
using operations::OperationRun;

class DispatcherTest : public testing_support::OperationsFixture {
protected:
  DispatcherTest() {
    // Every operation records its function number and what it saw of the printer.
    for (int number : {210090, 310090, 110090, operations::kF11, operations::kF12,
                       operations::kStampClockReference}) {
      table.Add(number, "Recorded", [this, number](OperationRun& run) {
        ran.push_back(number);
        sawModel = run.link.ModelCode();
        return true;
      });
    }
  }

  std::vector<int> ran;
  std::string sawModel;
};

TEST_F(DispatcherTest, WithoutAPrinterEveryButtonTellsOnceAndTheDialogStaysUsable) {
  for (int base : {operations::kInputBase, operations::kExecuteBase, operations::kCheckBase}) {
    Mark();
    EXPECT_FALSE(Run(base, 10090));
    EXPECT_EQ(Shown(), std::vector{Message(operations::kMsgNoPrinter)});
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

TEST_F(DispatcherTest, TheRequestNamesTheOperationThatRanAndHowItWent) {
  Attach("LW");
  table.Add(210100, "Fails", [](OperationRun&) { return false; });
  EXPECT_TRUE(Run(operations::kExecuteBase, 10090));
  EXPECT_EQ(request.operationRan, "Recorded");
  EXPECT_TRUE(request.operationSucceeded);
  EXPECT_TRUE(Run(operations::kExecuteBase, 10100));
  EXPECT_EQ(request.operationRan, "Fails");
  EXPECT_FALSE(request.operationSucceeded);
  EXPECT_TRUE(Run(operations::kExecuteBase, 12345));  // dispatched, but nothing ran
  EXPECT_EQ(request.operationRan, "");
}

TEST_F(DispatcherTest, AnUnknownModelRunsNothingExceptInTheAnyModelMode) {
  Attach("ZZ");
  EXPECT_FALSE(Run(operations::kExecuteBase, 10090));
  EXPECT_EQ(Shown(), std::vector{Dialog("This printer is Unknown model.\n Model = ZZ\n"
                                        "Please check the printer model.")});
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

TEST_F(DispatcherTest, ARunWhoseFirmwareReadFailsKeepsNoModelOfTheRunBefore) {
  auto printer = Attach("LW");
  EXPECT_TRUE(Run(operations::kExecuteBase, 10090));
  ASSERT_EQ(request.romVersion.substr(0, 2), "LW");
  vprinter::Faults faults;
  faults.romReadFails = true;
  printer->SetFaults(faults);
  Mark();
  EXPECT_FALSE(Run(operations::kExecuteBase, 10090));
  EXPECT_EQ(request.romVersion, "");
  EXPECT_EQ(Shown(), std::vector{Dialog("This printer is Unknown model.\n Model = \n"
                                        "Please check the printer model.")});
  EXPECT_EQ(ran, std::vector<int>{210090});  // the second run ran nothing
}

TEST_F(DispatcherTest, TheSentTapHearsEveryByteTheRunSentInOrder) {
  Attach("LW");
  const std::string file = folder.Write("job.prn", "DEFGH");
  table.Add(210100, "SendJobAndFile", [&file](OperationRun& run) {
    const std::uint8_t job[3] = {'A', 'B', 'C'};
    return run.link.AppendJob(job, 3) && run.link.FlushJob() && run.link.SendFile(file, 2);
  });
  std::string sent;
  operations::Dispatch dispatch = Dispatcher();
  dispatch.sentTap = [&sent](const std::uint8_t* bytes, std::size_t length) {
    sent.append(reinterpret_cast<const char*>(bytes), length);
  };
  request.buttonBase = operations::kExecuteBase;
  request.itemNumber = 10100;
  request.workerRunning = true;
  EXPECT_TRUE(operations::RunOperation(request, dispatch));
  EXPECT_EQ(sent, "ABCDEFGH");
  EXPECT_EQ(Printer()->BytesReceived(), 8u);
}

TEST_F(DispatcherTest, HotKeysRunTheirSequenceWhateverItemIsSelected) {
  Attach("NN");
  request.itemNumber = 10200;
  EXPECT_TRUE(RunHotKey(operations::kF12));
  request.itemNumber = 0;
  EXPECT_TRUE(RunHotKey(operations::kF11));
  EXPECT_EQ(ran, (std::vector<int>{operations::kF12, operations::kF11}));
  EXPECT_EQ(request.hotKeyRun, 0);
}

TEST_F(DispatcherTest, NetworkOperationsNeedNoSession) {
  EXPECT_TRUE(RunNetwork(operations::kExecuteBase, 10210));
  EXPECT_EQ(ran, std::vector<int>{operations::kStampClockReference});
  EXPECT_TRUE(Shown().empty());  // no printer attached, and none needed
  EXPECT_EQ(doneMessages, 1);
}

TEST_F(DispatcherTest, TheWorkerRunsOneRunAtATime) {
  Attach("LW");
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::promise<void> started;
  table.Add(210010, "Held", [&](OperationRun&) {
    started.set_value();
    released.wait();
    return true;
  });
  operations::OperationWorker worker(Dispatcher());
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
  table.Add(210100, "SharedSteps", [](OperationRun& run) {
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
  EXPECT_EQ(ui.Calls(ui::UiCallKind::Wait).at(0).text, "Cleaning");
  EXPECT_EQ(ui.Calls(ui::UiCallKind::WaitClosed).size(), 1u);
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
  EXPECT_EQ(Shown().back(), Message(operations::kMsgPrinterFailed));
}

}  // namespace
