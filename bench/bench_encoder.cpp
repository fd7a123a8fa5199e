// Run-length compression of raster rows: typical pattern rows, random bytes and alternating
// pairs, each beside a memcpy of the same rows; and the time to fill a 16 MiB job.

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "encoder/compression.h"
#include "printer/printer_link.h"
#include "support/fake_driver.h"
#include "ui/scripted_ui_services.h"

namespace {

constexpr std::size_t kRowBytes = 1512;
constexpr std::size_t kRows = 512;

std::vector<std::uint8_t> Rows(int kind) {
  std::vector<std::uint8_t> rows(kRowBytes * kRows);
  std::mt19937 random(7);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    switch (kind) {
      case 0: rows[i] = (i % 160 < 3) ? 0xC0 : 0x00; break;  // long zero runs, short marks
      case 1: rows[i] = static_cast<std::uint8_t>(random()); break;
      default: rows[i] = static_cast<std::uint8_t>((i / 2) % 2 == 0 ? 0x55 : 0xAA); break;
    }
  }
  return rows;
}

void Compress(benchmark::State& state) {
  const std::vector<std::uint8_t> rows = Rows(static_cast<int>(state.range(0)));
  // The output sits half a page away from the rows' offsets, as a job buffer of its own would
  // on average: equal page offsets make the processor wait on false store-to-load dependencies.
  std::vector<std::uint8_t> out(encoder::MaxCompressedSize(kRowBytes) + 4096);
  std::uint8_t* target =
      out.data() + (2048 + 4096 - reinterpret_cast<std::uintptr_t>(out.data()) % 4096 +
                    reinterpret_cast<std::uintptr_t>(rows.data()) % 4096) %
                       4096;
  for (auto _ : state) {
    for (std::size_t r = 0; r < kRows; ++r) {
      benchmark::DoNotOptimize(
          encoder::CompressRow(rows.data() + r * kRowBytes, kRowBytes, target));
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rows.size()));
}
BENCHMARK(Compress)->Arg(0)->Arg(1)->Arg(2)->ArgName("rows(0=pattern,1=random,2=pairs)");

void Memcpy(benchmark::State& state) {
  const std::vector<std::uint8_t> rows = Rows(static_cast<int>(state.range(0)));
  std::vector<std::uint8_t> out(kRowBytes);
  for (auto _ : state) {
    for (std::size_t r = 0; r < kRows; ++r) {
      std::memcpy(out.data(), rows.data() + r * kRowBytes, kRowBytes);
      benchmark::ClobberMemory();
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rows.size()));
}
BENCHMARK(Memcpy)->Arg(0)->Arg(1)->Arg(2)->ArgName("rows(0=pattern,1=random,2=pairs)");

void Fill16MiBJob(benchmark::State& state) {
  settings::AppSettings settings;
  ui::ScriptedUiServices ui;
  platform::FakeClock clock;
  printer::CPrinterLink link(printer::LinkEnvironment{settings, ui, clock},
                             std::make_unique<testing_support::FakeDriver>());
  const std::vector<std::uint8_t> rows = Rows(0);
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
