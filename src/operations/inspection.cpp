// Inspections: the AID inspection of the ink supply.
//
// Operations:
//   210390  InspectAid (variant 0)
//   210391  InspectAid (variant 1: the printer keeps the result when the technician agrees)

#include <array>
#include <cstdio>
#include <optional>
#include <span>
#include <vector>

#include "driver/nvram_map.h"
#include "encoder/factory_commands.h"
#include "operations/measured_charts.h"
#include "operations/service_operations.h"
#include "operations/shared_steps.h"

namespace operations {
namespace {

namespace nv = driver::nvram;

constexpr int kMsgPassed = 11039001;
constexpr int kMsgAskKeep = 11039101;
constexpr int kMsgFailedFirst = 91039001;
constexpr int kMsgFailedLater = 91039002;
constexpr int kMsgStayedWeak = 91039003;
// No catalogue entries exist for the two time-outs; a technician still has to know why the
// inspection ended.
constexpr const char* kNotBegun = "AID inspection was not begun.";
constexpr const char* kNotEnded = "AID inspection did not end.";

constexpr int kStartPolls = 60;
constexpr int kRunPolls = 900;
constexpr int kRuns = 3;
constexpr int kPassed = 1;
constexpr int kFirstFunction = 210390;  // variant 0; variant 1 is the next

using Results = std::array<int, 10>;

// A catalogue text with its %d, %X and %02X fields filled in order. The text comes from a file,
// so it is never used as a format itself.
std::string FillNumbers(const std::string& text, std::span<const int> numbers) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool field = text[i] == '%' && next < numbers.size();
    const std::size_t width =
        field && text.compare(i, 4, "%02X") == 0                                    ? 4
        : field && (text.compare(i, 2, "%d") == 0 || text.compare(i, 2, "%X") == 0) ? 2
                                                                                    : 0;
    if (width == 0) {
      out += text[i];
      continue;
    }
    char number[16];
    std::snprintf(number, sizeof number,
                  width == 4           ? "%02X"
                  : text[i + 1] == 'X' ? "%X"
                                       : "%d",
                  numbers[next++]);
    out += number;
    i += width - 1;
  }
  return out;
}

std::string ReasonOf(int code) {
  switch (code) {
    case 0x10: return "10h : Inspection error\n";
    case 0x13: return "13h : Inspection not finished\n";
    case 0x14: return "14h : High pressure leak\n";
    case 0x20: return "20h : Fatal error\n";
    default: return "Other errors\n";
  }
}

class AidInspection {
public:
  AidInspection(OperationRun& run, int variant)
      : run_(run), link_(run.link), variant_(variant), settings_(run.link.TestSettings()) {}

  // The inspection, then the chart of the runs it judged against the limit.
  bool Run() {
    const bool passed = Inspect();
    const std::string title =
        run_.request.itemTitle.empty() ? "AID inspection" : run_.request.itemTitle;
    ShowMeasuredChart(run_, kFirstFunction + variant_,
                      AidChart(title, sums_, settings_.AidLimit,
                               passed ? "Passed" : "Failed: " + run_.request.aidJudgement));
    return passed;
  }

private:
  enum class Ended { Yes, NotBegun, NotEnded, Broken };

  bool Inspect() {
    wait_.emplace(run_.env.ui, ItemText(run_.request, 1));
    if (!Prepare()) return false;
    Results first{};
    if (const auto ended = InspectOnce(true, first); ended != Ended::Yes) return GiveUp(ended);
    if (!KeepResultCode(1)) return Failed(kMsgFailedFirst);
    for (int run = 2; run <= kRuns; ++run) {
      Results results{};
      if (const auto ended = InspectOnce(false, results); ended != Ended::Yes) return GiveUp(ended);
      if (!KeepResultCode(run)) return Failed(kMsgFailedLater);
      int sum = 0;
      for (const int r : results) sum += r;
      sums_.push_back(sum);
      const std::string name = "AID run " + std::to_string(run) + " sum";
      if (run_.env.measurements.Add(record::Judge(name, sum, "", settings_.AidLimit, {})))
        return Passed(first);
      run_.request.aidJudgement = "NG3";
    }
    wait_.reset();
    Stop(2);
    run_.env.catalogue.ShowMessageById(kMsgStayedWeak, ui::kOk);
    link_.SetLastError(0);
    return false;
  }

  // The run's result code as a measurement: the printer's own verdict, passed at 1.
  bool KeepResultCode(int run) {
    const std::string name = "AID run " + std::to_string(run) + " result";
    return run_.env.measurements.Add(record::Judge(name, resultCode_, "", kPassed, kPassed));
  }

  bool Prepare() {
    const bool queued =
        encoder::Factory7D_10EF08(link_, 100) && encoder::Factory7D_807F40(link_, 0) &&
        encoder::Factory7D_47B8A3(link_, 1) && encoder::Factory7D_03FC81(link_, 3) &&
        encoder::Factory7D_06F903(link_, 1, 7) && encoder::Factory7D_42BD21(link_, 1, 0, 0) &&
        encoder::Factory7D_41BEA0(link_, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0) &&
        encoder::Factory7D_01FE80(link_, 5, settings_.CrAidPos);
    if (!queued) return false;
    if (variant_ == 0) return true;
    return link_.WritePrdNvram(nv::kAidKeptResult, 0xE0) && encoder::Factory7C_08F704(link_, 0) &&
           link_.FlushJob();
  }

  // One run: started, begun within a minute, ended within fifteen, its results read.
  Ended InspectOnce(bool first, Results& results) {
    const bool queued = first ? encoder::Factory7D_649B32(link_, 1)
                              : encoder::Factory7D_03FC81(link_, 3) &&
                                    encoder::Factory7D_01FE80(link_, 5, settings_.CrAidPos) &&
                                    encoder::Factory7D_649B32(link_, 0);
    if (!queued || !link_.FlushJob()) return Ended::Broken;
    if (!link_.WaitForStatus(kStartPolls, driver::kStatusWorking, -1)) return Ended::NotBegun;
    if (!link_.WaitForStatus(kRunPolls, kStatusReady, -1)) return Ended::NotEnded;
    std::uint8_t bytes[20];
    std::uint8_t code = 0;
    if (!link_.ReadPrdNvramMulti(nv::kAidResults, 20, bytes) ||
        !link_.ReadPrdNvram(nv::kAidResultCode, code))
      return Ended::Broken;
    for (std::size_t i = 0; i < results.size(); ++i) {
      results[i] = bytes[2 * i] | bytes[2 * i + 1] << 8;
      run_.request.shownValues[i] = results[i];
    }
    resultCode_ = code;
    return Ended::Yes;
  }

  bool Stop(int where) {
    return encoder::Factory7D_10EF08(link_, 0) &&
           encoder::Factory7D_01FE80(link_, where, settings_.CrRestPos) &&
           encoder::Factory7D_807F40(link_, 1) && link_.FlushJob();
  }

  // A run that never began or never ended: the head is parked and the technician told.
  bool GiveUp(Ended ended) {
    wait_.reset();
    if (ended == Ended::Broken) return false;
    if (Stop(0)) link_.SetLastError(0);
    run_.env.ui.MessageBox(ended == Ended::NotBegun ? kNotBegun : kNotEnded, ui::kApplicationTitle,
                           ui::kOk | ui::kIconError);
    return false;
  }

  bool Failed(int message) {
    wait_.reset();
    Stop(2);
    std::string text;
    run_.env.catalogue.LookupMessage(message, text);
    const int code[1] = {resultCode_};
    run_.env.ui.MessageBox(FillNumbers(text, code) + ReasonOf(resultCode_), ui::kApplicationTitle,
                           ui::kOk | ui::kIconError);
    link_.SetLastError(0);
    return false;
  }

  bool Passed(const Results& first) {
    Stop(0);
    run_.request.aidJudgement = "OK";
    wait_.reset();
    std::string text;
    run_.env.catalogue.LookupMessage(kMsgPassed, text);
    run_.env.ui.MessageBox(FillNumbers(text, first), ui::kApplicationTitle,
                           ui::kOk | ui::kIconInformation);
    run_.request.done = 1;
    if (variant_ == 1 &&
        run_.env.catalogue.ShowMessageById(kMsgAskKeep, ui::kYesNo) == ui::kAnswerYes)
      return KeepResult();
    link_.SetLastError(0);
    return true;
  }

  // A result the technician asked to keep and the printer did not take is told of: the head
  // passed, but the printer still holds the "under way" mark.
  bool KeepResult() {
    std::uint8_t result = 0;
    if (link_.ReadPrdNvram(nv::kAidStoredResult, result) &&
        link_.WritePrdNvram(nv::kAidKeptResult, result) && encoder::Factory7C_08F704(link_, 0) &&
        link_.FlushJob()) {
      link_.SetLastError(0);
      return true;
    }
    run_.env.catalogue.ShowMessageById(kMsgPrinterFailed, ui::kOk);
    return false;
  }

  OperationRun& run_;
  printer::CPrinterLink& link_;
  const int variant_;
  const printer::ModelTestSettings& settings_;
  std::optional<ScopedWaitDialog> wait_;
  int resultCode_ = 0;
  std::vector<int> sums_;  // of the runs judged against the limit
};

}  // namespace

void AddInspectionOperations(OperationTable& table) {
  table.Add(kFirstFunction, "InspectAid",
            [](OperationRun& run) { return AidInspection(run, 0).Run(); });
  table.Add(kFirstFunction + 1, "InspectAid",
            [](OperationRun& run) { return AidInspection(run, 1).Run(); });
}

}  // namespace operations
