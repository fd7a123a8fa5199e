// A whole main-board exchange against the virtual printer on a fake clock, in this process and
// served over a Unix socket as vprinterd serves it: the backup of the old board (NVRAM blocks and
// both lists) and the restore onto a new board, with the printer-library calls each makes by
// kind (the backup's are the theoretical 192 blocks of 256 bytes and 272 list blocks) and the
// time per call.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <thread>

#include "driver/socket_device.h"
#include "operations/dispatcher.h"
#include "operations/service_operations.h"
#include "platform/registry.h"
#include "ui/scripted_ui_services.h"
#include "vprinter/attachment.h"
#include "vprinter/device_server.h"
#include "vprinter/virtual_printer.h"

namespace {

using driver::DeviceOp;

// The virtual printer behind a counter of the calls that reach it.
class CountingDevice : public driver::PrinterDevice {
public:
  explicit CountingDevice(std::shared_ptr<driver::PrinterDevice> printer)
      : printer_(std::move(printer)) {}
  int Call(driver::DeviceCall& call) override {
    ++calls[call.op];
    return printer_->Call(call);
  }
  static inline std::map<DeviceOp, std::int64_t> calls;

private:
  std::shared_ptr<driver::PrinterDevice> printer_;
};

struct ExchangeBench {
  static constexpr int kPort = 7;
  std::filesystem::path folder;
  platform::FakeClock clock;
  std::unique_ptr<platform::Registry> registry;
  std::unique_ptr<driver::DeviceDirectory> directory;
  settings::AppSettings settings;
  ui::ScriptedUiServices ui;
  std::unique_ptr<operations::ServiceEnvironment> environment;
  operations::OperationTable table = operations::ServiceOperations();

  // Served: the printer behind a device server on a socket, reached through a socket device.
  std::unique_ptr<vprinter::DeviceServer> server;
  std::thread serving;

  explicit ExchangeBench(bool served) {
    folder = std::filesystem::temp_directory_path() / "grelt-bench-exchange";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "Service");
    for (const char* file : {"ext_strings.ini", "ext_funcdata.ini"})
      std::filesystem::copy_file(std::filesystem::path(GRELT_DATA_DIR) / "Service" / file,
                                 folder / "Service" / file);
    registry = std::make_unique<platform::Registry>(folder / "Registry", clock);
    directory = std::make_unique<driver::DeviceDirectory>(*registry);
    vprinter::RegisterVirtualPrinters(clock);
    driver::DeviceDirectory::RegisterScheme("counted", [this](const std::string& location) {
      return std::make_shared<CountingDevice>(vprinter::VirtualPrinter::Open(location, clock));
    });
    driver::DeviceDirectory::RegisterScheme("counted-socket", [](const std::string& location) {
      return std::make_shared<CountingDevice>(driver::ConnectSocketDevice(location));
    });
    served_ = served;
    settings.pnInterface.count = 1;
    settings.pnInterface.values[0] = kPort;
    environment = std::make_unique<operations::ServiceEnvironment>(
        settings,
        operations::ServiceFolders{folder, folder / "Service", folder / "Prnfile",
                                   folder / "drive_c/P/CSV", folder / "drive_c"},
        clock, ui, nullptr, *directory);
  }
  ~ExchangeBench() {
    driver::DeviceDirectory::ForgetConnections();
    if (server) {
      server->Stop();
      serving.join();
    }
    std::filesystem::remove_all(folder);
  }
  // A printer (or a new board) at the port, reached through the counter.
  void Attach(bool newBoard) {
    std::string error;
    const auto info = vprinter::AttachVirtualPrinter(*directory, folder, "LW", "board", kPort,
                                                     clock, &error, newBoard);
    driver::DeviceDirectory::ForgetConnections();
    if (!served_) {
      directory->Attach({info->attachment.link, kPort, "counted:" + info->folder});
      return;
    }
    if (!server) {
      server = std::make_unique<vprinter::DeviceServer>(
          vprinter::VirtualPrinter::Open(info->folder, clock));
      location_ = server->ListenUnix((folder / "board.sock").string());
      serving = std::thread([this] { server->Serve(); });
    }
    directory->Attach({info->attachment.link, kPort, "counted-socket:" + location_});
  }
  bool Run(int buttonBase) {
    operations::OperationRequest request;
    request.buttonBase = buttonBase;
    request.itemNumber = 10200;
    request.pageText = environment->catalogue.ReadFunctionPageText(10200);
    ui.QueueAnswer(ui::kAnswerOk);
    operations::RunOperation(request, {*environment, table, nullptr});
    return request.operationSucceeded;
  }

private:
  bool served_ = false;
  std::string location_;
};

void Report(benchmark::State& state) {
  const auto per = [&](DeviceOp op) {
    return benchmark::Counter(static_cast<double>(CountingDevice::calls[op]),
                              benchmark::Counter::kAvgIterations);
  };
  state.counters["block_reads"] = per(DeviceOp::CtlRead);
  state.counters["block_writes"] = per(DeviceOp::CtlWrite);
  state.counters["list_reads"] = per(DeviceOp::ListRead);
  state.counters["list_writes"] = per(DeviceOp::ListWrite);
  state.counters["list_erases"] = per(DeviceOp::ListErase);
  std::int64_t all = 0;
  for (const auto& [op, count] : CountingDevice::calls) all += count;
  state.counters["per_call"] = benchmark::Counter(
      static_cast<double>(all), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Argument 0: the printer in this process; 1: served over a Unix socket.
void BM_BackupForExchange(benchmark::State& state) {
  ExchangeBench bench(state.range(0) == 1);
  bench.Attach(false);
  CountingDevice::calls.clear();
  for (auto _ : state)
    if (!bench.Run(operations::kExecuteBase)) state.SkipWithError("the backup failed");
  Report(state);
}
BENCHMARK(BM_BackupForExchange)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_RestoreOntoNewBoard(benchmark::State& state) {
  ExchangeBench bench(state.range(0) == 1);
  bench.Attach(false);
  bench.Run(operations::kExecuteBase);
  const auto image = bench.folder / "Service/pcdbkup.tmp";
  const auto lists = bench.folder / "Service/mainboard.tmp";
  std::filesystem::copy_file(image, bench.folder / "image.keep");
  std::filesystem::copy_file(lists, bench.folder / "lists.keep");
  std::map<DeviceOp, std::int64_t> calls;
  for (auto _ : state) {
    state.PauseTiming();
    bench.Attach(true);
    std::filesystem::copy_file(bench.folder / "image.keep", image,
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(bench.folder / "lists.keep", lists,
                               std::filesystem::copy_options::overwrite_existing);
    CountingDevice::calls.clear();
    state.ResumeTiming();
    if (!bench.Run(operations::kInputBase)) state.SkipWithError("the restore failed");
    for (const auto& [op, count] : CountingDevice::calls) calls[op] += count;
  }
  CountingDevice::calls = calls;
  Report(state);
}
BENCHMARK(BM_RestoreOntoNewBoard)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
