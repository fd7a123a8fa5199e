// Building whole sheets: the time from the first command to the last byte handed to the library
// (which takes everything at once here), and the bytes each sheet sends.

#include <benchmark/benchmark.h>

#include <vector>

#include "patterns/adjustment_sheets.h"
#include "patterns/nozzle_check.h"
#include "sheet_link.h"

namespace {

template <typename Print>
void Sheet(benchmark::State& state, Print print) {
  bench_support::SheetLink sheet;
  printer::CPrinterLink& link = sheet.link;
  testing_support::FakeDriver& driver = sheet.driver;
  patterns::PrintHeaderInfo& header = sheet.header;
  std::size_t sent = 0;
  for (auto _ : state) {
    driver.received.clear();
    driver.calls.clear();
    if (!print(link, header)) state.SkipWithError("the sheet failed");
    sent = driver.received.size();
  }
  state.counters["bytes"] = static_cast<double>(sent);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sent));
}

void NozzleCheck(benchmark::State& state) {
  Sheet(state, [](printer::CPrinterLink& link, patterns::PrintHeaderInfo& header) {
    return patterns::AppendNozzleCheckLanes(link, 1) && link.FlushJob() &&
           patterns::AppendNozzleCheckFooter(link, header, "1.00") && link.FlushJob();
  });
}
void InspectionSheet1(benchmark::State& state) {
  Sheet(state, [](printer::CPrinterLink& link, patterns::PrintHeaderInfo& header) {
    return patterns::PrintInspectionSheet1(link, header, "1.00");
  });
}
void InspectionSheet2(benchmark::State& state) {
  Sheet(state, [](printer::CPrinterLink& link, patterns::PrintHeaderInfo& header) {
    return patterns::PrintInspectionSheet2(link, header, "1.00");
  });
}
void LineSheet(benchmark::State& state) {
  Sheet(state, [](printer::CPrinterLink& link, patterns::PrintHeaderInfo& header) {
    return patterns::PrintLineSheet(link, header, "1.00");
  });
}

void MechanicalSheet(benchmark::State& state) {
  Sheet(state, [](printer::CPrinterLink& link, patterns::PrintHeaderInfo& header) {
    return patterns::PrintMechanicalSheet(link, header, "1.00");
  });
}
// The reference the sheets are measured against: the bytes of the largest sheet (inspection
// sheet 2) written into memory once, as the library takes them.
void WriteSheetBytes(benchmark::State& state) {
  const std::vector<std::uint8_t> job(1'462'180, 0x5A);
  std::vector<std::uint8_t> into;
  for (auto _ : state) {
    into.assign(job.begin(), job.end());
    benchmark::DoNotOptimize(into.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * job.size()));
}

void FeedCheckBlocks(benchmark::State& state) {
  Sheet(state, [](printer::CPrinterLink& link, patterns::PrintHeaderInfo&) {
    return patterns::PrintFeedCheckBlocks(link) && link.FlushJob();
  });
}

BENCHMARK(NozzleCheck)->Unit(benchmark::kMillisecond);
BENCHMARK(InspectionSheet1)->Unit(benchmark::kMillisecond);
BENCHMARK(InspectionSheet2)->Unit(benchmark::kMillisecond);
BENCHMARK(LineSheet)->Unit(benchmark::kMillisecond);
BENCHMARK(MechanicalSheet)->Unit(benchmark::kMillisecond);
BENCHMARK(FeedCheckBlocks)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteSheetBytes)->Unit(benchmark::kMillisecond);

}  // namespace
