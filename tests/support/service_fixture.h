#pragma once
// The fixtures every service test starts from: a virtual printer on a fake clock, the service
// environment over it, and what a test reads from outside: the messages shown (text and icon,
// looked up by number) and the printer's NVRAM afterwards. OperationsFixture runs operations
// and prefetches through the dispatcher; MainDialogFixture (main_dialog_fixture.h) opens the
// main service dialog over the same environment.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "operations/dispatcher.h"
#include "operations/prefetch.h"
#include "record/local_record.h"
#include "support/virtual_printer_bench.h"
#include "vprinter/command_parser.h"

namespace testing_support {

// A message as the technician saw it: its text and its icon (none for the message dialog).
struct ShownMessage {
  std::string text;
  unsigned icon = 0;
  bool operator==(const ShownMessage&) const = default;
  friend void PrintTo(const ShownMessage& m, std::ostream* out) {
    *out << "{icon " << m.icon << ": \"" << m.text << "\"}";
  }
};

// Copies the shipped menu and message files into a folder (made when missing); returns it.
inline std::string CopyShippedServiceFiles(const std::string& service) {
  std::filesystem::create_directories(service);
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(GRELT_DATA_DIR) + "/Service"))
    if (entry.path().extension() == ".ini")
      std::filesystem::copy_file(entry.path(),
                                 std::filesystem::path(service) / entry.path().filename(),
                                 std::filesystem::copy_options::overwrite_existing);
  return service;
}

class ServiceFixture : public ::testing::Test, public VirtualPrinterBench {
protected:
  // The environment, made when first asked for: tests set the settings before that.
  const operations::ServiceEnvironment& Environment() {
    if (!environment_) {
      environment_ = std::make_unique<operations::ServiceEnvironment>(
          settings,
          operations::ServiceFolders{folder.Path(), serviceFolder_, folder / "Prnfile",
                                     folder / "drive_c/ProfileName/CSV", folder / "drive_c"},
          clock, ui, nullptr, directory, lpdPort);
      environment_->sendRecord = [this] { ++runsQueued; };
    }
    return *environment_;
  }
  // The menu files come from the shipped data unless a test brings its own.
  void UseServiceFolder(std::string serviceFolder) { serviceFolder_ = std::move(serviceFolder); }
  // A service folder of the test's own with copies of the shipped INI files, for operations that
  // write work files there or tests that change a file.
  std::string UseScratchServiceFolder() {
    UseServiceFolder(CopyShippedServiceFiles(folder / "Service"));
    return folder / "Service";
  }

  std::shared_ptr<vprinter::VirtualPrinter> Attach(const std::string& model) {
    std::string error;
    EXPECT_TRUE(AttachPrinter(model, &error)) << error;
    return Printer();
  }

  // Only what is shown from now on counts.
  void Mark() { shownFrom_ = ui.Calls().size(); }
  std::vector<ShownMessage> Shown() const {
    std::vector<ShownMessage> shown;
    const std::vector<ui::UiCall> calls = ui.Calls();
    for (std::size_t i = shownFrom_; i < calls.size(); ++i) {
      if (calls[i].kind == ui::UiCallKind::MessageBox)
        shown.push_back({calls[i].text, calls[i].style & ui::kIconMask});
      if (calls[i].kind == ui::UiCallKind::MessageDialog) shown.push_back({calls[i].text, 0});
    }
    return shown;
  }
  // What message N of the catalogue shows.
  ShownMessage Message(int number) {
    ShownMessage message{"", menu::MessageIcon(number)};
    EXPECT_TRUE(Environment().catalogue.LookupMessage(number, message.text)) << number;
    return message;
  }
  static ShownMessage Dialog(std::string text) { return {std::move(text), 0}; }

  // Changes the printer's faults, keeping the others it has.
  void SetFaults(const std::function<void(vprinter::Faults&)>& change) {
    vprinter::Faults faults = Printer()->Snapshot().faults;
    change(faults);
    Printer()->SetFaults(faults);
  }

  // The printer's NVRAM (or its option unit's), read and written directly.
  vprinter::Bytes Peek(int address, int count, bool unit = false) {
    return Printer()->ReadNvram(address, count, unit);
  }
  void Poke(int address, const vprinter::Bytes& bytes, bool unit = false) {
    Printer()->WriteNvram(address, bytes, unit);
  }
  static vprinter::Bytes Long(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
  }

  operations::OperationTable table;
  int lpdPort = 515;  // where network jobs go; a test's own daemon listens elsewhere

  // How often a run was put in the outbox of the line database and its sender told.
  int runsQueued = 0;

private:
  std::string serviceFolder_ = std::string(GRELT_DATA_DIR) + "/Service";
  std::unique_ptr<operations::ServiceEnvironment> environment_;
  std::size_t shownFrom_ = 0;
};

class OperationsFixture : public ServiceFixture {
protected:
  operations::Dispatch Dispatcher() {
    return {Environment(), table, [this] { ++doneMessages; },
            [this](const std::uint8_t* bytes, std::size_t length) {
              sent.append(reinterpret_cast<const char*>(bytes), length);
            }};
  }
  // Presses a button of the item as the main service dialog does, and waits for the run.
  bool Run(int buttonBase, int item) {
    request.buttonBase = buttonBase;
    request.itemNumber = item;
    request.workerRunning = true;
    const bool result = operations::RunOperation(request, Dispatcher());
    EXPECT_FALSE(request.workerRunning);
    return result;
  }
  bool RunHotKey(int key) {
    request.hotKeyRun = 1;
    return Run(key, request.itemNumber);
  }
  bool RunNetwork(int buttonBase, int item) {
    request.buttonBase = buttonBase;
    request.itemNumber = item;
    return operations::RunNetworkOperation(request, Dispatcher());
  }
  // Selects the item as the main service dialog does: its page values are read.
  bool Prefetch(int item) {
    request.itemNumber = item;
    return operations::PrefetchItemValues(request, Environment(), table);
  }

  // What the last recorded run measured, as "name value [low, high] verdict" ("-" for a limit
  // there is none of), in the order it measured them.
  std::vector<std::string> RecordedMeasurements() {
    const auto rows = record::ReadServiceRecord(Environment().folders.csv, "");
    std::vector<std::string> measured;
    if (rows.empty()) return measured;
    const auto limit = [](const std::optional<double>& l) {
      return l ? record::NumberText(*l) : std::string("-");
    };
    for (const record::Measurement& m : rows.front().measurements)
      measured.push_back(m.name + " " + record::NumberText(m.value) + m.unit + " [" + limit(m.low) +
                         ", " + limit(m.high) + "] " + m.verdict);
    return measured;
  }

  // The factory commands among the bytes sent since the last call, in order, as a protocol trace
  // reads them: "7D 40: 0C" (family, first code byte, parameters).
  std::vector<std::string> SentFactoryCommands() {
    struct Sink : vprinter::CommandSink {
      std::vector<std::string> found;
      void OnFactory(const vprinter::FactoryCommand& c) override {
        char text[8];
        std::snprintf(text, sizeof text, "%02X %02X:", c.family, c.code);
        std::string line = text;
        for (const std::uint8_t b : c.params) {
          std::snprintf(text, sizeof text, " %02X", b);
          line += text;
        }
        found.push_back(line);
      }
    } sink;
    vprinter::CommandParser parser(sink);
    parser.Feed(reinterpret_cast<const std::uint8_t*>(sent.data()), sent.size());
    sent.clear();
    return sink.found;
  }

  operations::OperationRequest request;
  int doneMessages = 0;
  std::string sent;  // every byte the runs sent, in order
};

}  // namespace testing_support
