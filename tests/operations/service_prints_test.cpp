// The service prints and measurements against the virtual printer: what comes out of the printer,
// the messages and the done and print-finished marks.

#include <gtest/gtest.h>

#include <tuple>

#include <filesystem>

#include "driver/nvram_map.h"
#include "driver/product_constants.h"
#include "encoder/raster_commands.h"
#include "operations/service_operations.h"
#include "operations/service_record.h"
#include "printer/model_test_settings.h"
#include "support/lpd_receiver.h"
#include "support/service_fixture.h"
#include "vprinter/page_renderer.h"

namespace {

using namespace testing_support;
using operations::kExecuteBase;

class ServicePrintsTest : public OperationsFixture {
protected:
  void SetUp() override {
    operations::AddServicePrintOperations(table);
    Attach("LW");
  }
  bool RunOp(int item) {
    request.done = 0;
    return Run(kExecuteBase, item) && request.operationSucceeded;
  }
  // The network nozzle check to a daemon on this machine's loopback port; counts what is shown
  // from now on.
  bool SendNetworkNozzleCheckTo(int port) {
    lpdPort = port;
    request.inputText = "127.0.0.1";
    Mark();
    return RunNetwork(kExecuteBase, 10370);
  }
  void ExpectWaitDialogsClosed() {
    EXPECT_GE(ui.Calls(ui::UiCallKind::Wait).size(), 1u);
    EXPECT_EQ(ui.Calls(ui::UiCallKind::Wait).size(), ui.Calls(ui::UiCallKind::WaitClosed).size());
  }
};

TEST_F(ServicePrintsTest, TheNozzleCheckPrintsInEachDotSize) {
  for (int selector = 0; selector < 3; ++selector) {
    request.selector = selector;
    const int pagesBefore = Printer()->PagesPrinted();
    Mark();
    ASSERT_TRUE(RunOp(10090)) << selector;
    EXPECT_EQ(Printer()->PagesPrinted(), pagesBefore + 1);
    // Ten lanes, one per head row of the LW, each printing every nozzle once, and the header.
    const vprinter::DotCounts dots = Printer()->PageDots().back();
    EXPECT_EQ(dots.size(), 11u);
    for (int row = 0x80; row <= 0x89; ++row) EXPECT_EQ(dots.at(row), dots.at(0x80)) << row;
    EXPECT_GT(dots.at(0x80), 0u);
    EXPECT_GT(dots.at(0x00), 0u);
    EXPECT_EQ(Shown(), std::vector{Message(10000001)});
    EXPECT_EQ(request.done, 1);
  }
  // The dot size of each variant: 18, 18 and then 17 (small dots).
  EXPECT_NE(sent.find(std::string("\x1b(e\x02\x00\x00\x11", 7)), std::string::npos);
  ExpectWaitDialogsClosed();
  request.selector = 4;  // no such variant: nothing happens
  EXPECT_FALSE(RunOp(10090));
  EXPECT_EQ(request.done, 0);
}

// Whether a text band of the page begins with these glyph rows.
bool PrintsLine(const vprinter::Page& page, const std::vector<vprinter::Bytes>& glyphs) {
  for (const vprinter::PlacedBlock& placed : page.blocks) {
    const auto& rows = placed.block.rows;
    if (!glyphs.empty() && rows.size() >= glyphs.size() &&
        std::equal(glyphs.begin(), glyphs.end(), rows.begin()))
      return true;
  }
  return false;
}

// The header's first line names the firmware the printer runs, read when the run opened it.
TEST_F(ServicePrintsTest, TheHeaderNamesTheFirmwareThePrinterRuns) {
  ASSERT_TRUE(RunOp(10090));
  const std::vector<vprinter::Page> printed =
      vprinter::ReadPages(vprinter::Bytes(sent.begin(), sent.end()));
  ASSERT_EQ(printed.size(), 1u);
  // The glyph rows of the first header line as the program prints it for a firmware version.
  const auto firstLine = [this](const std::string& firmware) {
    patterns::PrintHeaderInfo info;
    info.FirmwareVersion = firmware;
    const std::string text =
        patterns::InfoHeaderText(info, Environment().versionText, clock.UnixSeconds());
    auto link = operations::MakeRunLink(Environment());
    encoder::TXSetInfo(*link, 2, 0);
    EXPECT_TRUE(encoder::PrintTextBand(*link, text.substr(0, text.find('\n') + 1), 0, 0));
    vprinter::Bytes job(link->JobData(), link->JobData() + link->JobLength());
    job.push_back(0x0C);  // the end of the page
    const std::vector<vprinter::Page> pages = vprinter::ReadPages(job);
    constexpr std::size_t kGlyphRows = 48;
    if (pages.empty() || pages[0].blocks.empty()) return std::vector<vprinter::Bytes>();
    const auto& rows = pages[0].blocks[0].block.rows;
    return std::vector<vprinter::Bytes>(rows.begin(), rows.begin() + kGlyphRows);
  };
  ASSERT_EQ(Printer()->Snapshot().firmware, "LW06B1");
  EXPECT_TRUE(PrintsLine(printed[0], firstLine("LW06B1")));
  EXPECT_FALSE(PrintsLine(printed[0], firstLine("")));
}

// Which dots of a raster block carry ink, in any of its rows.
std::vector<bool> InkedDots(const vprinter::RasterBlock& block) {
  const int dotsPerByte = 8 / block.bitsPerDot;
  const int mask = (1 << block.bitsPerDot) - 1;
  const int width = block.bytesPerLine * dotsPerByte;
  std::vector<bool> inked(static_cast<std::size_t>(width));
  for (const vprinter::Bytes& row : block.rows) {
    for (int dot = 0; dot < width; ++dot) {
      const int shift = 8 - block.bitsPerDot * (dot % dotsPerByte + 1);
      if (((row[static_cast<std::size_t>(dot / dotsPerByte)] >> shift) & mask) != 0)
        inked[static_cast<std::size_t>(dot)] = true;
    }
  }
  return inked;
}

// The runs of inked dots, as first and last dot, where runs closer than `gap` dots are one.
std::vector<std::pair<int, int>> InkedRuns(const std::vector<bool>& inked, int gap) {
  std::vector<std::pair<int, int>> runs;
  for (int dot = 0; dot < static_cast<int>(inked.size()); ++dot) {
    if (!inked[static_cast<std::size_t>(dot)]) continue;
    if (!runs.empty() && dot - runs.back().second <= gap) {
      runs.back().second = dot;
    } else {
      runs.emplace_back(dot, dot);
    }
  }
  return runs;
}

// Each colour name of the legend stands under its lane: its centre lies within the lane.
TEST_F(ServicePrintsTest, EachLegendLabelStandsUnderItsLane) {
  ASSERT_TRUE(RunOp(10090));
  const std::vector<vprinter::Page> printed =
      vprinter::ReadPages(vprinter::Bytes(sent.begin(), sent.end()));
  ASSERT_EQ(printed.size(), 1u);
  std::map<int, std::pair<double, double>> lanes;  // colour -> left and right edge, inches
  const vprinter::PlacedBlock* legend = nullptr;
  for (const vprinter::PlacedBlock& placed : printed[0].blocks) {
    if (placed.block.colour == 0) {
      if (legend == nullptr && !lanes.empty() && placed.block.lines > 1) legend = &placed;
      continue;
    }
    for (const auto& [first, last] : InkedRuns(InkedDots(placed.block), 1 << 20)) {
      const double left = placed.x + first * placed.hPitch;
      const double right = placed.x + (last + 1) * placed.hPitch;
      auto [lane, made] = lanes.try_emplace(placed.block.colour, left, right);
      lane->second = {std::min(lane->second.first, left), std::max(lane->second.second, right)};
    }
  }
  ASSERT_NE(legend, nullptr);   // the first text band after the lanes
  constexpr int kWordGap = 30;  // dots: wider than between two letters, narrower than a space
  const std::vector<std::pair<int, int>> labels = InkedRuns(InkedDots(legend->block), kWordGap);
  std::vector<std::pair<double, double>> edges;
  for (const auto& [colour, lane] : lanes) edges.push_back(lane);
  std::sort(edges.begin(), edges.end());
  ASSERT_EQ(edges.size(), 10u);
  ASSERT_EQ(labels.size(), 10u);
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const double centre =
        legend->x + (labels[i].first + labels[i].second + 1) / 2.0 * legend->hPitch;
    EXPECT_GT(centre, edges[i].first) << "label " << i;
    EXPECT_LT(centre, edges[i].second) << "label " << i;
  }
}

// A printer lost while it prints the sheet has printed nothing anyone can count on.
TEST_F(ServicePrintsTest, APrinterLostWhileItPrintsFailsThePrint) {
  request.selector = 0;
  clock.OnSleep([this] { SetFaults([](vprinter::Faults& f) { f.disconnected = true; }); });
  Mark();
  EXPECT_FALSE(RunOp(10090));
  clock.OnSleep({});
  EXPECT_EQ(request.done, 0);
  ASSERT_FALSE(Shown().empty());
  EXPECT_EQ(Shown().back(), Message(90000005));
  ExpectWaitDialogsClosed();
}

TEST_F(ServicePrintsTest, TheNozzleCheckFileGoesThroughACopyThatIsRemoved) {
  const std::string job(2000, '\x0D');  // two kilobytes of carriage returns: nothing to print
  folder.Write("Prnfile/NOZ_Check_Dossa.prn", job);
  request.selector = 3;
  const auto before = Printer()->BytesReceived();
  Mark();
  ASSERT_TRUE(RunOp(10090));
  EXPECT_EQ(Printer()->BytesReceived() - before, job.size());
  EXPECT_EQ(Shown(), std::vector<ShownMessage>{});
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder / "Prnfile"))
    ++files;
  EXPECT_EQ(files, 1u);  // the copy is gone, the shipped file stays
  EXPECT_EQ(folder.Read("Prnfile/NOZ_Check_Dossa.prn"), job);
  // Without the file the technician is told.
  std::filesystem::remove(folder / "Prnfile/NOZ_Check_Dossa.prn");
  Mark();
  EXPECT_FALSE(RunOp(10090));
  EXPECT_EQ(Shown(), std::vector{Message(90000007)});
  ExpectWaitDialogsClosed();
}

TEST_F(ServicePrintsTest, InspectionSheetsPrintAndCount) {
  Poke(129, {4});
  Mark();
  ASSERT_TRUE(RunOp(10110));
  EXPECT_EQ(Printer()->PagesPrinted(), 1);
  EXPECT_GE(Printer()->PageDots().back().size(), 10u);  // the staircase of every head row
  EXPECT_EQ(Peek(129, 1), vprinter::Bytes{5});
  EXPECT_EQ(Shown(), std::vector{Message(10000001)});
  EXPECT_EQ(request.done, 1);
  ASSERT_TRUE(RunOp(10120));
  EXPECT_EQ(Printer()->PagesPrinted(), 2);
  // A header that cannot be read prints nothing.
  SetFaults(
      [](vprinter::Faults& f) { f.readFailFrom = f.readFailTo = driver::nvram::kBlackInkKind; });
  Mark();
  EXPECT_FALSE(RunOp(10110));
  EXPECT_EQ(Shown(), std::vector{Message(90000005)});
  EXPECT_EQ(Printer()->PagesPrinted(), 2);
}

TEST_F(ServicePrintsTest, AdjustmentSheetsPrintWithoutAMessage) {
  Mark();
  ASSERT_TRUE(RunOp(10040));
  EXPECT_GE(Printer()->PagesPrinted(), 1);
  EXPECT_EQ(request.done, 0);
  EXPECT_EQ(request.printFinished, 0);
  const int pages = Printer()->PagesPrinted();
  ASSERT_TRUE(RunOp(10340));
  EXPECT_EQ(Printer()->PagesPrinted(), pages + 1);
  EXPECT_EQ(request.printFinished, 1);
  EXPECT_EQ(Shown(), std::vector<ShownMessage>{});
  ExpectWaitDialogsClosed();
}

// Each measurement charts its values against the limits, saved beside the service record and
// shown; a bar fails exactly where its value is outside its limits, and the verdict carries the
// judgement code the run left.
TEST_F(ServicePrintsTest, MotorMeasurementsJudgeTheMotorsAndChartTheirValues) {
  Mark();
  ASSERT_TRUE(RunOp(10060));
  ASSERT_TRUE(RunOp(10190));
  EXPECT_EQ(Shown(), (std::vector{Message(10000001), Message(10000001)}));
  auto charts = ui.Charts();
  ASSERT_EQ(charts.size(), 2u);
  const vprinter::Bytes serial = Peek(driver::nvram::kSerialNumber, driver::nvram::kSerialLength);
  const std::string beside =
      Environment().folders.csv + "/" + std::string(serial.begin(), serial.end()) + "_2023-11-14_";
  EXPECT_EQ(charts[0].first.rfind(beside, 0), 0u) << charts[0].first;
  EXPECT_EQ(charts[0].first.substr(charts[0].first.size() - 11), "_210060.png");
  EXPECT_EQ(charts[1].first.substr(charts[1].first.size() - 11), "_210190.png");
  // Each against its own motor's limits.
  printer::ModelTestSettings limits;
  ASSERT_TRUE(printer::ApplyTestSettings(driver::FindModel("LW")->testSettings, limits));
  EXPECT_EQ(charts[0].second.bars[0].max, limits.CrMeasure.CurH_Max);
  EXPECT_EQ(charts[1].second.bars[0].max, limits.PfMeasure.CurH_Max);
  EXPECT_EQ(charts[1].second.bars[3].min, limits.PfMeasure.TiH_Min);
  for (const auto& [path, chart] : charts) {
    EXPECT_EQ(chart.verdict, "Passed");
    ASSERT_EQ(chart.bars.size(), 9u);
    for (const ui::ChartBar& bar : chart.bars) EXPECT_TRUE(bar.passed) << bar.label;
  }
  EXPECT_EQ(ui.Calls(ui::UiCallKind::Picture).back().text, "PF motor load | " + charts[1].first);

  SetFaults([](vprinter::Faults& f) { f.motorFails = true; });
  Mark();
  EXPECT_FALSE(RunOp(10060));
  EXPECT_EQ(Shown(), std::vector{Message(90000005)});
  EXPECT_EQ(request.done, 0);
  ExpectWaitDialogsClosed();
  charts = ui.Charts();
  ASSERT_EQ(charts.size(), 3u);
  const ui::Chart& failed = charts[2].second;
  EXPECT_EQ(failed.verdict, "Failed: " + std::to_string(request.lastError));
  for (const ui::ChartBar& bar : failed.bars)
    EXPECT_EQ(bar.passed, bar.value >= bar.min && bar.value <= *bar.max) << bar.label;

  // A current below its minimum and a time above its maximum: those two bars fail, and the
  // verdict is the later test's code.
  SetFaults([](vprinter::Faults& f) { f.motorFails = false; });
  for (const auto& [mode, current, time] : {std::tuple{4, 279, 2496},
                                            {1, 279, 2496},
                                            {6, 567, 3902},
                                            {3, 567, 3902},
                                            {5, 599, 1051},
                                            {2, 599, 1051}})
    Printer()->SetMotorReading(1, mode, current, time);
  EXPECT_FALSE(RunOp(10060));
  const ui::Chart judged = ui.Charts().back().second;
  EXPECT_EQ(judged.verdict, "Failed: -983");
  std::vector<std::string> failing;
  for (const ui::ChartBar& bar : judged.bars)
    if (!bar.passed) failing.push_back(bar.label);
  EXPECT_EQ(failing, (std::vector<std::string>{"Current_H", "aveTi_L"}));
  // The record keeps the nine values as measurements of the run, judged as the chart shows them.
  const std::vector<std::string> measured = RecordedMeasurements();
  ASSERT_EQ(measured.size(), 9u);
  for (std::size_t i = 0; i < judged.bars.size(); ++i) {
    const ui::ChartBar& bar = judged.bars[i];
    EXPECT_EQ(measured[i], "CR " + bar.label + " " + std::to_string(bar.value) + " [" +
                               std::to_string(bar.min) + ", " + std::to_string(*bar.max) + "] " +
                               (bar.passed ? "pass" : "fail"));
  }
}

// The chart is saved under the serial number read after the run; a serial that cannot be read
// leaves the run's own result code alone, in the request and in the record.
TEST_F(ServicePrintsTest, SavingAChartLeavesTheRunsErrorCodeAlone) {
  SetFaults([](vprinter::Faults& f) {
    f.motorFails = true;
    f.readFailFrom = driver::nvram::kSerialNumber;
    f.readFailTo = driver::nvram::kSerialNumber;
  });
  EXPECT_FALSE(RunOp(10060));
  const int judged = request.lastError;
  EXPECT_LT(judged, -900);  // the judgement's code, not the failed read's
  EXPECT_NE(judged, driver::kDrvReadFailed);
  EXPECT_EQ(ui.Charts().back().second.verdict, "Failed: " + std::to_string(judged));
  const auto rows = record::ReadServiceRecord(Environment().folders.csv, "");
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0].lastError, judged);
}

TEST_F(ServicePrintsTest, WithoutTheServiceRecordNothingIsCharted) {
  settings.nServiceRecord = 0;
  ASSERT_TRUE(RunOp(10060));
  EXPECT_TRUE(ui.Charts().empty());
  EXPECT_TRUE(ui.Calls(ui::UiCallKind::Picture).empty());
}

TEST_F(ServicePrintsTest, TheNetworkNozzleCheckIsThirtyFixedBytesToTheDaemon) {
  testing_support::LpdReceiver daemon;
  ASSERT_TRUE(SendNetworkNozzleCheckTo(daemon.Port()));
  EXPECT_TRUE(request.operationSucceeded);
  EXPECT_EQ(request.done, 1);
  const std::string& job = testing_support::kNetworkNozzleCheckJob;
  const std::string received = daemon.Received();
  ASSERT_GE(received.size(), job.size());
  EXPECT_EQ(received.substr(received.size() - job.size()), job);
  EXPECT_EQ(Shown(), std::vector<ShownMessage>{});
  EXPECT_EQ(Printer()->BytesReceived(), 0u);  // the USB printer is not involved
  // Recorded without model and serial number: no USB session could read them.
  const auto record = record::ReadServiceRecord(Environment().folders.csv, "");
  ASSERT_EQ(record.size(), 1u);
  EXPECT_EQ(record[0].functionNumber, 210370);
  EXPECT_EQ(record[0].result, record::kRecordDone);
  EXPECT_EQ(record[0].serial, "");
}

// With the spooler setting the same thirty bytes go out framed for a spooler, and a spooler that
// refuses the finished file makes the run fail.
TEST_F(ServicePrintsTest, TheSpoolerSettingFramesTheJobForASpooler) {
  testing_support::LpdReceiver spooler(testing_support::LpdReceiver::Behaviour{.dataAck = '\1'});
  settings.nLpdSpooler = 1;
  EXPECT_TRUE(SendNetworkNozzleCheckTo(spooler.Port()));
  EXPECT_FALSE(request.operationSucceeded);
  EXPECT_EQ(request.done, 0);
  ASSERT_FALSE(Shown().empty());
  EXPECT_EQ(Shown().back(), Message(90000005));
  const std::string received = spooler.Received();
  EXPECT_NE(received.find("\x03"
                          "30 dfA002GRELT02\n"),
            std::string::npos);
  EXPECT_TRUE(received.ends_with(std::string("\x1B\x40\x1B\x40\0", 5)));
}

TEST_F(ServicePrintsTest, AnUnreachableNetworkPrinterIsReported) {
  int port = 0;
  const int listener = testing_support::ListenOnLoopback(port);
  ::close(listener);  // nobody listens there now
  EXPECT_TRUE(SendNetworkNozzleCheckTo(port));
  EXPECT_FALSE(request.operationSucceeded);
  ASSERT_FALSE(Shown().empty());
  EXPECT_EQ(Shown().back(), Message(90000005));
  EXPECT_EQ(request.done, 0);
}

TEST_F(ServicePrintsTest, TheFeedCheckPrintsThePrintersCorrection) {
  Poke(driver::nvram::kFeedScale, Long(1000000));
  Poke(driver::nvram::kFeedLength, Long(990600));
  Poke(driver::nvram::kBlackInkKind, {0});
  Mark();
  ASSERT_TRUE(RunOp(10170));
  EXPECT_EQ(Printer()->PagesPrinted(), 1);
  EXPECT_GT(Printer()->PageDots().back().at(0x00), 1000u);  // blocks, percentage and header
  EXPECT_EQ(request.printerInfo.BlackInkKind, "Pk");
  EXPECT_EQ(Shown(), std::vector<ShownMessage>{});
  EXPECT_EQ(
      RecordedMeasurements(),
      std::vector<std::string>{
          "Feed correction " +
          record::NumberText(1000000 / 10000.0 * (driver::nvram::kFeedLengthNominal / 990600.0)) +
          "% [-, -] pass"});
  // The remote part of the page: MI (254, 99) and four SN settings.
  EXPECT_NE(sent.find(std::string("MI\x04\x00\x00\x01\xFE\x63SN\x03\x00\x00\x01\x03SN\x03\x00"
                                  "\x00\x04\x69SN\x03\x00\x00\x82\x47SN\x03\x00\x00\x03\x00",
                                  36)),
            std::string::npos);
  // Without a length there is no percentage to print.
  Poke(driver::nvram::kFeedLength, Long(0));
  EXPECT_FALSE(RunOp(10170));
  EXPECT_EQ(request.lastError, -938);
  EXPECT_EQ(Printer()->PagesPrinted(), 1);
  ExpectWaitDialogsClosed();
}

TEST_F(ServicePrintsTest, TheImsCheckPrintsItsPageAndReportsTheMarks) {
  const std::string page(1500, '\x0D');
  folder.Write("Prnfile/IMS_MechaAdjust_CE39_OQC_NC_RevA.prn", page);
  Mark();
  ASSERT_TRUE(RunOp(10280));
  EXPECT_EQ(Shown(), std::vector{Message(10000001)});
  EXPECT_EQ(request.done, 1);
  EXPECT_NE(request.lastError, -967);
  EXPECT_EQ(Printer()->PagesPrinted(), 2);                 // the paper check page and the report
  EXPECT_GT(Printer()->PageDots().back().at(0x00), 500u);  // the report line and the header
  EXPECT_NE(sent.find(page), std::string::npos);
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder / "Prnfile"))
    ++files;
  EXPECT_EQ(files, 1u);
  // Marks out of place: the report says NG, the print still ends as printed.
  const std::vector<std::string> good = RecordedMeasurements();
  ASSERT_EQ(good.size(), 4u);
  EXPECT_TRUE(good[0].starts_with("IMS paper reading ") && good[0].ends_with(" [190, 245] pass"));
  EXPECT_TRUE(good[1].starts_with("IMS paper count ") && good[1].ends_with(" [2, -] pass"));
  EXPECT_EQ(good[2], "IMS check 1 0 [0, 0] pass");
  EXPECT_TRUE(good[3].starts_with("IMS check 2 ") && good[3].ends_with(" [4, 5] pass"));
  SetFaults([](vprinter::Faults& f) { f.imsMarksFail = true; });
  ASSERT_TRUE(RunOp(10280));
  EXPECT_EQ(request.lastError, -967);
  EXPECT_EQ(request.done, 1);
  const std::vector<std::string> marks = RecordedMeasurements();
  ASSERT_EQ(marks.size(), 4u);
  EXPECT_TRUE(marks[2].ends_with("fail") || marks[3].ends_with("fail"));
  // Paper outside 190..245: the check stops before the page is sent.
  for (const int reading : {189, 246}) {
    SetFaults([reading](vprinter::Faults& f) { f.imsPaperReading = reading; });
    sent.clear();
    Mark();
    EXPECT_FALSE(RunOp(10280)) << reading;
    EXPECT_EQ(request.lastError, -970);
    EXPECT_EQ(sent.find(page), std::string::npos);
    EXPECT_EQ(Shown(), std::vector<ShownMessage>{});
    EXPECT_EQ(RecordedMeasurements().front(),
              "IMS paper reading " + std::to_string(reading) + " [190, 245] fail");
  }
  for (const int reading : {190, 245}) {
    SetFaults([reading](vprinter::Faults& f) { f.imsPaperReading = reading; });
    EXPECT_TRUE(RunOp(10280)) << reading;
  }
  ExpectWaitDialogsClosed();
}

}  // namespace
