// Run-length compression of raster rows: typical pattern rows, random bytes, alternating pairs and
// the rows the service sheets send, each with the SSE2 and the portable compressor and beside a
// memcpy of the same rows; and the time to fill a 16 MiB job.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "encoder/compression.h"
#include "patterns/adjustment_sheets.h"
#include "patterns/nozzle_check.h"
#include "printer/printer_link.h"
#include "sheet_link.h"
#include "support/fake_driver.h"
#include "ui/scripted_ui_services.h"
#include "vprinter/command_parser.h"

namespace {

constexpr std::size_t kRowBytes = 1512;
constexpr std::size_t kRows = 512;

// The kinds of rows measured.
enum Kind { kPattern, kRandom, kPairs, kSheets };

std::vector<std::uint8_t> Rows(int kind) {
  std::vector<std::uint8_t> rows(kRowBytes * kRows);
  std::mt19937 random(7);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    switch (kind) {
      case kPattern: rows[i] = (i % 160 < 3) ? 0xC0 : 0x00; break;  // long zero runs, short marks
      case kRandom: rows[i] = static_cast<std::uint8_t>(random()); break;
      default: rows[i] = static_cast<std::uint8_t>((i / 2) % 2 == 0 ? 0x55 : 0xAA); break;
    }
  }
  return rows;
}

// Every raster row the service sheets send (both inspection sheets, the nozzle check, the line
// and the mechanical sheet), as the printer decodes them.
std::vector<std::vector<std::uint8_t>> SheetRows() {
  bench_support::SheetLink sheet;
  printer::CPrinterLink& link = sheet.link;
  patterns::PrintInspectionSheet1(link, sheet.header, "1.00");
  patterns::PrintInspectionSheet2(link, sheet.header, "1.00");
  patterns::AppendNozzleCheckLanes(link, 1) && link.FlushJob();
  patterns::PrintLineSheet(link, sheet.header, "1.00");
  patterns::PrintMechanicalSheet(link, sheet.header, "1.00");
  struct Collect : vprinter::CommandSink {
    std::vector<std::vector<std::uint8_t>> rows;
    void OnRaster(const vprinter::RasterBlock& block) override {
      rows.insert(rows.end(), block.rows.begin(), block.rows.end());
    }
  } collect;
  vprinter::CommandParser(collect).Feed(sheet.driver.received.data(), sheet.driver.received.size());
  return collect.rows;
}

std::vector<std::vector<std::uint8_t>> RowsOf(int kind) {
  if (kind == kSheets) return SheetRows();
  const std::vector<std::uint8_t> all = Rows(kind);
  std::vector<std::vector<std::uint8_t>> rows;
  for (std::size_t r = 0; r < kRows; ++r)
    rows.emplace_back(all.begin() + static_cast<std::ptrdiff_t>(r * kRowBytes),
                      all.begin() + static_cast<std::ptrdiff_t>((r + 1) * kRowBytes));
  return rows;
}

std::size_t TotalBytes(const std::vector<std::vector<std::uint8_t>>& rows) {
  std::size_t total = 0;
  for (const auto& row : rows) total += row.size();
  return total;
}

template <std::size_t (*compress)(const std::uint8_t*, std::size_t, std::uint8_t*)>
void Compress(benchmark::State& state) {
  const auto rows = RowsOf(static_cast<int>(state.range(0)));
  std::size_t widest = 0;
  for (const auto& row : rows) widest = std::max(widest, row.size());
  // The output sits half a page away from the rows' offsets, as a job buffer of its own would
  // on average: equal page offsets make the processor wait on false store-to-load dependencies.
  std::vector<std::uint8_t> out(encoder::MaxCompressedSize(widest) + 4096);
  std::uint8_t* target =
      out.data() + (2048 + 4096 - reinterpret_cast<std::uintptr_t>(out.data()) % 4096) % 4096;
  for (auto _ : state) {
    for (const auto& row : rows) benchmark::DoNotOptimize(compress(row.data(), row.size(), target));
  }
  state.counters["rows"] = static_cast<double>(rows.size());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TotalBytes(rows)));
}
#define ROW_KINDS                                                  \
  Arg(kPattern)->Arg(kRandom)->Arg(kPairs)->Arg(kSheets)->ArgName( \
      "rows(0=pattern,1=random,2=pairs,3=sheets)")
BENCHMARK(Compress<encoder::CompressRow>)->Name("Compress")->ROW_KINDS;
BENCHMARK(Compress<encoder::CompressRowPortable>)->Name("CompressPortable")->ROW_KINDS;

// The reference: the same rows copied as they are.
void Memcpy(benchmark::State& state) {
  const auto rows = RowsOf(static_cast<int>(state.range(0)));
  std::vector<std::uint8_t> out(kRowBytes * 8);
  for (auto _ : state) {
    for (const auto& row : rows) {
      std::memcpy(out.data(), row.data(), std::min(row.size(), out.size()));
      benchmark::ClobberMemory();
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TotalBytes(rows)));
}
BENCHMARK(Memcpy)->ROW_KINDS;

void Fill16MiBJob(benchmark::State& state) {
  settings::AppSettings settings;
  ui::ScriptedUiServices ui;
  platform::FakeClock clock;
  printer::CPrinterLink link(printer::LinkEnvironment{settings, ui, clock},
                             std::make_unique<testing_support::FakeDriver>());
  const std::vector<std::uint8_t> rows = Rows(kPattern);
  std::int64_t input = 0;
  for (auto _ : state) {
    link.ClearJob();
    for (std::size_t r = 0;; r = (r + 1) % kRows) {
      if (!encoder::AppendCompressed(link, rows.data() + r * kRowBytes, kRowBytes)) break;
      input += kRowBytes;
    }
  }
  state.SetBytesProcessed(input);
}
BENCHMARK(Fill16MiBJob)->Unit(benchmark::kMillisecond);

}  // namespace
