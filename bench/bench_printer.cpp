// The job buffer's flush and the file sender: a 16 MiB job that the printer takes in 1 MiB
// pieces, with the bytes the link copies besides the append, and a 64 MiB file in 1024-byte
// chunks.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "printer/printer_link.h"
#include "support/fake_driver.h"
#include "ui/scripted_ui_services.h"

namespace {

struct Bench {
  settings::AppSettings settings;
  ui::ScriptedUiServices ui;
  platform::FakeClock clock;
  testing_support::FakeDriver* driver = nullptr;
  std::unique_ptr<printer::CPrinterLink> link;

  Bench() {
    auto owned = std::make_unique<testing_support::FakeDriver>();
    owned->record = false;
    driver = owned.get();
    link = std::make_unique<printer::CPrinterLink>(printer::LinkEnvironment{settings, ui, clock},
                                                   std::move(owned));
  }
};

void BM_FlushJob16MiB(benchmark::State& state) {
  Bench bench;
  const std::size_t size = printer::CPrinterLink::kJobBufferSize;
  const std::vector<std::uint8_t> job(size, 0x42);
  constexpr unsigned long kPiece = 1u << 20;
  std::uint64_t copiedBeyondAppend = 0;
  for (auto _ : state) {
    state.PauseTiming();
    bench.link->ClearJob();
    bench.link->AppendJob(job.data(), job.size());
    const std::uint64_t afterAppend = bench.link->BytesCopied();
    for (unsigned long offset = kPiece; offset < size; offset += kPiece) {
      bench.driver->sendEx.push_back({driver::kDrvBusy, kPiece});
      bench.driver->status.push_back({0, driver::kStatusBusy, 0});
    }
    state.ResumeTiming();
    benchmark::DoNotOptimize(bench.link->FlushJob());
    copiedBeyondAppend += bench.link->BytesCopied() - afterAppend;
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
  state.counters["bytes_copied_beyond_append"] = static_cast<double>(copiedBeyondAppend);
}
BENCHMARK(BM_FlushJob16MiB)->Unit(benchmark::kMillisecond);

void BM_SendFile64MiB(benchmark::State& state) {
  Bench bench;
  const auto path = std::filesystem::temp_directory_path() / "grelt-bench-64mib.prn";
  {
    std::ofstream out(path, std::ios::binary);
    const std::string block(1 << 20, 'x');
    for (int i = 0; i < 64; ++i) out << block;
  }
  for (auto _ : state) benchmark::DoNotOptimize(bench.link->SendFile(path.string(), 1024));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * (64 << 20));
  std::filesystem::remove(path);
}
BENCHMARK(BM_SendFile64MiB)->Unit(benchmark::kMillisecond);

}  // namespace
