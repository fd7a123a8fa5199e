#include "operations/measured_charts.h"

#include <filesystem>

#include "operations/service_record.h"
#include "printer/link_errors.h"

namespace operations {
namespace {

// The first six tests judge measured values; the rest judge what is computed from them.
constexpr std::size_t kMeasuredTests = 6;

// The tests that say something of these values.
std::vector<patterns::JudgedValue> MeaningfulTests(const patterns::MotorValues& values,
                                                   const printer::MotorMeasureSettings& limits) {
  std::vector<patterns::JudgedValue> judged = patterns::JudgedMotorValues(values, limits);
  if (!values.divisible) judged.resize(kMeasuredTests);
  return judged;
}

}  // namespace

void KeepMotorValues(OperationRun& run, const std::string& motor,
                     const patterns::MotorValues& values,
                     const printer::MotorMeasureSettings& limits) {
  for (const patterns::JudgedValue& test : MeaningfulTests(values, limits))
    run.env.measurements.Add(
        {motor + " " + test.name, double(test.value), "", double(test.min), double(test.max),
         test.Code() == printer::kLinkFresh ? record::kVerdictPass : record::kVerdictFail});
}

ui::Chart MotorChart(const std::string& title, const patterns::MotorValues& values,
                     const printer::MotorMeasureSettings& limits) {
  const int code = patterns::JudgeMotorValues(values, limits);
  ui::Chart chart{
      title, code == printer::kLinkFresh ? "Passed" : "Failed: " + std::to_string(code), {}};
  for (const patterns::JudgedValue& test : MeaningfulTests(values, limits))
    chart.bars.push_back(
        {test.name, test.value, test.min, test.max, test.Code() == printer::kLinkFresh});
  return chart;
}

ui::Chart AidChart(const std::string& title, const std::vector<int>& runSums, int limit,
                   const std::string& verdict) {
  ui::Chart chart{title, verdict, {}};
  for (std::size_t i = 0; i < runSums.size(); ++i)
    chart.bars.push_back(
        {"Run " + std::to_string(i + 2), runSums[i], limit, std::nullopt, runSums[i] >= limit});
  return chart;
}

void ShowMeasuredChart(OperationRun& run, int functionNumber, const ui::Chart& chart) {
  if (!ServiceRecordOn(run.env) || chart.bars.empty()) return;
  const std::string time = record::RecordTime(run.env.clock.UnixSeconds());
  // The run's LastError is its result: reading the serial number must not change it.
  const int lastError = run.link.LastError();
  const std::string serial = ReadRecordSerial(run.link);
  run.link.SetLastError(lastError);
  const std::string path =
      record::ServiceRecordChart(run.env.folders.csv, serial, time, functionNumber);
  std::error_code ignored;  // a folder that cannot be made fails the save below, which tells
  std::filesystem::create_directories(run.env.folders.csv, ignored);
  std::string error;
  if (!run.env.ui.SaveChart(chart, path, &error)) {
    run.env.ui.MessageBox("The chart could not be saved.\n" + error, ui::kApplicationTitle,
                          ui::kOk | ui::kIconWarning);
    return;
  }
  run.env.ui.ShowPicture(path, chart.title, ui::PictureFit::WholeInWindow);
}

}  // namespace operations
